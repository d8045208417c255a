#include "reading/plan.h"

#include <algorithm>

#include "model/runtime_failure.h"
#include "reading/text_match.h"

namespace sb {

namespace {

enum class Curvature { Straight, Curved };

// The metre-by-metre loop "while metre <= last: compute metre; metre += 1;
// stop past the table or past the limit" in closed form: the same metres are
// computed and the same outcome is returned, and the plan records one run.
PlanRun run(TrackPlan& plan, std::int32_t& metre, std::int64_t last, bool limited, Curvature kind, double k) {
  if (metre > last) return PlanRun::Done;
  const std::int64_t table_last = plan.last_metre();
  if (metre > table_last) return PlanRun::PastTable;
  if (metre != plan.next_metre()) throw RuntimeFailure("the plan and its next metre are out of step");
  std::int64_t end = std::min(last, table_last);
  // The limit is tested after a metre is computed, so at least one is.
  if (limited) end = std::min<std::int64_t>(end, std::max<std::int64_t>(metre, kPlanMetreLimit));
  const auto through = static_cast<std::int32_t>(end);
  if (kind == Curvature::Straight) {
    plan.extend_straight(through);
  } else {
    plan.extend_curved(through, k);
  }
  metre = through + 1;
  if (limited && metre > kPlanMetreLimit) return PlanRun::PastLimit;
  return metre <= last ? PlanRun::PastTable : PlanRun::Done;
}

}  // namespace

void plan_start(TrackPlan& plan) { plan.start(); }

std::optional<double> curve_curvature(std::string_view keyword) {
  static constexpr double kPerClass[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  for (int digit = 1; digit <= 6; ++digit) {
    if (contains(keyword, std::string(1, static_cast<char>('0' + digit)))) {
      const double k = kPerClass[digit - 1];
      return contains_nocase(keyword, "s") ? -k : k;
    }
  }
  return std::nullopt;
}

PlanRun run_straight(TrackPlan& plan, std::int32_t& metre, std::int64_t last) {
  return run(plan, metre, last, true, Curvature::Straight, 0.0);
}

PlanRun run_curved(TrackPlan& plan, std::int32_t& metre, std::int64_t last, double k) {
  return run(plan, metre, last, true, Curvature::Curved, k);
}

void run_straight_tail(TrackPlan& plan, std::int32_t& metre, std::int64_t last) {
  run(plan, metre, last, false, Curvature::Straight, 0.0);
}

}  // namespace sb
