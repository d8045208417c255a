// The line reader's side of the plan: where the straight and curved runs of
// the description begin and end, and when they stop short.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/track_plan.h"

namespace sb {

// A curved run may not carry the plan past this metre.
constexpr std::int32_t kPlanMetreLimit = 1000000;

// Metres 0 and 1 as 16-bit values: the track starts at the origin heading
// along +y in steps of 1 m.
void plan_start(TrackPlan& plan);

// Curvature per metre of a curve keyword: the first of the class digits 1..6
// found in it (0.0001 .. 0.003), negative when it holds an "s" in either case.
// No class digit: nothing.
std::optional<double> curve_curvature(std::string_view keyword);

enum class PlanRun {
  Done,
  PastLimit,  // metre kPlanMetreLimit was passed
  PastTable,  // the next metre lies beyond the plan table
};

// Computes metres `metre` .. `last` and leaves `metre` at the next one to
// compute; `metre` is where the plan ends. A straight run has no curvature.
// Runs stop at the table's end and after metre kPlanMetreLimit.
PlanRun run_straight(TrackPlan& plan, std::int32_t& metre, std::int64_t last);
PlanRun run_curved(TrackPlan& plan, std::int32_t& metre, std::int64_t last, double k);
// The straight run to the end of the route, which has no metre limit.
void run_straight_tail(TrackPlan& plan, std::int32_t& metre, std::int64_t last);

}  // namespace sb
