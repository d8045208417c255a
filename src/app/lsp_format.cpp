#include "app/lsp_format.h"

#include <algorithm>
#include <vector>

namespace sb {

namespace {

struct Line {
  std::string_view body;
  std::string_view end;  // the line's own line end, kept
};

std::vector<Line> split_lines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t e = i;
    while (e < text.size() && text[e] != '\n' && text[e] != '\r') ++e;
    std::size_t after = e;
    if (after < text.size())
      after += (text[after] == '\r' && after + 1 < text.size() && text[after + 1] == '\n') ? 2 : 1;
    lines.push_back({text.substr(i, e - i), text.substr(e, after - e)});
    i = after;
  }
  return lines;
}

// Only spaces: the reader's blanks. Tabs are left where they are.
std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> fields_of(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    out.push_back(trim(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return out;
}

bool is_number(std::string_view s) {
  if (s.empty()) return true;  // an empty value reads as 0
  std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    // Numbers that blanks alone separate ("14   12   0") are one field of text
    // to the layout, kept as written.
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

// An entry is a line with a comma that is not a section name.
bool is_entry(std::string_view body) {
  const std::string_view t = trim(body);
  return !t.empty() && t.front() != '[' && body.find(',') != std::string_view::npos;
}

// Lays out the entries of one run of lines (a section): they share their
// column widths; numbers are right-aligned, texts left-aligned.
void format_block(const std::vector<Line>& lines, std::size_t from, std::size_t to, std::string& out) {
  std::vector<std::size_t> w;
  std::vector<std::vector<std::string_view>> fields(to - from);
  for (std::size_t i = from; i < to; ++i) {
    if (!is_entry(lines[i].body)) continue;
    fields[i - from] = fields_of(lines[i].body);
    const auto& f = fields[i - from];
    if (w.size() < f.size()) w.resize(f.size(), 0);
    // A text at the end of a line (a name, a board's text) takes no room
    // from the others: it is not padded.
    for (std::size_t k = 0; k < f.size(); ++k) {
      if (k + 1 < f.size() || is_number(f[k])) w[k] = std::max(w[k], f[k].size());
    }
  }
  for (std::size_t i = from; i < to; ++i) {
    const auto& f = fields[i - from];
    if (f.empty()) {
      out += lines[i].body;
      out += lines[i].end;
      continue;
    }
    std::string line(f[0]);
    line += ',';
    line.append(w[0] - f[0].size(), ' ');
    for (std::size_t k = 1; k < f.size(); ++k) {
      line += "  ";
      const bool last = k + 1 == f.size();
      if (is_number(f[k])) {
        line.append(w[k] - f[k].size(), ' ');
        line += f[k];
      } else {
        line += f[k];
        if (!last) line.append(w[k] - f[k].size(), ' ');
      }
      if (!last) line += ',';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line;
    out += lines[i].end;
  }
}

}  // namespace

std::string format_description(std::string_view text) {
  const std::vector<Line> lines = split_lines(text);
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  std::size_t block = 0;
  for (std::size_t i = 0; i <= lines.size(); ++i) {
    const bool header = i < lines.size() && !trim(lines[i].body).empty() && trim(lines[i].body).front() == '[';
    if (i == lines.size() || header) {
      format_block(lines, block, i, out);
      if (i < lines.size()) {
        out += lines[i].body;
        out += lines[i].end;
      }
      block = i + 1;
    }
  }
  return out;
}

}  // namespace sb
