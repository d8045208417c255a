#include "model/byte_writer.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace sb {

ByteWriter::ByteWriter(OutputSink& sink, std::size_t buffer_size) : sink_(sink), buf_(buffer_size) {}

ByteWriter::~ByteWriter() = default;

void ByteWriter::make_room(std::size_t n) {
  flush();
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
    sink_.write(s.data(), s.size());
    return;
  }
  std::memcpy(buf_.data() + len_, s.data(), s.size());
  len_ += s.size();
}

void ByteWriter::flush() {
  if (len_ > 0) sink_.write(buf_.data(), len_);
  len_ = 0;
}

}  // namespace sb
