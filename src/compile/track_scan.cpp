#include "compile/track_scan.h"

#include <cstdint>
#include <string>

#include "compile/check_codes.h"
#include "model/cell_kinds.h"
#include "model/error_codes.h"

namespace sb {

namespace {

using cell_kind::kMarker;
using cell_kind::kSignal;
using cell_kind::kSlowdownEnd;
using cell_kind::kSlowdownStart;
using cell_kind::kWarningPoint;
constexpr std::int16_t kMarkerValue = 180;

// Slowdowns at this speed or faster get no markers inside them.
constexpr std::int16_t kFastSlowdown = 110;
// Inside a slow slowdown a marker follows every 8 cells (400 m).
constexpr std::int32_t kMarkerSpacing = 8;
// How far before a warning point signals are looked for, and how far after a
// slowdown's end the next signal.
constexpr std::int32_t kSignalsBeforeWarning = 20;
constexpr std::int32_t kSignalAfterEnd = 12;
// Rule A looks no lower than this cell, so its markers stay on cells 1 and up.
constexpr std::int32_t kLowestSignalCell = 3;

// Everything past the last cell counts as taken: nothing is written there.
bool free_at(const ScenarioModel& model, std::int32_t i, std::int32_t last) {
  return i >= 0 && i <= last && model.cell(i).is_free();
}

bool kind_at(const ScenarioModel& model, std::int32_t i, std::int32_t last, std::uint8_t kind) {
  return i >= 0 && i <= last && model.cell(i).kind == kind;
}

// Only kind and value1 change; a tunnel mark becomes a marker.
void place_marker(ScenarioModel& model, std::int32_t i) {
  TrackCell& cell = model.cell(i);
  cell.kind = kMarker;
  cell.value1 = kMarkerValue;
}

void lower_marker(ScenarioModel& model, std::int32_t i) {
  TrackCell& cell = model.cell(i);
  cell.value1 = minimo(kMarkerValue, cell.value1);
}

void record_scan_error(ScenarioModel& model, int code, const std::string& what, std::int32_t cell) {
  record_error(model, code, model.diagnostics.place, what + " at cell " + std::to_string(cell));
}

// Rule A: every signal among the 20 cells before a warning point (down to
// cell 3) gets a marker on one of the two cells before it, or an existing
// marker there is lowered to 180 at most.
void mark_signals_before_warning(ScenarioModel& model, std::int32_t c, std::int32_t last) {
  for (std::int32_t k = 1; k <= kSignalsBeforeWarning; ++k) {
    const std::int32_t d = c - k;
    if (d < kLowestSignalCell) return;
    if (model.cell(d).kind != kSignal) continue;
    if (free_at(model, d - 1, last)) {
      place_marker(model, d - 1);
    } else if (free_at(model, d - 2, last)) {
      place_marker(model, d - 2);
    } else if (kind_at(model, d - 1, last, kMarker)) {
      lower_marker(model, d - 1);
    } else if (kind_at(model, d - 2, last, kMarker)) {
      lower_marker(model, d - 2);
    } else {
      record_scan_error(model, err::kSignalMarker, "no cell for a marker before the signal", d);
    }
  }
}

// Rule B: three groups of candidates, 250 to 1000 m before the start; each
// group whose cells all lie after cell 0 gets a marker on its first free one.
void mark_before_slowdown(ScenarioModel& model, std::int32_t c, std::int32_t last) {
  struct Group {
    std::int32_t nearest_distance;  // candidates are c − d, c − d − 1, c − d − 2
  };
  static constexpr Group kGroups[] = {{5}, {11}, {18}};
  for (const Group& group : kGroups) {
    const std::int32_t farthest = c - group.nearest_distance - 2;
    if (farthest < 1) continue;
    bool placed = false;
    for (std::int32_t i = c - group.nearest_distance; i >= farthest && !placed; --i) {
      if (free_at(model, i, last)) {
        place_marker(model, i);
        placed = true;
      }
    }
    if (!placed) {
      record_scan_error(model, err::kSlowdownApproachMarker, "no free cell for a marker before the slowdown", c);
    }
  }
}

// Rule C's marker at the walk's cell k, else k − 1, else k + 1. Returns the
// counter to carry on with: 0, 1 or −1 so that the next marker comes 8 cells
// after this one; 8 when none could be placed, so the counter runs past 8 and
// the slowdown gets no further marker.
std::int32_t place_walk_marker(ScenarioModel& model, std::int32_t k, std::int32_t last) {
  if (free_at(model, k, last)) {
    place_marker(model, k);
    return 0;
  }
  if (free_at(model, k - 1, last)) {
    place_marker(model, k - 1);
    return 1;
  }
  if (free_at(model, k + 1, last)) {
    place_marker(model, k + 1);
    return -1;
  }
  record_scan_error(model, err::kSlowdownMarker, "no free cell for a marker inside the slowdown", k);
  return kMarkerSpacing;
}

// Walks from the start cell c to the first slowdown end after it, placing a
// marker every 8 cells when `with_markers`. The walk never leaves the track:
// when it reaches the last cell without meeting an end it returns −1. A
// slowdown of length 0 has no end cell of its own (its single cell is a start
// mark), so its walk runs on to the next slowdown's end, as the format has it.
std::int32_t walk_to_end(ScenarioModel& model, std::int32_t c, std::int32_t last, bool with_markers) {
  std::int32_t counter = 0;
  for (std::int32_t k = c + 1; k <= last; ++k) {
    ++counter;
    if (with_markers && counter == kMarkerSpacing) counter = place_walk_marker(model, k, last);
    if (model.cell(k).kind == kSlowdownEnd) return k;
  }
  return -1;
}

// Rule D: the first signal within cells end .. end + 12 (never past the last
// cell) gets a marker on the cell before it, else on the one before that. An
// existing marker counts as taken here.
void mark_signal_after_slowdown(ScenarioModel& model, std::int32_t end, std::int32_t last) {
  for (std::int32_t m = end; m <= end + kSignalAfterEnd && m <= last; ++m) {
    if (model.cell(m).kind != kSignal) continue;
    const std::int32_t p = m - 1;
    if (p <= 0) return;
    if (free_at(model, p, last)) {
      place_marker(model, p);
    } else if (free_at(model, p - 1, last)) {
      place_marker(model, p - 1);
    } else {
      record_scan_error(model, err::kSlowdownMarker, "no free cell for a marker before the signal", m);
    }
    return;
  }
}

// Rules B, C and D for the slowdown starting at cell c. A fast slowdown gets
// no markers inside, but its end is still found (by the same walk, without
// markers) so that the signal after it is treated like any other.
void mark_slowdown(ScenarioModel& model, std::int32_t c, std::int32_t last) {
  mark_before_slowdown(model, c, last);
  const bool slow = model.cell(c).value1 < kFastSlowdown;
  const std::int32_t end = walk_to_end(model, c, last, slow);
  if (end >= 0) mark_signal_after_slowdown(model, end, last);
}

}  // namespace

void scan_track(ScenarioModel& model) {
  const std::int32_t last = model.track_upper();
  for (std::int32_t c = 1; c <= last - 2; ++c) {
    const std::uint8_t kind = model.cell(c).kind;
    if (kind == kWarningPoint) {
      mark_signals_before_warning(model, c, last);
    } else if (kind == kSlowdownStart) {
      mark_slowdown(model, c, last);
    }
  }
}

}  // namespace sb
