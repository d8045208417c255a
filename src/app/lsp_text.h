// The editor's text of a description: UTF-8 with positions in UTF-16 code
// units (or UTF-8 bytes when the client asks for them), held beside the
// cp1252 bytes the readers see.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sb {

enum class PositionUnits { Utf16, Utf8 };

struct TextPosition {
  int line = 0;       // 0-based
  int character = 0;  // 0-based, in the session's units
};

// Byte offset in `text` of a position; positions past a line's end stop at
// it, lines past the end at the text's end.
std::size_t offset_of(std::string_view text, TextPosition p, PositionUnits units);

// The same text with [start, end) replaced by `replacement`.
void apply_edit(std::string& text, TextPosition start, TextPosition end, std::string_view replacement,
                PositionUnits units);

// The text as the readers see it: one cp1252 byte per character, so a field's
// column is also its character index. Characters cp1252 lacks become '?'.
std::string to_cp1252_lenient(std::string_view utf8);

// Where each line starts (lines end at CR LF, LF or a lone CR, as the field
// reader counts them).
std::vector<std::size_t> line_starts(std::string_view text);
// Line n (0-based) without its line end.
std::string_view line_at(std::string_view text, const std::vector<std::size_t>& starts, std::size_t n);

// The position of the character with index `index` (0-based, characters)
// within a UTF-8 line, in the session's units.
int character_in_units(std::string_view utf8_line, int index, PositionUnits units);

}  // namespace sb
