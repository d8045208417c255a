#include "reading/plan.h"

#include <vector>

#include "reading/text_match.h"

namespace sb {

namespace {

// The last two points of the plan. The integration keeps them in registers
// rather than reading back what it has just stored: each metre depends on the
// one before, so a round trip through memory would lengthen every step.
struct Heading {
  double x2, y2;  // metre m - 2
  double x1, y1;  // metre m - 1

  void advance(double x, double y) {
    x2 = x1;
    y2 = y1;
    x1 = x;
    y1 = y;
  }
};

// x(m) := x(m-1) + dx, where dx = x(m-1) - x(m-2); likewise y.
struct StraightStep {
  void operator()(Heading& h) const {
    const double dx = h.x1 - h.x2;
    const double dy = h.y1 - h.y2;
    h.advance(h.x1 + dx, h.y1 + dy);
  }
};

// The step vector turned by k: x(m) := x(m-1) + (dx + k dy), y(m) := y(m-1) + (dy - k dx).
struct CurvedStep {
  double k;
  void operator()(Heading& h) const {
    const double dx = h.x1 - h.x2;
    const double dy = h.y1 - h.y2;
    h.advance(h.x1 + (dx + k * dy), h.y1 + (dy - k * dx));
  }
};

template <typename Step>
PlanRun run(PlanTable& plan, std::int32_t& metre, std::int64_t last, bool limited, Step step) {
  const std::int64_t table_last = plan.last_metre();
  if (metre > last) return PlanRun::Done;
  if (metre > table_last) return PlanRun::PastTable;
  std::vector<double>& x = plan.column(0);
  std::vector<double>& y = plan.column(1);
  std::vector<ValueTag>& tx = plan.tags(0);
  std::vector<ValueTag>& ty = plan.tags(1);
  const auto first = static_cast<std::size_t>(metre);
  Heading h{x[first - 2], y[first - 2], x[first - 1], y[first - 1]};
  while (metre <= last) {
    if (metre > table_last) return PlanRun::PastTable;
    step(h);
    const auto m = static_cast<std::size_t>(metre);
    x[m] = h.x1;
    y[m] = h.y1;
    tx[m] = ValueTag::Float64;
    ty[m] = ValueTag::Float64;
    ++metre;
    if (limited && metre > kPlanMetreLimit) return PlanRun::PastLimit;
  }
  return PlanRun::Done;
}

}  // namespace

void plan_start(PlanTable& plan) {
  plan.set_int16(0, 0, 0);
  plan.set_int16(0, 1, 0);
  plan.set_int16(1, 0, 0);
  plan.set_int16(1, 1, 1);
}

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

PlanRun run_straight(PlanTable& plan, std::int32_t& metre, std::int64_t last) {
  return run(plan, metre, last, true, StraightStep{});
}

PlanRun run_curved(PlanTable& plan, std::int32_t& metre, std::int64_t last, double k) {
  return run(plan, metre, last, true, CurvedStep{k});
}

void run_straight_tail(PlanTable& plan, std::int32_t& metre, std::int64_t last) {
  run(plan, metre, last, false, StraightStep{});
}

}  // namespace sb
