#include "app/json_nesting.h"

namespace sb {

int json_nesting(std::string_view text) {
  int depth = 0, deepest = 0;
  bool in_string = false;
  const char* const end = text.data() + text.size();
  for (const char* p = text.data(); p < end; ++p) {
    const char c = *p;
    if (in_string) {
      if (c == '\\') {
        ++p;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > deepest) deepest = depth;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return deepest;
}

}  // namespace sb
