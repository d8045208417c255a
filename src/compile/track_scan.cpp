#include "compile/track_scan.h"

namespace sb {

// Placeholder until the scan's rules are in place.
void scan_track(ScenarioModel& model) { (void)model; }

}  // namespace sb
