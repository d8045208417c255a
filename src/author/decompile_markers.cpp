#include "author/decompile_markers.h"

#include "compile/track_scan.h"
#include "model/cell_kinds.h"

namespace sb {

namespace {
constexpr std::int16_t kCompletionValue = 180;
}

std::vector<AuthoredMarker> authored_markers(const std::vector<TrackCell>& cells) {
  ScenarioModel model;
  model.TrackArray = cells;
  std::vector<bool> cleared(cells.size(), false);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    TrackCell& c = model.TrackArray[i];
    if (c.kind == cell_kind::kMarker && c.value1 == kCompletionValue) {
      c.kind = cell_kind::kNothing;
      c.value1 = 0;
      cleared[i] = true;
    }
  }
  // Cell 1's fixed value and check code are stored after the scan.
  if (model.TrackArray.size() > 1) {
    model.TrackArray[1].value1 = 0;
    model.TrackArray[1].value2 = 0;
  }
  if (model.TrackArray.size() > 3) scan_track(model);

  std::vector<AuthoredMarker> markers;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    const bool placed_again = cleared[i] && model.TrackArray[i].kind == cell_kind::kMarker;
    // Cell 1 holds the fixed value 5121 in value1: never an author's marker.
    if (c.kind == cell_kind::kMarker && !placed_again && i != 1) {
      // Only the low 16 bits of a value above 0 are stored.
      markers.push_back({i, c.value1 > 0 ? std::int64_t{c.value1} : std::int64_t{c.value1} + 65536});
    } else if (c.kind == cell_kind::kMarkerWithoutValue) {
      markers.push_back({i, 0});
    }
  }
  return markers;
}

}  // namespace sb
