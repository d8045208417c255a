#include "app/diagnostic_printer.h"

#include <cstdio>

#include "app/file_system.h"
#include "documents/cp1252.h"
#include "model/error_codes.h"

namespace sb {

void DiagnosticPrinter::recorded_error(int code, const SourcePlace& where, const std::string& detail) {
  ++errors_;
  std::string text = "error " + std::to_string(code) + ": " + error_meaning(code);
  if (!detail.empty()) text += " (" + detail + ")";
  print(where, text);
}

void DiagnosticPrinter::warning(const std::string& message, const SourcePlace& where) {
  ++warnings_;
  if (show_warnings_) print(where, "warning: " + message);
}

// The texts quote the author's fields, which are cp1252 like the files they
// come from; people read UTF-8. The file's path is UTF-8 already.
void DiagnosticPrinter::print(const SourcePlace& where, const std::string& cp1252_text) {
  const std::string text = cp1252_to_utf8(cp1252_text);
  const std::string line = where.known() ? line_of(where.file, where.line) : std::string();
  // A page shows the first few hundred; the counts say how many there were.
  if (reported_ != nullptr && reported_->size() < kMaxReported) {
    reported_->push_back({text.rfind("error", 0) == 0, where, text, cp1252_to_utf8(line)});
  }
  if (where.known()) {
    out_ << where.file << ':' << where.line << ':' << where.column << ": " << text << '\n';
    quote(where, line);
  } else {
    out_ << "scenario-builder: " << text << '\n';
  }
}

void DiagnosticPrinter::quote(const SourcePlace& where, const std::string& line) {
  if (line.empty()) return;
  out_ << "    " << cp1252_to_utf8(line) << '\n' << "    ";
  // One cp1252 byte is one character: a space per byte before the field puts
  // the caret under it, whatever the UTF-8 length of the letters. Tabs stay
  // tabs so the caret lines up in any terminal.
  for (int i = 1; i < where.column && static_cast<std::size_t>(i) <= line.size(); ++i) {
    out_ << (line[static_cast<std::size_t>(i) - 1] == '\t' ? '\t' : ' ');
  }
  out_ << "^\n";
}

// Line n of a file, as the field reader counts lines (CR LF, LF or a lone CR
// end one); empty when the file or the line is not there. Diagnostics are
// few, so the file is scanned afresh for each and never held whole.
std::string DiagnosticPrinter::line_of(const std::string& path, int n) {
  std::FILE* in = open_for_reading(path);
  if (in == nullptr) return {};
  std::string line;
  int current = 1;
  bool found = false;
  for (int c; (c = std::getc(in)) != EOF;) {
    if (c == '\n' || c == '\r') {
      if (c == '\r') {
        const int next = std::getc(in);
        if (next != '\n' && next != EOF) std::ungetc(next, in);
      }
      if (current == n) {
        found = true;
        break;
      }
      ++current;
      line.clear();
    } else if (current == n && line.size() < 4096) {
      line.push_back(static_cast<char>(c));
    }
  }
  std::fclose(in);
  return found || current == n ? line : std::string();
}

}  // namespace sb
