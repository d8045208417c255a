// The inspect report of compiled files read back (input as for
// compiled_reader_fuzz), as text: it must be made for any bytes.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "author/inspect_report.h"
#include "compiled_input.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  sb::fuzz::CompiledInput input = sb::fuzz::compiled_input(data, size);
  const sb::CompiledScenario scenario = sb::fuzz::read_compiled_input(input);
  std::ostringstream out;
  sb::print_inspection(sb::LocatedScenario{".", input.names}, scenario, out);
  sb::fuzz::require(!out.str().empty(), "an empty report");
  return 0;
}
