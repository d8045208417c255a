// The inspect report of compiled files read back (input as for
// compiled_reader_fuzz), as JSON: it must be made for any bytes and print as
// inspect --json prints it, bytes that are no UTF-8 becoming U+FFFD.
#include <cstddef>
#include <cstdint>

#include "author/inspect_report.h"
#include "compiled_input.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  sb::fuzz::CompiledInput input = sb::fuzz::compiled_input(data, size);
  const sb::CompiledScenario scenario = sb::fuzz::read_compiled_input(input);
  const auto json = sb::inspection_json(sb::LocatedScenario{".", input.names}, scenario);
  const std::string text = json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  sb::fuzz::require(text.size() >= 2 && text.front() == '{' && text.back() == '}', "the JSON report is no object");
  return 0;
}
