// Little-endian serialisation, field by field, through a buffer that is
// handed to the sink in large blocks: a full buffer is handed over (the sink
// may write it while the next one fills), the last bytes are written by
// flush().
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/file_door.h"

namespace sb {

class ByteWriter {
 public:
  // The first byte goes to `offset` of the file.
  explicit ByteWriter(OutputSink& sink, std::uint64_t offset = 0, std::size_t buffer_size = 1 << 18);
  ~ByteWriter();
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  void u8(std::uint8_t v) {
    reserve(1);
    buf_[len_++] = static_cast<char>(v);
  }
  void u16(std::uint16_t v) { put(claim(2), v); }
  void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
  void i32(std::int32_t v) { put(claim(4), static_cast<std::uint32_t>(v)); }
  void f64(double v) { put(claim(8), std::bit_cast<std::uint64_t>(v)); }

  // Room for the next n bytes, for a caller that fills a whole record at
  // once with put().
  char* claim(std::size_t n) {
    reserve(n);
    char* at = buf_.data() + len_;
    len_ += n;
    return at;
  }
  // Room for the next n bytes, for a caller that fills many records through
  // a pointer of its own (the compiler cannot keep the writer's own fields in
  // registers across stores through a char pointer). Fill it front to back,
  // then commit the first byte not filled.
  char* room(std::size_t n) {
    reserve(n);
    return buf_.data() + len_;
  }
  void commit(const char* next) { len_ = static_cast<std::size_t>(next - buf_.data()); }

  // Stores v little-endian at `at`: one copy on a little-endian machine.
  template <typename Unsigned>
  static void put(char* at, Unsigned v) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(at, &v, sizeof v);
    } else {
      for (std::size_t i = 0; i < sizeof v; ++i) at[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
  }

  // A uint16 byte count, then the bytes.
  void text(std::string_view s);
  void bytes(std::string_view s);
  // Hands everything buffered to the sink; the destructor does not flush.
  void flush();

 private:
  void reserve(std::size_t n) {
    if (len_ + n > buf_.size()) make_room(n);
  }
  // Hands the full buffer over, and grows a buffer smaller than one record.
  void make_room(std::size_t n);
  OutputSink& sink_;
  std::vector<char> buf_;
  std::size_t len_ = 0;
  std::uint64_t offset_;  // of buf_[0]
};

}  // namespace sb
