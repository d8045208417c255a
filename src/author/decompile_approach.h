// The approach code of every signal, found again from its cells.
#pragma once

#include <cstdint>
#include <vector>

#include "model/scenario_model.h"

namespace sb {

// The approach code sx × 3 + dx: value4 = rapp × 10 + code, and the cells 2k
// before the signal hold low8(code × 10 + k) unless a later signal wrote
// over them (signals are written in order of position, so the later one is
// further on). Of the codes value4 allows, the one most of the signal's own
// marks agree with, nearest to the usual 1 .. 9 on a tie. Indexed by cell;
// 0 where no signal stands.
std::vector<std::int64_t> approach_codes(const std::vector<TrackCell>& cells);

}  // namespace sb
