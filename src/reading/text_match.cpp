#include "reading/text_match.h"

namespace sb {

std::string ascii_lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool contains_nocase(std::string_view field, std::string_view word) {
  return ascii_lower(field).find(ascii_lower(word)) != std::string::npos;
}

bool is_section_name(std::string_view field) {
  if (!contains(field, "[") || !contains(field, "]")) return false;
  const auto first = field.find_first_not_of(" \t");
  return first == std::string_view::npos || field[first] != '-';
}

}  // namespace sb
