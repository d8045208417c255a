// The embedded scenario compiled in memory, as the start-up run compiles it.
#pragma once

#include "model/memory_files.h"

namespace sb::testing {

struct EmbeddedCompile {
  MemoryFiles files;  // the descriptions written, then the three compiled files
  int error_code = 0;
};

EmbeddedCompile compile_embedded_scenario();

}  // namespace sb::testing
