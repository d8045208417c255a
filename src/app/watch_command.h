// `watch`: compiles the author's two descriptions as `compile` does, then
// again after every save of either; with --serve, a local page shows the
// scenario and the last compile's diagnostics and follows each compile.
// Ends with status 0 on Ctrl-C or SIGTERM, after any compile under way has
// finished its files.
#pragma once

#include <ostream>
#include <string>

#include "app/commands.h"

namespace sb {

struct WatchOptions {
  CompileOptions compile;
  std::string serve;  // "[ADDRESS:]PORT"; empty: no server
};

int run_watch(const WatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace sb
