// Per-cell properties read backwards: the lines whose fills give a run of
// cells, and the mountain stretches that give the scenery and tunnel marks.
#pragma once

#include <cstdint>
#include <vector>

#include "model/scenario_model.h"

namespace sb {

// A profile line (gradient, speed limit, adhesion) at cell × 50 m whose
// value, as stored in the cell, holds from there on.
struct ProfileLine {
  std::int32_t cell;
  std::uint8_t value;
};

// The lines that fill cells 0 .. U − 3 as the cells hold them: one at 0 m,
// one where the value changes, and one at cell U − 2 when the fill reached it.
std::vector<ProfileLine> profile_lines(const std::vector<TrackCell>& cells, std::uint8_t TrackCell::*field);

struct MountainLine {
  std::int32_t start;  // inizio, m
  std::int32_t end;    // fine, m
  std::uint8_t type;   // scenery as stored
  bool tunnel;
};

// One stretch per run of equal nonzero scenery, with a tunnel when a mark
// stands on its 4th, 8th, ... cell. A stretch that starts 150 m or less after
// the one before is stored as type 3: a run of another type is given ends
// that keep it further away.
std::vector<MountainLine> mountain_lines(const std::vector<TrackCell>& cells);

}  // namespace sb
