#include "app/cli.h"
#include "app/platform.h"

int main(int argc, char** argv) {
  if (argc > 1) sb::attach_parent_console();
  return sb::run_cli(argc, argv);
}
