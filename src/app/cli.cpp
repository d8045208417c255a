#include "app/cli.h"

#include "app/platform.h"
#include "app/run_sequence.h"

namespace sb {

int run_cli(int argc, char** argv) {
  (void)argv;
  if (argc <= 1) return form_load(native_platform());
  return 2;
}

}  // namespace sb
