// What the fuzz targets share: a model set up as the start-up run sets it,
// in-memory files under the scenario's names, and a check that stops the
// fuzzer with a message when an invariant breaks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

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

// A sink that keeps no bytes: it counts them and checks that the writes
// cover the file from its first byte to its last exactly once, however they
// are split into parts. The plan's file of a long route runs to megabytes.
class CountingSink : public OutputSink {
 public:
  void write_at(std::uint64_t offset, const char* data, std::size_t n) override;
  std::uint64_t bytes() const { return bytes_; }
  // Every byte from 0 to the end written once: no gap, no overlap.
  bool whole() const;

 private:
  std::uint64_t bytes_ = 0;
  std::map<std::uint64_t, std::uint64_t> spans_;  // written [start, end), merged
};

// The door compiled files go out through: the plan's file to a counting sink
// (unless the harness declines to have it filled), the others kept whole.
class OutputFiles : public FileDoor {
 public:
  std::map<std::string, std::string> kept;
  std::map<std::string, std::uint64_t> counted;  // name -> bytes, for files only counted
  std::string counted_name;                      // the file that is counted, not kept
  // Asked when the counted file is replaced: false leaves its writer unrun.
  std::function<bool()> fill_if = [] { return true; };
  bool filled = false;  // the counted file's writer ran
  bool exists(const std::string& name) override { return kept.count(name) + counted.count(name) != 0; }
  std::unique_ptr<InputSource> open_input(const std::string& name) override;
  void remove(const std::string& name) override;
  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override;
  std::string path_of(const std::string& name) const override { return name; }
  bool empty() const { return kept.empty() && counted.empty(); }
};

// After memorizza_dati: it must always leave ErrorCode in the known range
// and must have deleted the line description (it exists from the start).
void check_after_reading(const ScenarioModel& model, const MemoryFiles& files);

}  // namespace sb::fuzz
