// Little-endian reading of the compiled files, field by field, from a byte
// buffer. Every read first asks whether the bytes are there, so a short file
// is a finding for the caller, never a read past the end.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace sb {

class ByteCursor {
 public:
  explicit ByteCursor(std::string_view bytes) : bytes_(bytes) {}

  std::size_t offset() const { return pos_; }
  std::size_t size() const { return bytes_.size(); }
  std::size_t remaining() const { return bytes_.size() - pos_; }
  bool has(std::size_t n) const { return n <= remaining(); }

  // The callers check has() first.
  std::uint8_t u8() { return static_cast<std::uint8_t>(bytes_[pos_++]); }
  std::uint16_t u16() {
    const std::uint16_t lo = u8();
    const std::uint16_t hi = u8();
    return static_cast<std::uint16_t>(lo | (hi << 8));
  }
  std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
  std::int32_t i32() {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(u8()) << (8 * i);
    return static_cast<std::int32_t>(u);
  }
  double f64() {
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<std::uint64_t>(u8()) << (8 * i);
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
  }
  std::string text(std::size_t n) {
    std::string s(bytes_.substr(pos_, n));
    pos_ += n;
    return s;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace sb
