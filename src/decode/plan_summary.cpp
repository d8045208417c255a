#include "decode/plan_summary.h"

#include <algorithm>
#include <cmath>

namespace sb {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool is_set(const PlanTable& plan, std::size_t m) {
  return plan.tags(0)[m] != ValueTag::Empty && plan.tags(1)[m] != ValueTag::Empty;
}

}  // namespace

std::optional<PlanPoint> plan_point(const PlanTable& plan, std::int64_t metre) {
  if (!plan.allocated() || metre < 0 || metre > plan.last_metre()) return std::nullopt;
  const auto m = static_cast<std::size_t>(metre);
  if (!is_set(plan, m)) return std::nullopt;
  return PlanPoint{metre, plan.column(0)[m], plan.column(1)[m]};
}

PlanSummary summarise_plan(const PlanTable& plan) {
  PlanSummary s;
  if (!plan.allocated()) return s;
  const auto& x = plan.column(0);
  const auto& y = plan.column(1);
  double heading = 0.0;  // of the step that ends at the previous metre
  bool has_heading = false;
  for (std::size_t m = 0; m < x.size(); ++m) {
    if (!is_set(plan, m)) {
      has_heading = false;
      continue;
    }
    if (s.points == 0) {
      s.min_x = s.max_x = x[m];
      s.min_y = s.max_y = y[m];
      s.first_metre = static_cast<std::int64_t>(m);
    }
    ++s.points;
    s.last_metre = static_cast<std::int64_t>(m);
    s.min_x = std::min(s.min_x, x[m]);
    s.max_x = std::max(s.max_x, x[m]);
    s.min_y = std::min(s.min_y, y[m]);
    s.max_y = std::max(s.max_y, y[m]);
    if (m == 0 || !is_set(plan, m - 1)) continue;
    const double dx = x[m] - x[m - 1];
    const double dy = y[m] - y[m - 1];
    s.length += std::hypot(dx, dy);
    if (dx == 0.0 && dy == 0.0) continue;
    const double h = std::atan2(dy, dx);
    if (has_heading) {
      double turn = h - heading;
      while (turn > kPi) turn -= 2 * kPi;
      while (turn <= -kPi) turn += 2 * kPi;
      s.net_turning += turn * 180.0 / kPi;
      s.absolute_turning += std::fabs(turn) * 180.0 / kPi;
    }
    heading = h;
    has_heading = true;
  }
  return s;
}

std::vector<std::vector<PlanPoint>> thin_plan(const PlanTable& plan, std::size_t max_points) {
  std::vector<std::vector<PlanPoint>> pieces;
  if (!plan.allocated()) return pieces;
  const auto& tags = plan.tags(0);
  std::size_t set_count = 0;
  for (std::size_t m = 0; m < tags.size(); ++m) set_count += is_set(plan, m) ? 1 : 0;
  const std::size_t stride =
      std::max<std::size_t>(1, (set_count + max_points - 1) / std::max<std::size_t>(1, max_points));
  bool in_piece = false;
  std::size_t since_kept = 0;
  for (std::size_t m = 0; m < tags.size(); ++m) {
    if (!is_set(plan, m)) {
      in_piece = false;
      continue;
    }
    const bool last_of_piece = m + 1 == tags.size() || !is_set(plan, m + 1);
    if (!in_piece) {
      pieces.emplace_back();
      in_piece = true;
      since_kept = stride;  // always keep a piece's first point
    }
    if (since_kept >= stride || last_of_piece) {
      pieces.back().push_back(PlanPoint{static_cast<std::int64_t>(m), plan.column(0)[m], plan.column(1)[m]});
      since_kept = 0;
    }
    ++since_kept;
  }
  return pieces;
}

}  // namespace sb
