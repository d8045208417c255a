// memorizza_dati with the input as the line description and the embedded
// service description after it. It must always return normally.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "reading/memorizza_dati.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sb::ScenarioModel model;
  sb::fuzz::name_scenario(model);
  model.ProfileWanted = 1;
  sb::MemoryFiles files =
      sb::fuzz::description_files(sb::fuzz::bytes_of(data, size), sb::fuzz::embedded_service_description());
  sb::memorizza_dati(model, files);
  sb::fuzz::check_after_reading(model, files);
  return 0;
}
