// Keyword tests on fields: substrings, with or without letter case.
#pragma once

#include <string>
#include <string_view>

namespace sb {

// Lower case of the ASCII letters; other bytes unchanged.
std::string ascii_lower(std::string_view s);
inline bool contains(std::string_view field, std::string_view word) {
  return field.find(word) != std::string_view::npos;
}
bool contains_nocase(std::string_view field, std::string_view word);
// A field that ends the general region: holds "[" and "]" and does not begin
// with "-" after leading blanks.
bool is_section_name(std::string_view field);

}  // namespace sb
