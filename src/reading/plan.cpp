#include "reading/plan.h"

#include <vector>

#include "reading/text_match.h"

namespace sb {

namespace {

struct Columns {
  std::vector<double>& x;
  std::vector<double>& y;
  std::vector<ValueTag>& tx;
  std::vector<ValueTag>& ty;
};

Columns columns_of(PlanTable& plan) { return {plan.column(0), plan.column(1), plan.tags(0), plan.tags(1)}; }

// x(m) := x(m-1) + dx, where dx = x(m-1) - x(m-2); likewise y.
void straight_step(Columns& c, std::size_t m) {
  const double dx = c.x[m - 1] - c.x[m - 2];
  const double dy = c.y[m - 1] - c.y[m - 2];
  c.x[m] = c.x[m - 1] + dx;
  c.y[m] = c.y[m - 1] + dy;
  c.tx[m] = ValueTag::Float64;
  c.ty[m] = ValueTag::Float64;
}

// The step vector turned by k: x(m) := x(m-1) + (dx + k dy), y(m) := y(m-1) + (dy - k dx).
void curved_step(Columns& c, std::size_t m, double k) {
  const double dx = c.x[m - 1] - c.x[m - 2];
  const double dy = c.y[m - 1] - c.y[m - 2];
  c.x[m] = c.x[m - 1] + (dx + k * dy);
  c.y[m] = c.y[m - 1] + (dy - k * dx);
  c.tx[m] = ValueTag::Float64;
  c.ty[m] = ValueTag::Float64;
}

template <typename Step>
PlanRun run(PlanTable& plan, std::int32_t& metre, std::int64_t last, bool limited, Step step) {
  Columns c = columns_of(plan);
  const std::int64_t table_last = plan.last_metre();
  while (metre <= last) {
    if (metre > table_last) return PlanRun::PastTable;
    step(c, static_cast<std::size_t>(metre));
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
  return run(plan, metre, last, true, [](Columns& c, std::size_t m) { straight_step(c, m); });
}

PlanRun run_curved(PlanTable& plan, std::int32_t& metre, std::int64_t last, double k) {
  return run(plan, metre, last, true, [k](Columns& c, std::size_t m) { curved_step(c, m, k); });
}

void run_straight_tail(PlanTable& plan, std::int32_t& metre, std::int64_t last) {
  run(plan, metre, last, false, [](Columns& c, std::size_t m) { straight_step(c, m); });
}

}  // namespace sb
