// memorizza_dati with the embedded line description and the input as the
// service description. No plan is wanted, so each run stays cheap; the
// service half never looks at the plan. It must always return normally and
// delete the service description on every path.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "model/file_names.h"
#include "reading/memorizza_dati.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sb::ScenarioModel model;
  sb::fuzz::name_scenario(model);
  model.ProfileWanted = 0;
  sb::MemoryFiles files =
      sb::fuzz::description_files(sb::fuzz::embedded_line_description(), sb::fuzz::bytes_of(data, size));
  sb::memorizza_dati(model, files);
  sb::fuzz::check_after_reading(model, files);
  sb::fuzz::require(files.files.empty(), "service description left on disk");
  return 0;
}
