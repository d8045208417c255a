#include "documents/cp1252.h"

#include <stdexcept>

namespace sb {

namespace {

// The code points cp1252 places in 0x80 .. 0x9F; 0 where the byte is unused.
constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char to_byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] != 0 && kHigh[i] == cp) return static_cast<char>(0x80 + i);
  }
  throw std::invalid_argument("character U+" + std::to_string(static_cast<unsigned long>(cp)) + " has no cp1252 byte");
}

}  // namespace

std::string utf8_to_cp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    char32_t cp = 0;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1;
      cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
      cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
      cp = b & 0x07;
    } else {
      throw std::invalid_argument("text is not UTF-8");
    }
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= utf8.size()) throw std::invalid_argument("text is not UTF-8");
      const auto c = static_cast<unsigned char>(utf8[i + k]);
      if ((c & 0xC0) != 0x80) throw std::invalid_argument("text is not UTF-8");
      cp = (cp << 6) | (c & 0x3F);
    }
    out.push_back(to_byte(cp));
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::string cp1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    char32_t cp = b;
    if (b >= 0x80 && b < 0xA0) cp = kHigh[b - 0x80] != 0 ? kHigh[b - 0x80] : char32_t{0xFFFD};
    append_utf8(out, cp);
  }
  return out;
}

}  // namespace sb
