#include "app/json_text.h"

#include <cstdint>
#include <nlohmann/json.hpp>

namespace sb {

namespace {

// Length of the well-formed UTF-8 sequence at the start of `s`; 0 when the
// bytes there are not one (overlong forms and surrogates included).
std::size_t sequence_length(std::string_view s) {
  const auto byte = [&s](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t n = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (s.size() < n || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < n; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return n;
}

bool is_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = sequence_length(s.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace

void append_json_string(std::string& out, std::string_view s) {
  // How bad bytes are replaced is the library's to say: such text (never
  // what the server itself makes) goes through it.
  if (!is_utf8(s)) {
    out += nlohmann::json(std::string(s)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += "\\u00";
          out += kHex[static_cast<unsigned char>(c) >> 4];
          out += kHex[static_cast<unsigned char>(c) & 15];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

}  // namespace sb
