// The subcommands for scenario authors.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/diagnostic_printer.h"

namespace sb {

// Writes the five embedded documents into `directory`; deletes nothing.
int run_export(const std::string& directory, std::ostream& out, std::ostream& err);

struct CompileOptions {
  std::string line_path;
  std::string service_path;
  std::string output_directory = ".";
  std::string route_name = "ORSEA_MONTELBA";
  std::string train_code = "RX17";
  bool profile = true;
  bool warnings_are_errors = false;
  bool quiet = false;
};

// What one compile ended with: the exit status `compile` gives, the final
// ErrorCode, how many errors and warnings were reported and, when asked
// for, each of them (for the live page of `watch`).
struct CompileOutcome {
  int status = 0;
  int error_code = 0;
  int errors = 0;
  int warnings = 0;
  bool files_written = false;  // the compiled files were replaced by this compile
  std::vector<ReportedDiagnostic> diagnostics;
};

// Reads the author's descriptions exactly as the start-up run reads its own
// (without deleting them) and writes the compiled files; the diagnostics and
// any failure are printed to `err`, and kept in the outcome when
// `keep_diagnostics`.
CompileOutcome compile_descriptions(const CompileOptions& options, std::ostream& err, bool keep_diagnostics = false);

int run_compile(const CompileOptions& options, std::ostream& err);

}  // namespace sb
