#include "author/decompile_layout.h"

#include <algorithm>

namespace sb {

void AlignedLines::add(std::string keyword, std::vector<std::string> fields) {
  rows_.push_back(Row{std::move(keyword), std::move(fields), {}, false});
}

void AlignedLines::add(std::string keyword, std::vector<std::string> fields, std::string text) {
  rows_.push_back(Row{std::move(keyword), std::move(fields), std::move(text), true});
}

std::string AlignedLines::text() const {
  std::size_t keyword_width = 0;
  std::vector<std::size_t> widths;
  for (const Row& r : rows_) {
    keyword_width = std::max(keyword_width, r.keyword.size());
    if (widths.size() < r.fields.size()) widths.resize(r.fields.size(), 0);
    for (std::size_t i = 0; i < r.fields.size(); ++i) widths[i] = std::max(widths[i], r.fields[i].size());
  }
  // The text is sized once and one line buffer is reused: growing the text
  // and making every line afresh took a block of memory each time.
  std::size_t row_width = keyword_width + 1;
  for (const std::size_t w : widths) row_width += 3 + w;
  std::size_t size = 0;
  for (const Row& r : rows_) size += row_width + 2 + (r.with_text ? 3 + r.text.size() : 0);
  std::string out;
  out.reserve(size);
  std::string line;
  line.reserve(row_width);
  for (const Row& r : rows_) {
    line.assign(r.keyword);
    line += ',';
    line.append(keyword_width - r.keyword.size(), ' ');
    for (std::size_t i = 0; i < r.fields.size(); ++i) {
      if (i > 0) line += ",";
      line.append(2 + widths[i] - r.fields[i].size(), ' ');
      line += r.fields[i];
    }
    // A field of blanks alone reads as 0; a line is never left ending in blanks.
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (r.with_text) {
      line += ",  ";
      line += r.text;
    }
    add_line(out, line);
  }
  return out;
}

void add_line(std::string& to, const std::string& line) {
  to += line;
  to += "\r\n";
}

}  // namespace sb
