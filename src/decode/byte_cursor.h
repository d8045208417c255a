// Little-endian reading of the compiled files, field by field, from a byte
// buffer. Every read first asks whether the bytes are there, so a short file
// is a finding for the caller, never a read past the end.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

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
  std::uint16_t u16() { return static_cast<std::uint16_t>(little<2>()); }
  std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
  std::int32_t i32() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(little<4>())); }
  double f64() { return std::bit_cast<double>(little<8>()); }
  std::string text(std::size_t n) {
    std::string s(bytes_.substr(pos_, n));
    pos_ += n;
    return s;
  }

 private:
  // N bytes as one little-endian number, copied in one go: a profile is
  // read this way two values a metre.
  template <std::size_t N>
  std::uint64_t little() {
    using Word = std::conditional_t<N == 2, std::uint16_t, std::conditional_t<N == 4, std::uint32_t, std::uint64_t>>;
    static_assert(sizeof(Word) == N);
    Word w;
    std::memcpy(&w, bytes_.data() + pos_, N);
    pos_ += N;
    if constexpr (std::endian::native == std::endian::big) {
      Word swapped = 0;
      for (std::size_t i = 0; i < N; ++i) swapped = static_cast<Word>((swapped << 8) | ((w >> (8 * i)) & 0xFF));
      w = swapped;
    }
    return w;
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace sb
