// What the fuzz targets share: a model set up as the start-up run sets it,
// in-memory files under the scenario's names, and a check that stops the
// fuzzer with a message when an invariant breaks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/memory_files.h"
#include "model/scenario_model.h"

namespace sb::fuzz {

inline constexpr const char* kRoute = "ORSEA_MONTELBA";
inline constexpr const char* kTrain = "RX17";

// A finding: print what broke and abort, so libFuzzer saves the input.
[[noreturn]] inline void broken(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void require(bool ok, const char* what) {
  if (!ok) broken(what);
}

inline void name_scenario(ScenarioModel& model) {
  model.RouteName = kRoute;
  model.TrainCode = kTrain;
}

inline std::string bytes_of(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// The embedded descriptions, as the document writer puts them on disk.
const std::string& embedded_line_description();
const std::string& embedded_service_description();

// Files holding the two descriptions under the scenario's names.
MemoryFiles description_files(const std::string& line, const std::string& service);

// After memorizza_dati: it must always leave ErrorCode in the known range
// and must have deleted the line description (it exists from the start).
void check_after_reading(const ScenarioModel& model, const MemoryFiles& files);

}  // namespace sb::fuzz
