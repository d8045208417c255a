#include "app/cli.h"
#include "app/large_table_advice.h"
#include "app/platform.h"

int main(int argc, char** argv) {
  sb::install_large_table_advice();
  if (argc > 1) sb::attach_parent_console();
  return sb::run_cli(argc, argv);
}
