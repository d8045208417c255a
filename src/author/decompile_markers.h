// Marker cells (kind 12 and 13) an author wrote as "abbattimento" lines, told
// apart from the markers of value 180 that track completion adds and adds
// again when the descriptions are compiled.
#pragma once

#include <cstdint>
#include <vector>

#include "model/scenario_model.h"

namespace sb {

struct AuthoredMarker {
  std::size_t cell;
  std::int64_t value;  // > 0 for a marker with a value, 0 without
};

// The track scan is run on the cells without their markers of value 180:
// those it places again are completion's; the rest were written by authors.
std::vector<AuthoredMarker> authored_markers(const std::vector<TrackCell>& cells);

}  // namespace sb
