// Reading compiled files back: the input holds a header file, a track file
// and a profile file (see compiled_input.h). Whatever the bytes, reading ends
// normally, every finding lies inside the file it names, and the plan is
// decoded exactly when the header gives a usable route length. The report
// and the drawing have targets of their own.
#include <cstddef>
#include <cstdint>

#include "compiled_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  sb::fuzz::CompiledInput input = sb::fuzz::compiled_input(data, size);
  (void)sb::fuzz::read_compiled_input(input);
  return 0;
}
