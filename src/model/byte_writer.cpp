#include "model/byte_writer.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace sb {

ByteWriter::ByteWriter(OutputSink& sink, std::uint64_t offset, std::size_t buffer_size)
    : sink_(sink), buf_(buffer_size), offset_(offset) {}

ByteWriter::~ByteWriter() = default;

void ByteWriter::make_room(std::size_t n) {
  if (len_ > 0) {
    const std::size_t size = buf_.size();
    buf_ = sink_.hand_over(offset_, std::move(buf_), len_);
    offset_ += len_;
    len_ = 0;
    if (buf_.size() < size) buf_.resize(size);
  }
  if (n > buf_.size()) buf_.resize(n);
}

void ByteWriter::text(std::string_view s) {
  if (s.size() > std::numeric_limits<std::uint16_t>::max()) {
    throw std::length_error("text of " + std::to_string(s.size()) + " bytes is too long for a record");
  }
  u16(static_cast<std::uint16_t>(s.size()));
  bytes(s);
}

void ByteWriter::bytes(std::string_view s) {
  if (len_ + s.size() > buf_.size()) flush();
  if (s.size() > buf_.size()) {
    sink_.write_at(offset_, s.data(), s.size());
    offset_ += s.size();
    return;
  }
  std::memcpy(buf_.data() + len_, s.data(), s.size());
  len_ += s.size();
}

void ByteWriter::flush() {
  if (len_ > 0) sink_.write_at(offset_, buf_.data(), len_);
  offset_ += len_;
  len_ = 0;
}

}  // namespace sb
