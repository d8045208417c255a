// The subcommands for scenario authors.
#pragma once

#include <ostream>
#include <string>

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

// Reads the author's descriptions exactly as the start-up run reads its own
// (without deleting them) and writes the compiled files.
int run_compile(const CompileOptions& options, std::ostream& err);

}  // namespace sb
