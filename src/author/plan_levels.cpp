#include "author/plan_levels.h"

#include <cmath>
#include <utility>

namespace sb {

namespace {

bool is_set(const PlanTable& plan, std::size_t m) {
  return plan.tags(0)[m] != ValueTag::Empty && plan.tags(1)[m] != ValueTag::Empty;
}

// Squared distance from p to the segment a-b (to a when the two coincide):
// the simplification compares distances only, and the square root (hypot
// above all) was most of its time.
double segment_distance2(const PlanPoint& p, const PlanPoint& a, const PlanPoint& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = 0.0;
  if (len2 > 0.0) t = std::fmax(0.0, std::fmin(1.0, ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2));
  const double ex = p.x - (a.x + t * dx);
  const double ey = p.y - (a.y + t * dy);
  return ex * ex + ey * ey;
}

}  // namespace

std::size_t PlanLevel::point_count() const {
  std::size_t n = 0;
  for (const auto& piece : pieces) n += piece.size();
  return n;
}

std::vector<std::vector<PlanPoint>> plan_pieces(const PlanTable& plan) {
  std::vector<std::vector<PlanPoint>> pieces;
  if (!plan.allocated()) return pieces;
  bool in_piece = false;
  for (std::size_t m = 0; m < plan.tags(0).size(); ++m) {
    if (!is_set(plan, m)) {
      in_piece = false;
      continue;
    }
    if (!in_piece) pieces.emplace_back();
    in_piece = true;
    pieces.back().push_back(PlanPoint{static_cast<std::int64_t>(m), plan.column(0)[m], plan.column(1)[m]});
  }
  return pieces;
}

std::vector<PlanPoint> simplify(const std::vector<PlanPoint>& piece, double tolerance) {
  if (piece.size() <= 2) return piece;
  std::vector<char> keep(piece.size(), 0);
  keep.front() = keep.back() = 1;
  // An explicit stack: a long straight stretch would nest deep.
  std::vector<std::pair<std::size_t, std::size_t>> spans{{0, piece.size() - 1}};
  const double tolerance2 = tolerance * tolerance;
  while (!spans.empty()) {
    const auto [a, b] = spans.back();
    spans.pop_back();
    double worst = -1.0;
    std::size_t at = a;
    for (std::size_t i = a + 1; i < b; ++i) {
      const double d = segment_distance2(piece[i], piece[a], piece[b]);
      if (d > worst) {
        worst = d;
        at = i;
      }
    }
    if (worst > tolerance2) {
      keep[at] = 1;
      spans.emplace_back(a, at);
      spans.emplace_back(at, b);
    }
  }
  std::vector<PlanPoint> kept;
  for (std::size_t i = 0; i < piece.size(); ++i) {
    if (keep[i] != 0) kept.push_back(piece[i]);
  }
  return kept;
}

std::vector<PlanLevel> plan_levels(const PlanTable& plan) {
  std::vector<PlanLevel> levels;
  levels.reserve(kMaxLevels);  // `from` points into it
  const auto full = plan_pieces(plan);
  if (full.empty()) return levels;
  const std::vector<std::vector<PlanPoint>>* from = &full;
  double previous = 0.0;
  double tolerance = kFinestTolerance;
  while (levels.size() < kMaxLevels) {
    PlanLevel level;
    level.tolerance = tolerance;
    for (const auto& piece : *from) level.pieces.push_back(simplify(piece, tolerance - previous));
    levels.push_back(std::move(level));
    if (levels.back().point_count() <= kCoarsestPoints) break;
    from = &levels.back().pieces;
    previous = tolerance;
    tolerance *= kToleranceStep;
  }
  return levels;
}

}  // namespace sb
