// Little-endian serialisation, field by field, through a buffer that is
// handed to the sink in large blocks.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/file_door.h"

namespace sb {

class ByteWriter {
 public:
  explicit ByteWriter(OutputSink& sink, std::size_t buffer_size = 1 << 16);
  ~ByteWriter();
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  void u8(std::uint8_t v) { reserve(1); buf_[len_++] = static_cast<char>(v); }
  void u16(std::uint16_t v) {
    reserve(2);
    buf_[len_++] = static_cast<char>(v & 0xFF);
    buf_[len_++] = static_cast<char>(v >> 8);
  }
  void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
  void i32(std::int32_t v);
  void f64(double v);
  // A uint16 byte count, then the bytes.
  void text(std::string_view s);
  void bytes(std::string_view s);
  // Hands everything buffered to the sink; the destructor does not flush.
  void flush();

 private:
  void reserve(std::size_t n) {
    if (len_ + n > buf_.size()) flush();
  }
  OutputSink& sink_;
  std::vector<char> buf_;
  std::size_t len_ = 0;
};

}  // namespace sb
