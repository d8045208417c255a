// A whole compile of a (line, service) pair: the input up to its first NUL
// byte is the line description, the rest the service description. The only
// outcomes are the compiled files, a fatal error (1250 / 1251) or "no track";
// when the files are written their sizes must follow from the model.
#include <cstddef>
#include <cstdint>

#include "compile/track_completion.h"
#include "fuzz_support.h"
#include "model/file_names.h"

namespace {

using sb::fuzz::kRoute;
using sb::fuzz::kTrain;
using sb::fuzz::require;

std::size_t profile_size(const sb::TrackPlan& plan) {
  std::size_t bytes = 0;
  for (std::int32_t metre = 0; metre <= plan.last_metre(); ++metre) {
    const sb::ValueTag tag = plan.tag(metre);
    bytes += 2 * (2 + (tag == sb::ValueTag::Int16 ? 2 : tag == sb::ValueTag::Float64 ? 8 : 0));
  }
  return bytes;
}

bool any_compiled_file(const sb::MemoryFiles& files) {
  const auto& f = files.files;
  return f.count(sb::profile_file_name(kRoute)) + f.count(sb::header_file_name(kRoute, kTrain)) +
             f.count(sb::track_file_name(kRoute, kTrain)) !=
         0;
}

void check_compiled_files(const sb::ScenarioModel& model, const sb::MemoryFiles& files) {
  const auto& f = files.files;
  require(f.count(sb::profile_file_name(kRoute)) == 1, "profile file missing");
  require(f.count(sb::header_file_name(kRoute, kTrain)) == 1, "header file missing");
  require(f.count(sb::track_file_name(kRoute, kTrain)) == 1, "track file missing");
  require(f.at(sb::track_file_name(kRoute, kTrain)).size() == 15 * model.TrackArray.size(), "track file size");
  std::size_t names = 0;
  for (const auto& entry : model.ScenarioHeader) names += entry.name.size();
  require(f.at(sb::header_file_name(kRoute, kTrain)).size() == 2958 + names, "header file size");
  require(f.at(sb::profile_file_name(kRoute)).size() == profile_size(model.ProfileTable), "profile file size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = sb::fuzz::bytes_of(data, size);
  const std::size_t split = input.find('\0');
  const std::string line = input.substr(0, split);
  const std::string service = split == std::string::npos ? std::string() : input.substr(split + 1);

  sb::ScenarioModel model;
  sb::fuzz::name_scenario(model);
  sb::MemoryFiles files = sb::fuzz::description_files(line, service);
  try {
    sb::memorizza_percorso(model, 1, files, files);
  } catch (const sb::FatalError& e) {
    require(e.code() == 1250 || e.code() == 1251, "fatal error with another number");
    require(!any_compiled_file(files), "a compiled file written before a fatal error");
    return 0;
  } catch (const sb::NoTrackError&) {
    require(!model.track_allocated(), "no-track error with a track");
    require(!any_compiled_file(files), "a compiled file written without a track");
    return 0;
  }
  sb::fuzz::check_after_reading(model, files);
  check_compiled_files(model, files);
  return 0;
}
