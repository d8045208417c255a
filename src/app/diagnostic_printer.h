// Prints recorded errors and warnings the way compilers do:
//   FILE:LINE:COLUMN: error N: meaning
//       the offending line
//       ^
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "model/diagnostics.h"

namespace sb {

// One printed diagnostic as data: where, what, and the quoted line.
struct ReportedDiagnostic {
  bool is_error = false;
  SourcePlace where;
  std::string text;         // "error 21: ..." or "warning: ..."
  std::string quoted_line;  // the line at `where`, empty when unknown
};

class DiagnosticPrinter : public DiagnosticSink {
 public:
  // Warnings are printed when `show_warnings`, and counted when `count_warnings`.
  DiagnosticPrinter(std::ostream& out, bool show_warnings, bool count_warnings = true)
      : out_(out), show_warnings_(show_warnings), count_warnings_(count_warnings) {}
  void recorded_error(int code, const SourcePlace& where, const std::string& detail) override;
  void warning(const std::string& message, const SourcePlace& where) override;
  bool wants_warnings() const override { return show_warnings_ || count_warnings_; }

  static constexpr std::size_t kMaxReported = 500;
  // Each diagnostic printed from now on is also appended to `into` (the
  // first kMaxReported of them).
  void keep_reported(std::vector<ReportedDiagnostic>* into) { reported_ = into; }

  int errors() const { return errors_; }
  int warnings() const { return warnings_; }

 private:
  void print(const SourcePlace& where, const std::string& cp1252_text);
  void quote(const SourcePlace& where, const std::string& line);
  static std::string line_of(const std::string& path, int n);

  std::ostream& out_;
  bool show_warnings_;
  bool count_warnings_;
  int errors_ = 0;
  int warnings_ = 0;
  std::vector<ReportedDiagnostic>* reported_ = nullptr;
};

}  // namespace sb
