#include "reading/text_match.h"

namespace sb {

std::string ascii_lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

namespace {
char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

// Every reader asks this of every field: no lowered copies are made.
bool contains_nocase(std::string_view field, std::string_view word) {
  if (word.size() > field.size()) return false;
  for (std::size_t at = 0; at + word.size() <= field.size(); ++at) {
    std::size_t k = 0;
    while (k < word.size() && lower_ascii(field[at + k]) == lower_ascii(word[k])) ++k;
    if (k == word.size()) return true;
  }
  return false;
}

bool is_section_name(std::string_view field) {
  if (!contains(field, "[") || !contains(field, "]")) return false;
  const auto first = field.find_first_not_of(" \t");
  return first == std::string_view::npos || field[first] != '-';
}

}  // namespace sb
