#include "model/track_plan.h"

#include <algorithm>
#include <string>

#include "model/runtime_failure.h"

namespace sb {

void TrackPlan::allocate(std::int32_t last_metre) {
  if (last_metre < 0) throw RuntimeFailure("a plan needs at least metre 0");
  release();
  last_metre_ = last_metre;
}

void TrackPlan::release() {
  last_metre_ = -1;
  started_ = false;
  next_ = 2;
  std::vector<Run>().swap(runs_);
  curvatures_.clear();
}

std::int32_t TrackPlan::last_metre() const {
  if (!allocated()) throw RuntimeFailure("the plan table was never allocated");
  return last_metre_;
}

void TrackPlan::check(std::int64_t metre) const {
  if (metre < 0 || metre > last_metre()) {
    throw RuntimeFailure("plan metre " + std::to_string(metre) + " outside the table");
  }
}

void TrackPlan::start() {
  check(1);
  started_ = true;
}

void TrackPlan::extend_straight(std::int32_t last) { extend(last, kStraight); }

void TrackPlan::extend_curved(std::int32_t last, double k) {
  const auto found = std::find(curvatures_.begin(), curvatures_.end(), k);
  const auto index = static_cast<std::int32_t>(found - curvatures_.begin());
  if (found == curvatures_.end()) curvatures_.push_back(k);
  extend(last, index);
}

void TrackPlan::extend(std::int32_t last, std::int32_t curvature) {
  if (last < next_) return;
  check(last);
  if (!runs_.empty() && runs_.back().curvature == curvature) {
    runs_.back().last = last;
  } else {
    runs_.push_back({last, curvature});
  }
  next_ = last + 1;
}

Heading TrackPlan::first_heading() const {
  // Metres 0 and 1 that were never set count as empty values, that is 0.
  return started_ ? Heading{0.0, 0.0, 0.0, 1.0} : Heading{0.0, 0.0, 0.0, 0.0};
}

ValueTag TrackPlan::tag(std::int64_t metre) const {
  check(metre);
  if (metre < 2) return started_ ? ValueTag::Int16 : ValueTag::Empty;
  return metre < next_ ? ValueTag::Float64 : ValueTag::Empty;
}

TaggedValue TrackPlan::get(std::int64_t metre, int coordinate) const {
  const ValueTag t = tag(metre);
  if (coordinate < 0 || coordinate > 1) throw RuntimeFailure("a plan point has coordinates 0 and 1 only");
  if (t == ValueTag::Empty) return {};
  if (metre < 2) {
    const Heading h = first_heading();
    const double x = metre == 0 ? h.x2 : h.x1;
    const double y = metre == 0 ? h.y2 : h.y1;
    return {t, coordinate == 0 ? x : y};
  }
  double x = 0.0, y = 0.0;
  auto keep = [&](const double* xs, const double* ys, std::size_t n) {
    x = xs[n - 1];
    y = ys[n - 1];
  };
  integrate_through(static_cast<std::int32_t>(metre), keep);
  return {t, coordinate == 0 ? x : y};
}

}  // namespace sb
