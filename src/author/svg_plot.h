// The SVG picture of a compiled scenario. Its size is bounded whatever the
// route's length: the plan is thinned, the profiles are drawn per run of
// equal cells, the markers per occupied cell.
#pragma once

#include <string>

#include "decode/compiled_reader.h"

namespace sb {

constexpr std::size_t kPlanPointsDrawn = 4000;

// Needs the header and the track; the plan is drawn when it is there.
std::string scenario_svg(const CompiledScenario& s);

}  // namespace sb
