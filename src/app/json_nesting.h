// How deeply a JSON text nests, counted before it is parsed.
#pragma once

#include <string_view>

namespace sb {

// The deepest nesting of arrays and objects in a JSON text, strings skipped.
int json_nesting(std::string_view text);

}  // namespace sb
