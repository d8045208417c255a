#include "app/lsp_text.h"

#include <stdexcept>

#include "documents/cp1252.h"

namespace sb {

namespace {

std::size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

bool line_end(char c) { return c == '\n' || c == '\r'; }

}  // namespace

std::size_t offset_of(std::string_view text, TextPosition p, PositionUnits units) {
  std::size_t i = 0;
  for (int line = 0; line < p.line; ++line) {
    while (i < text.size() && !line_end(text[i])) ++i;
    if (i >= text.size()) return text.size();
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    ++i;
  }
  int units_left = p.character;
  while (units_left > 0 && i < text.size() && !line_end(text[i])) {
    const std::size_t n = sequence_length(static_cast<unsigned char>(text[i]));
    const int cost = units == PositionUnits::Utf8 ? static_cast<int>(n) : (n == 4 ? 2 : 1);
    i += n;
    units_left -= cost;
  }
  return i < text.size() ? i : text.size();
}

void apply_edit(std::string& text, TextPosition start, TextPosition end, std::string_view replacement,
                PositionUnits units) {
  std::size_t a = offset_of(text, start, units);
  std::size_t b = offset_of(text, end, units);
  if (b < a) std::swap(a, b);
  text.replace(a, b - a, replacement);
}

std::string to_cp1252_lenient(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    std::size_t n = sequence_length(lead);
    if (i + n > utf8.size()) n = utf8.size() - i;
    try {
      out += utf8_to_cp1252(utf8.substr(i, n));
    } catch (const std::invalid_argument&) {
      out.push_back('?');
    }
    i += n;
  }
  return out;
}

std::vector<std::size_t> line_starts(std::string_view text) {
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (line_end(text[i])) starts.push_back(i + 1);
  }
  return starts;
}

std::string_view line_at(std::string_view text, const std::vector<std::size_t>& starts, std::size_t n) {
  if (n >= starts.size()) return {};
  std::size_t end = starts[n];
  while (end < text.size() && !line_end(text[end])) ++end;
  return text.substr(starts[n], end - starts[n]);
}

int character_in_units(std::string_view utf8_line, int index, PositionUnits units) {
  int result = 0;
  std::size_t i = 0;
  for (int k = 0; k < index && i < utf8_line.size(); ++k) {
    const std::size_t n = sequence_length(static_cast<unsigned char>(utf8_line[i]));
    result += units == PositionUnits::Utf8 ? static_cast<int>(n) : (n == 4 ? 2 : 1);
    i += n;
  }
  return result;
}

}  // namespace sb
