#include <csignal>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/large_table_advice.h"
#include "app/platform.h"

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  // Past a file-size limit a write must fail and be reported with the file's
  // name, not kill the program half-way through the file.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  sb::install_large_table_advice();
  std::vector<std::string> arguments = sb::command_line_arguments(argc, argv);
  if (arguments.size() > 1) sb::attach_parent_console();
  std::vector<char*> pointers;
  for (std::string& a : arguments) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  return sb::run_cli(static_cast<int>(arguments.size()), pointers.data());
}
