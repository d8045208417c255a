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

constexpr int kNoStep = -2;

}  // namespace

CurveTracker::CurveTracker() {
  for (const Curvature& k : curvatures()) {
    ks_.push_back(k.k);
    classes_.push_back(k.curve_class);
    sides_.push_back(k.side);
  }
}

void CurveTracker::feed(const ProfilePoint& p) {
  const std::int32_t m = metre_++;
  if (state_ == State::Done) return;
  if (m < 2) {
    // The plan starts at the origin heading along +y, as 16-bit values.
    const double want_y = m == 0 ? 0.0 : 1.0;
    if (p.x_tag != ValueTag::Int16 || p.y_tag != ValueTag::Int16 || p.x != 0.0 || p.y != want_y) {
      unexplained = 0;
      state_ = State::Done;
      return;
    }
    before_.advance(p.x, p.y);
    return;
  }
  if (state_ == State::Tail) {
    // After the last computed metre nothing may follow.
    if (p.x_tag != ValueTag::Empty || p.y_tag != ValueTag::Empty) {
      unexplained = m;
      state_ = State::Done;
    }
    return;
  }
  if (p.x_tag != ValueTag::Float64 || p.y_tag != ValueTag::Float64) {
    if (p.x_tag != ValueTag::Empty || p.y_tag != ValueTag::Empty) {
      unexplained = m;
      state_ = State::Done;
    } else {
      state_ = State::Tail;
    }
    return;
  }
  auto explains = [&](int step) {
    Heading h = before_;
    if (step == kStraight) {
      h.straight();
    } else {
      h.curved(ks_[static_cast<std::size_t>(step)]);
    }
    return same_bits(h.x1, p.x) && same_bits(h.y1, p.y);
  };
  int step = kNoStep;
  if (explains(current_)) {
    step = current_;
  } else if (current_ != kStraight && explains(kStraight)) {
    step = kStraight;
  } else {
    for (int k = 0; k < static_cast<int>(ks_.size()); ++k) {
      if (k != current_ && explains(k)) {
        step = k;
        break;
      }
    }
  }
  if (step == kNoStep) {
    unexplained = m;
    state_ = State::Done;
    return;
  }
  if (step != kStraight) {
    const auto k = static_cast<std::size_t>(step);
    if (step == current_ && !runs.empty() && runs.back().last == m - 1) {
      runs.back().last = m;
    } else {
      runs.push_back({m, m, classes_[k], sides_[k]});
    }
  }
  current_ = step;
  before_.advance(p.x, p.y);
}

std::vector<CurveRun> curve_runs(const PlanTable& plan, std::int32_t& unexplained) {
  CurveTracker t;
  const auto last = static_cast<std::size_t>(plan.last_metre());
  for (std::size_t m = 0; m <= last && !t.done(); ++m) {
    t.feed({plan.tags(0)[m], plan.tags(1)[m], plan.column(0)[m], plan.column(1)[m]});
  }
  unexplained = t.unexplained;
  return std::move(t.runs);
}

std::vector<CurveRun> curve_runs(std::string_view profile, std::int32_t extended, std::int32_t& unexplained) {
  ProfilePoints points(profile, extended);
  return curve_runs(points, unexplained);
}

std::vector<CurveRun> curve_runs(ProfilePoints& points, std::int32_t& unexplained) {
  CurveTracker t;
  for (std::int32_t m = 0; m <= points.last_metre() && !t.done(); ++m) t.feed(points.next());
  unexplained = t.unexplained;
  return std::move(t.runs);
}

}  // namespace sb
