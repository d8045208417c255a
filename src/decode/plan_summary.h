// Figures of a decoded plan for a person, and a thinned copy of it for
// drawing: a long route has a point per metre, far more than a picture needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/profile_table.h"

namespace sb {

struct PlanPoint {
  std::int64_t metre;
  double x;
  double y;
};

struct PlanSummary {
  std::size_t points = 0;  // metres with both coordinates set
  std::int64_t first_metre = -1;
  std::int64_t last_metre = -1;
  double length = 0.0;  // along the track, over consecutive set metres
  double min_x = 0.0, max_x = 0.0, min_y = 0.0, max_y = 0.0;
  double net_turning = 0.0;       // degrees, left positive
  double absolute_turning = 0.0;  // degrees, every bend counted
};

PlanSummary summarise_plan(const PlanTable& plan);

// The point at metre m when both its coordinates are set.
std::optional<PlanPoint> plan_point(const PlanTable& plan, std::int64_t metre);

// At most about `max_points` set points, evenly spaced along the track, the
// first and the last included; a gap (unset metres) starts a new piece.
std::vector<std::vector<PlanPoint>> thin_plan(const PlanTable& plan, std::size_t max_points);

}  // namespace sb
