// The plan at several resolutions for a zoomable map: a 1,000,000 m route
// has a point per metre, far more than any one view can show. Level k keeps
// the points a Douglas-Peucker simplification keeps with tolerance
// kFinestTolerance × 4^k: every metre of the plan lies within that distance
// of the level's polyline, between the two kept points around it. The first
// and last metre of every piece (a run of set metres) are always kept.
#pragma once

#include <cstddef>
#include <vector>

#include "decode/plan_summary.h"
#include "model/profile_table.h"

namespace sb {

constexpr double kFinestTolerance = 0.05;  // metres
constexpr double kToleranceStep = 4.0;
// Coarser levels are added until a level holds at most this many points.
constexpr std::size_t kCoarsestPoints = 400;
constexpr std::size_t kMaxLevels = 14;

struct PlanLevel {
  double tolerance = 0.0;
  std::vector<std::vector<PlanPoint>> pieces;
  std::size_t point_count() const;
};

// The pieces of the plan, every set metre.
std::vector<std::vector<PlanPoint>> plan_pieces(const PlanTable& plan);

// Points of `piece` kept at `tolerance` (first and last always).
std::vector<PlanPoint> simplify(const std::vector<PlanPoint>& piece, double tolerance);

// Finest level first. Each level is simplified from the one before with the
// difference of their tolerances, so the bound holds against the full plan.
std::vector<PlanLevel> plan_levels(const PlanTable& plan);

}  // namespace sb
