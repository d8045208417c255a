// Text on disk is single-byte cp1252; the documents are kept as UTF-8 in the
// source and converted once, at the writer; names read back from compiled
// files are converted to UTF-8 for people.
#pragma once

#include <string>
#include <string_view>

namespace sb {

// UTF-8 to cp1252. A character cp1252 cannot hold, or bytes that are not
// UTF-8, throw std::invalid_argument: the documents are ours and must fit.
std::string utf8_to_cp1252(std::string_view utf8);

// cp1252 to UTF-8, for what is shown to people; the five bytes cp1252 leaves
// unused become U+FFFD.
std::string cp1252_to_utf8(std::string_view bytes);

}  // namespace sb
