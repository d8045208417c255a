// The track scan of completion: markers of kind 12 (value 180) before the
// signals ahead of a slowdown's warning point (rule A), before a slowdown
// (rule B), inside a slow slowdown (rule C) and before the signal after it
// (rule D). Errors 11, 12 and 13 are recorded; none stops the scan.
#pragma once

#include "model/scenario_model.h"

namespace sb {

// Scans cells 1 .. N − 2 of an allocated track; nothing outside the track is
// read or written, whatever the walks ahead would reach.
void scan_track(ScenarioModel& model);

}  // namespace sb
