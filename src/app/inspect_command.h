// `inspect`: reads compiled files and prints them for a person, or as one
// JSON document; every fault a correct file cannot contain is reported with
// its byte offset. 0 when valid, 1 when not, 2 when nothing could be read.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sb {

int run_inspect(const std::vector<std::string>& paths, bool json, std::ostream& out, std::ostream& err);

}  // namespace sb
