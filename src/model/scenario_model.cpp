#include "model/scenario_model.h"

#include <algorithm>
#include <array>
#include <string>

#include "model/numeric.h"
#include "model/runtime_failure.h"

namespace sb {

std::int32_t track_upper_index(std::int32_t extended_length) {
  return nearest(static_cast<double>(extended_length) / 50.0);
}

std::int32_t ScenarioModel::track_upper() const {
  if (!track_allocated()) throw RuntimeFailure("the track array was never allocated");
  return static_cast<std::int32_t>(TrackArray.size()) - 1;
}

TrackCell& ScenarioModel::cell(std::int64_t index) {
  if (!track_allocated()) throw RuntimeFailure("the track array was never allocated");
  if (index < 0 || index >= static_cast<std::int64_t>(TrackArray.size())) {
    throw RuntimeFailure("track cell " + std::to_string(index) + " outside the track");
  }
  return TrackArray[static_cast<std::size_t>(index)];
}

const TrackCell& ScenarioModel::cell(std::int64_t index) const { return const_cast<ScenarioModel*>(this)->cell(index); }

void ScenarioModel::allocate_track(std::int32_t route_length) {
  ExtendedLength = route_length + kTrackBeyondRoute;
  const std::int32_t upper = track_upper_index(ExtendedLength);
  if (upper < 0) throw RuntimeFailure("route length " + std::to_string(route_length) + " gives no track");
  // Empty cells are copied in from a block of them: resize would build
  // them one by one, a call per cell in the sanitizers' build.
  static constexpr std::array<TrackCell, 1024> kEmptyCells{};
  const auto cells = static_cast<std::size_t>(upper) + 1;
  TrackArray.clear();
  TrackArray.reserve(cells);
  while (TrackArray.size() < cells) {
    const auto block = static_cast<std::ptrdiff_t>(std::min(kEmptyCells.size(), cells - TrackArray.size()));
    TrackArray.insert(TrackArray.end(), kEmptyCells.begin(), kEmptyCells.begin() + block);
  }
  if (ProfileWanted != 0) {
    ProfileTable.allocate(ExtendedLength);
  }
}

void ScenarioModel::reset_header() {
  for (auto& entry : ScenarioHeader) entry = StationEntry{};
}

void record_error(ScenarioModel& model, int code) { record_error(model, code, model.diagnostics.place); }

void record_error(ScenarioModel& model, int code, const SourcePlace& where, const std::string& detail) {
  model.ErrorCode = code;
  if (model.diagnostics.sink != nullptr) model.diagnostics.sink->recorded_error(code, where, detail);
}

void record_warning(ScenarioModel& model, const std::string& message, const SourcePlace& where) {
  if (model.diagnostics.sink != nullptr) model.diagnostics.sink->warning(message, where);
}

}  // namespace sb
