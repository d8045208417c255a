// `decompile`: compiled files back to a line description and a service
// description that compile to the same bytes. The descriptions are compiled
// in memory and compared before the command ends: 0 when the bytes are
// identical, 1 when differences remain (each one listed; the closest
// descriptions are written all the same), 2 when the files cannot be read or
// are not valid (nothing written).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sb {

struct DecompileOptions {
  std::vector<std::string> paths;
  std::string output_directory;
  std::string route_name;  // empty: the one the header file holds
  std::string train_code;
};

int run_decompile(const DecompileOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sb
