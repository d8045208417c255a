// Description lines in aligned columns: a keyword, then numeric fields
// right-aligned in columns as wide as their widest value, then an optional
// text (a station's name, a board's text).
#pragma once

#include <string>
#include <vector>

namespace sb {

class AlignedLines {
 public:
  void add(std::string keyword, std::vector<std::string> fields);
  // A line that ends in a text field, written even when the text is empty.
  void add(std::string keyword, std::vector<std::string> fields, std::string text);
  bool empty() const { return rows_.empty(); }
  // The lines, each ended by CR LF.
  std::string text() const;

 private:
  struct Row {
    std::string keyword;
    std::vector<std::string> fields;
    std::string text;
    bool with_text;
  };
  std::vector<Row> rows_;
};

// Description text: lines joined with CR LF after each.
void add_line(std::string& to, const std::string& line);

}  // namespace sb
