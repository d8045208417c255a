// Curves from the plan. Each metre from 2 on was computed from the two
// before it by a straight step or by a curved step with one of twelve
// curvatures; the step that gives the metre's exact bits is the one the
// description asked for there. Runs of one curvature are curve lines.
#include <bit>
#include <cstdint>
#include <string>

#include "author/decompile.h"
#include "decode/profile_points.h"
#include "model/track_plan.h"
#include "reading/plan.h"

namespace sb {

namespace {

struct Curvature {
  double k;
  int curve_class;
  char side;
};

// The curvatures of the keywords "curvas1" .. "curvad6", as the reader
// computes them.
std::vector<Curvature> curvatures() {
  std::vector<Curvature> out;
  for (char side : {'s', 'd'}) {
    for (int c = 1; c <= 6; ++c) {
      const std::string keyword = std::string("curva") + side + std::to_string(c);
      out.push_back({*curve_curvature(keyword), c, side});
    }
  }
  return out;
}

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

constexpr int kStraight = -1;
constexpr int kNoStep = -2;

// The walk over the plan, from whatever gives its points metre by metre.
template <typename NextPoint>
std::vector<CurveRun> runs_of(std::int32_t last, NextPoint next_point, std::int32_t& unexplained) {
  unexplained = -1;
  std::vector<CurveRun> runs;
  const ProfilePoint p0 = next_point();
  const ProfilePoint p1 = last >= 1 ? next_point() : ProfilePoint{};
  if (last < 1 || p0.x_tag != ValueTag::Int16 || p0.y_tag != ValueTag::Int16 || p1.x_tag != ValueTag::Int16 ||
      p1.y_tag != ValueTag::Int16 || p0.x != 0.0 || p0.y != 0.0 || p1.x != 0.0 || p1.y != 1.0) {
    unexplained = 0;
    return runs;
  }
  const std::vector<Curvature> ks = curvatures();
  Heading before{p0.x, p0.y, p1.x, p1.y};
  int current = kStraight;
  for (std::int32_t m = 2; m <= last; ++m) {
    const ProfilePoint p = next_point();
    if (p.x_tag != ValueTag::Float64 || p.y_tag != ValueTag::Float64) {
      // Metres never computed: the plan ends here (or was cut short).
      bool empty = p.x_tag == ValueTag::Empty && p.y_tag == ValueTag::Empty;
      for (std::int32_t rest = m + 1; rest <= last && empty; ++rest) {
        const ProfilePoint q = next_point();
        empty = q.x_tag == ValueTag::Empty && q.y_tag == ValueTag::Empty;
        if (!empty) unexplained = rest;
      }
      if (!empty && unexplained < 0) unexplained = m;
      break;
    }
    auto explains = [&](int step) {
      Heading h = before;
      if (step == kStraight) {
        h.straight();
      } else {
        h.curved(ks[static_cast<std::size_t>(step)].k);
      }
      return same_bits(h.x1, p.x) && same_bits(h.y1, p.y);
    };
    int step = kNoStep;
    if (explains(current)) {
      step = current;
    } else if (current != kStraight && explains(kStraight)) {
      step = kStraight;
    } else {
      for (int s = 0; s < static_cast<int>(ks.size()); ++s) {
        if (s != current && explains(s)) {
          step = s;
          break;
        }
      }
    }
    if (step == kNoStep) {
      unexplained = m;
      break;
    }
    if (step != kStraight) {
      const Curvature& k = ks[static_cast<std::size_t>(step)];
      if (step == current && !runs.empty() && runs.back().last == m - 1) {
        runs.back().last = m;
      } else {
        runs.push_back({m, m, k.curve_class, k.side});
      }
    }
    current = step;
    before.advance(p.x, p.y);
  }
  return runs;
}

}  // namespace

std::vector<CurveRun> curve_runs(const PlanTable& plan, std::int32_t& unexplained) {
  std::size_t m = 0;
  auto next = [&] {
    const ProfilePoint p{plan.tags(0)[m], plan.tags(1)[m], plan.column(0)[m], plan.column(1)[m]};
    ++m;
    return p;
  };
  return runs_of(plan.last_metre(), next, unexplained);
}

std::vector<CurveRun> curve_runs(std::string_view profile, std::int32_t extended, std::int32_t& unexplained) {
  ProfilePoints points(profile, extended);
  return runs_of(extended, [&] { return points.next(); }, unexplained);
}

}  // namespace sb
