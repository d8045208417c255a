#include "model/byte_writer.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace sb {

ByteWriter::ByteWriter(OutputSink& sink, std::size_t buffer_size) : sink_(sink), buf_(buffer_size) {}

ByteWriter::~ByteWriter() = default;

void ByteWriter::i32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  reserve(4);
  for (int i = 0; i < 4; ++i) buf_[len_++] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

void ByteWriter::f64(double v) {
  std::uint64_t u;
  static_assert(sizeof u == sizeof v);
  std::memcpy(&u, &v, sizeof u);
  reserve(8);
  for (int i = 0; i < 8; ++i) buf_[len_++] = static_cast<char>((u >> (8 * i)) & 0xFF);
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
