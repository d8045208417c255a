// A whole compile of a (line, service) pair: the input up to its first NUL
// byte is the line description, the rest the service description. The only
// outcomes are the compiled files, a fatal error (1250 / 1251) or "no track".
// When the files are written their sizes must follow from the model, and the
// header and track files must read back to the model's entries and cells.
// The plan's file goes to a counting sink; for a long route (more than
// kPlanMetresWritten metres) its writer is not run at all, so no input costs
// more than a few milliseconds, and only its expected size is checked.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "compile/track_completion.h"
#include "decode/compiled_reader.h"
#include "fuzz_support.h"
#include "model/file_names.h"

namespace {

using sb::fuzz::kRoute;
using sb::fuzz::kTrain;
using sb::fuzz::require;

constexpr std::int32_t kPlanMetresWritten = 30000;

std::uint64_t value_bytes(sb::ValueTag tag) {
  return 2 + (tag == sb::ValueTag::Int16 ? 2 : tag == sb::ValueTag::Float64 ? 8 : 0);
}

// x for every metre, then y: metres 0 and 1 as the plan tags them, the
// computed metres from 2 on as floats, the rest empty.
std::uint64_t profile_size(const sb::TrackPlan& plan) {
  const std::int64_t last = plan.last_metre();
  std::uint64_t part = 0;
  for (std::int64_t m = 0; m <= std::min<std::int64_t>(last, 1); ++m) part += value_bytes(plan.tag(m));
  if (last >= 2) {
    const std::int64_t computed = std::clamp<std::int64_t>(plan.next_metre() - 2, 0, last - 1);
    part += 10 * static_cast<std::uint64_t>(computed) + 2 * static_cast<std::uint64_t>(last - 1 - computed);
  }
  return 2 * part;
}

bool same_entry(const sb::StationEntry& a, const sb::StationEntry& b) {
  return a.kind == b.kind && a.areaStart == b.areaStart && a.areaEnd == b.areaEnd && a.position == b.position &&
         a.flag1 == b.flag1 && a.name == b.name && a.set1a == b.set1a && a.set1b == b.set1b && a.set2a == b.set2a &&
         a.set2b == b.set2b && a.set2c == b.set2c && a.set1c == b.set1c && a.extra == b.extra && a.flag3 == b.flag3 &&
         a.flag2 == b.flag2 && a.timeOfDay == b.timeOfDay;
}

bool same_cell(const sb::TrackCell& a, const sb::TrackCell& b) {
  return a.kind == b.kind && a.value1 == b.value1 && a.value2 == b.value2 && a.value3 == b.value3 &&
         a.value4 == b.value4 && a.signalTime == b.signalTime && a.approach == b.approach && a.scenery == b.scenery &&
         a.speedLimit == b.speedLimit && a.gradient == b.gradient && a.adhesion == b.adhesion;
}

void check_compiled_files(const sb::ScenarioModel& model, const sb::fuzz::OutputFiles& out) {
  const std::string header_name = sb::header_file_name(kRoute, kTrain);
  const std::string track_name = sb::track_file_name(kRoute, kTrain);
  const std::string profile_name = sb::profile_file_name(kRoute);
  require(out.kept.size() == 2 && out.kept.count(header_name) == 1 && out.kept.count(track_name) == 1,
          "header or track file missing");
  require(out.counted.size() == 1 && out.counted.count(profile_name) == 1, "profile file missing");

  const std::string& header = out.kept.at(header_name);
  const std::string& track = out.kept.at(track_name);
  std::size_t names = 0;
  for (const auto& entry : model.ScenarioHeader) names += entry.name.size();
  require(header.size() == 2958 + names, "header file size");
  require(track.size() == 15 * model.TrackArray.size(), "track file size");

  // What was written reads back to what the model holds.
  std::vector<sb::Finding> findings;
  const sb::DecodedHeader decoded = sb::decode_header(header, header_name, findings);
  require(findings.empty() && decoded.complete(), "header file does not read back");
  for (std::size_t k = 0; k < model.ScenarioHeader.size(); ++k) {
    require(same_entry(decoded.entries[k], model.ScenarioHeader[k]), "header entry reads back different");
  }
  const std::vector<sb::TrackCell> cells = sb::decode_track(track, track_name, findings);
  require(findings.empty() && cells.size() == model.TrackArray.size(), "track file does not read back");
  for (std::size_t i = 0; i < cells.size(); ++i) {
    require(same_cell(cells[i], model.TrackArray[i]), "track cell reads back different");
  }

  const sb::TrackPlan& plan = model.ProfileTable;
  require(plan.allocated(), "a plan was wanted but none allocated");
  require(plan.next_metre() >= 2 && plan.next_metre() <= static_cast<std::int64_t>(plan.last_metre()) + 1,
          "the plan computed past its table");
  if (out.filled) require(out.counted.at(profile_name) == profile_size(plan), "profile file size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = sb::fuzz::bytes_of(data, size);
  const std::size_t split = input.find('\0');
  const std::string line = input.substr(0, split);
  const std::string service = split == std::string::npos ? std::string() : input.substr(split + 1);

  sb::ScenarioModel model;
  sb::fuzz::name_scenario(model);
  sb::MemoryFiles inputs = sb::fuzz::description_files(line, service);
  sb::fuzz::OutputFiles out;
  out.counted_name = sb::profile_file_name(kRoute);
  // The plan is complete when the door is asked for its file.
  out.fill_if = [&model] { return model.ProfileTable.last_metre() <= kPlanMetresWritten; };
  try {
    sb::memorizza_percorso(model, 1, inputs, out);
  } catch (const sb::FatalError& e) {
    require(e.code() == 1250 || e.code() == 1251, "fatal error with another number");
    require(out.empty(), "a compiled file written before a fatal error");
    return 0;
  } catch (const sb::NoTrackError&) {
    require(!model.track_allocated(), "no-track error with a track");
    require(out.empty(), "a compiled file written without a track");
    return 0;
  }
  sb::fuzz::check_after_reading(model, inputs);
  check_compiled_files(model, out);
  return 0;
}
