// The three recorders the line description reader calls: the ordering of the
// kilometre markers, the mountain stretches and the speed-limit boards.
#pragma once

#include <cstdint>

#include "model/scenario_model.h"

namespace sb {

// Puts the marker triples of entries 81..83 (as read: "tre", "due", "uno")
// into decreasing order of position, then adds 100 to the value of every
// triple whose flag is 1.
void progressive_ordina(ScenarioModel& model);

// Records one mountain stretch: scenery type on its cells, and for a type
// above 10 (a tunnel) a tunnel mark on every fourth empty cell. `tipo` is
// changed to the type actually stored. Refuses a 81st stretch (201) and a
// stretch whose cells run past the track's last cell (202) without writing.
void memo_montagna(ScenarioModel& model, std::int32_t inizio, std::int32_t fine, std::int32_t& tipo);

// The boards standing at one position: speeds in km/h and stripe counts of
// the first side (…s) and the second side (…d).
struct SpeedBoards {
  std::int32_t vas = 0, vbs = 0, vcs = 0, strisces = 0;
  std::int32_t vad = 0, vbd = 0, vcd = 0, strisced = 0;
};

// Marks cell nearest(posizione / 50 + 1) as a speed-board cell (kind 6), or
// records 21 when the cell is taken. A packed speed that a 16-bit value
// cannot hold is a run-time failure.
void memo_indicatori_v_max(ScenarioModel& model, std::int32_t posizione, const SpeedBoards& boards);

}  // namespace sb
