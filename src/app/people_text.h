// Names on disk are cp1252; what is printed for people is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace sb {

std::string cp1252_to_utf8(std::string_view bytes);

}  // namespace sb
