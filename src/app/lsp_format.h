// Formatting of a description: the fields of each entry in columns, as the
// documents lay them out. Only blanks next to commas change, which the field
// reader skips, so the compiled files stay byte for byte the same.
#pragma once

#include <string>
#include <string_view>

namespace sb {

std::string format_description(std::string_view text);

}  // namespace sb
