#include <csignal>

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
  if (argc > 1) sb::attach_parent_console();
  return sb::run_cli(argc, argv);
}
