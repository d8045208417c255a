// Curves from the plan. Each metre from 2 on was computed from the two
// before it by a straight step or by a curved step with one of twelve
// curvatures; the step that gives the metre's exact bits is the one the
// description asked for there. Runs of one curvature are curve lines.
#include <bit>
#include <cstdint>
#include <string>

#include "author/decompile.h"
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

}  // namespace

std::vector<CurveRun> curve_runs(const PlanTable& plan, std::int32_t& unexplained) {
  unexplained = -1;
  std::vector<CurveRun> runs;
  const auto& tx = plan.tags(0);
  const auto& ty = plan.tags(1);
  const auto& xs = plan.column(0);
  const auto& ys = plan.column(1);
  const std::int32_t last = plan.last_metre();
  if (last < 1 || tx[0] != ValueTag::Int16 || ty[0] != ValueTag::Int16 || tx[1] != ValueTag::Int16 ||
      ty[1] != ValueTag::Int16 || xs[0] != 0.0 || ys[0] != 0.0 || xs[1] != 0.0 || ys[1] != 1.0) {
    unexplained = 0;
    return runs;
  }
  const std::vector<Curvature> ks = curvatures();
  int current = kStraight;
  for (std::int32_t m = 2; m <= last; ++m) {
    const auto i = static_cast<std::size_t>(m);
    if (tx[i] != ValueTag::Float64 || ty[i] != ValueTag::Float64) {
      // Metres never computed: the plan ends here (or was cut short).
      for (std::int32_t rest = m; rest <= last; ++rest) {
        const auto r = static_cast<std::size_t>(rest);
        if (tx[r] != ValueTag::Empty || ty[r] != ValueTag::Empty) {
          unexplained = rest;
          break;
        }
      }
      break;
    }
    auto explains = [&](int step) {
      Heading h{xs[i - 2], ys[i - 2], xs[i - 1], ys[i - 1]};
      if (step == kStraight) {
        h.straight();
      } else {
        h.curved(ks[static_cast<std::size_t>(step)].k);
      }
      return same_bits(h.x1, xs[i]) && same_bits(h.y1, ys[i]);
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
  }
  return runs;
}

}  // namespace sb
