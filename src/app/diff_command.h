// `diff A B`: two compiled scenarios compared by meaning. Nothing printed and
// 0 when they are equal; the changes (or one JSON document) and 1 when not;
// 2 when either side cannot be read or is not valid.
#pragma once

#include <ostream>
#include <string>

namespace sb {

int run_diff(const std::string& a, const std::string& b, bool json, std::ostream& out, std::ostream& err);

}  // namespace sb
