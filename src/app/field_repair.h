// The repair an editor offers for a field that is nearly a keyword.
#pragma once

#include <string>
#include <string_view>

namespace sb {

// The field with the part of it closest to `keyword` replaced by the keyword:
// "cruvas1" becomes "curvas1", keeping the class digit and side the keyword
// alone would drop. The part is the earliest and shortest of the nearest
// pieces; the whole field when no piece is nearer than it.
std::string repaired_field(std::string_view field, std::string_view keyword);

}  // namespace sb
