// JSON written straight as text, for the messages the language server sends
// at every change: the same bytes nlohmann::json writes compactly, without
// building a value (a heap block per member and per string) first.
#pragma once

#include <string>
#include <string_view>

namespace sb {

// `s` as a JSON string, quoted and escaped as nlohmann::json writes it with
// UTF-8 kept: quote, backslash and the control characters escaped (\b, \t,
// \n, \f, \r, else \u00xx), every other byte as it is; text that is not
// UTF-8 has its bad bytes replaced by U+FFFD, as the server's writer does.
void append_json_string(std::string& out, std::string_view s);

}  // namespace sb
