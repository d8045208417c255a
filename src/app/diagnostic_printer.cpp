#include "app/diagnostic_printer.h"

#include <fstream>

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

void DiagnosticPrinter::print(const SourcePlace& where, const std::string& text) {
  const std::string line = where.known() ? line_of(where.file, where.line) : std::string();
  // A page shows the first few hundred; the counts say how many there were.
  if (reported_ != nullptr && reported_->size() < kMaxReported) {
    reported_->push_back({text.rfind("error", 0) == 0, where, text, line});
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
  out_ << "    " << line << '\n' << "    ";
  // Keep tabs under tabs so the caret lines up in any terminal.
  for (int i = 1; i < where.column && static_cast<std::size_t>(i) <= line.size(); ++i) {
    out_ << (line[static_cast<std::size_t>(i) - 1] == '\t' ? '\t' : ' ');
  }
  out_ << "^\n";
}

// Line n of a file, as the field reader counts lines (CR LF, LF or a lone CR
// end one); empty when the file or the line is not there. Diagnostics are
// few, so the file is scanned afresh for each and never held whole.
std::string DiagnosticPrinter::line_of(const std::string& path, int n) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  int current = 1;
  for (char c; in.get(c);) {
    if (c == '\n' || c == '\r') {
      if (c == '\r' && in.peek() == '\n') in.get();
      if (current == n) return line;
      ++current;
      line.clear();
    } else if (current == n && line.size() < 4096) {
      line.push_back(c);
    }
  }
  return current == n ? line : std::string();
}

}  // namespace sb
