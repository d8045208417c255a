// The whole working state of one run: the track in 50 m cells, the 87-entry
// header table, the metre-by-metre plan and the handful of single values the
// readers, recorders and track completion share.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "model/cell_kinds.h"
#include "model/diagnostics.h"
#include "model/track_plan.h"

namespace sb {

// No member initialisers: a cell is plain bytes, so the 20,141 cells of the
// longest track are cleared as one block rather than built one by one (a
// call per cell in the sanitizers' build). Declare a cell with braces,
// `TrackCell c{}`, and it is all zero, as a new track's cells are.
struct TrackCell {
  std::uint8_t kind;
  std::int16_t value1;
  std::int16_t value2;
  std::int16_t value3;
  std::int16_t value4;
  std::uint8_t signalTime;
  std::uint8_t approach;
  std::uint8_t scenery;
  std::uint8_t speedLimit;
  std::uint8_t gradient;
  std::uint8_t adhesion;

  // A cell is free for a new occupant when nothing or only a tunnel mark
  // stands on it.
  bool is_free() const { return kind == cell_kind::kNothing || kind == cell_kind::kTunnelMark; }
};
static_assert(std::is_trivial_v<TrackCell>);

// Field order is the order on disk in the header file.
struct StationEntry {
  std::uint8_t kind = 0;
  std::int32_t areaStart = 0;
  std::int32_t areaEnd = 0;
  std::int32_t position = 0;
  std::uint8_t flag1 = 0;
  std::string name;
  std::int16_t set1a = 0;
  std::int16_t set1b = 0;
  std::int16_t set2a = 0;
  std::int16_t set2b = 0;
  std::int16_t set2c = 0;
  std::uint8_t set1c = 0;
  std::uint8_t extra = 0;
  std::uint8_t flag3 = 0;
  std::uint8_t flag2 = 0;
  std::int32_t timeOfDay = 0;
};

constexpr int kHeaderEntries = 87;       // entries 0 .. 86
constexpr int kMountainSlots = 81;       // indices 0 .. 80, stretch n at index n
constexpr int kTrackBeyondRoute = 7000;  // the track reaches this far past the route's end
constexpr std::int32_t kMaxRouteLength = 1000000;

// Cells 0 .. nearest(extended / 50): what the line reader allocates for a
// route whose extended length (route length + 7000) is `extended`.
std::int32_t track_upper_index(std::int32_t extended_length);

class ScenarioModel {
 public:
  // The plan of the track, metre by metre; allocated only while the profile
  // is wanted.
  TrackPlan ProfileTable;

  // The route in 50 m cells. Empty until the line reader reads the route
  // length; `track_allocated()` tells the two states apart.
  std::vector<TrackCell> TrackArray;

  std::array<StationEntry, kHeaderEntries> ScenarioHeader{};
  std::array<std::int32_t, kMountainSlots> MountainStart{};
  std::array<std::int32_t, kMountainSlots> MountainEnd{};
  std::int32_t MountainCount = 0;
  std::int32_t ProfileWanted = 0;

  // Scratch integers kept for the procedures that share them across calls
  // (the document writer leaves its line count in LoopIndex).
  std::int32_t RunCounter = 0;
  std::int32_t AheadIndex = 0;
  std::int32_t StepFlag = 0;
  std::int32_t LoopIndex = 0;
  std::int32_t InnerIndex = 0;
  std::int32_t RepeatIndex = 0;

  std::string TrainCode;
  std::string RouteName;
  std::string InputField;
  std::int32_t ExtendedLength = 0;
  std::int32_t ErrorCode = 0;

  // Not part of the scenario: where recorded errors are reported, and the
  // place in a description file that the current entry came from.
  Diagnostics diagnostics;

  bool track_allocated() const { return !TrackArray.empty(); }
  // Upper index U of the track; the track must be allocated.
  std::int32_t track_upper() const;

  // Checked access: an index outside the track (or a track never allocated)
  // is a run-time failure, never a write outside the table.
  TrackCell& cell(std::int64_t index);
  const TrackCell& cell(std::int64_t index) const;

  // Allocates the track (and the plan, when wanted) for route length L.
  void allocate_track(std::int32_t route_length);

  // Clears every field of every header entry.
  void reset_header();
};

}  // namespace sb
