// The plan of the track as the line reader builds it: metres 0 and 1 fixed,
// then runs of metres that each continue the step vector of the two metres
// before, straight or turned by a curvature k (radians per metre, not
// renormalised). Only the runs are kept — a few thousand for the longest
// route instead of 18 MB of points; the points are computed when the plan is
// written or a metre is asked for, always in the same order of 64-bit
// operations, so they are the same bit for bit on every build.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/profile_table.h"

namespace sb {

// The last two points of the plan. The integration keeps them in registers:
// each metre depends on the one before, so a round trip through memory would
// lengthen every step.
struct Heading {
  double x2, y2;  // metre m - 2
  double x1, y1;  // metre m - 1

  void advance(double x, double y) {
    x2 = x1;
    y2 = y1;
    x1 = x;
    y1 = y;
  }
  // x(m) := x(m-1) + dx, where dx = x(m-1) - x(m-2); likewise y.
  void straight() {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    advance(x1 + dx, y1 + dy);
  }
  // The step vector turned by k: x(m) := x(m-1) + (dx + k dy), y(m) := y(m-1) + (dy - k dx).
  void curved(double k) {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    advance(x1 + (dx + k * dy), y1 + (dy - k * dx));
  }
};

class TrackPlan {
 public:
  // Metres 0 .. last_metre, all empty; whatever was planned before is gone.
  void allocate(std::int32_t last_metre);
  void release();
  bool allocated() const { return last_metre_ >= 0; }
  // Last metre index; the plan must be allocated.
  std::int32_t last_metre() const;

  // Metres 0 and 1 as 16-bit values (0, 0) and (0, 1): the track starts at
  // the origin heading along +y in steps of 1 m.
  void start();

  // The first metre not computed yet (2 before any run).
  std::int32_t next_metre() const { return next_; }
  // Computes metres next_metre() .. last. A run may not reach past the last
  // metre (a run-time failure); an empty run adds nothing.
  void extend_straight(std::int32_t last);
  void extend_curved(std::int32_t last, double k);

  // Both coordinates of a metre carry the same tag. Out-of-range or
  // unallocated use is a run-time failure.
  ValueTag tag(std::int64_t metre) const;
  // Computes the plan up to `metre`: meant for single points, not for walks.
  TaggedValue get(std::int64_t metre, int coordinate) const;

  // Calls visit(x, y) for every computed metre from 2 on, in order.
  template <typename Visit>
  void integrate(Visit&& visit) const {
    integrate_in_blocks([&visit](const double* x, const double* y, std::size_t n) {
      for (std::size_t i = 0; i < n; ++i) visit(x[i], y[i]);
    });
  }

  // Calls points(x, y, n) for every computed metre from 2 on, in order, up to
  // kPointBlock points at a time. The integration loop itself calls nothing,
  // so the heading stays in registers.
  static constexpr std::size_t kPointBlock = 512;
  template <typename Points>
  void integrate_in_blocks(Points&& points) const {
    integrate_through(next_ - 1, points);
  }

  // The number of runs kept (consecutive runs of one curvature are one).
  std::size_t run_count() const { return runs_.size(); }

 private:
  static constexpr std::int32_t kStraight = -1;
  struct Run {
    std::int32_t last;       // last metre of the run
    std::int32_t curvature;  // index into curvatures_, or kStraight
  };

  void check(std::int64_t metre) const;
  void extend(std::int32_t last, std::int32_t curvature);
  Heading first_heading() const;

  // The one integration loop: metres 2 .. through, in blocks.
  template <typename Points>
  void integrate_through(std::int32_t through, Points& points) const {
    double xs[kPointBlock], ys[kPointBlock];
    std::size_t filled = 0;
    Heading h = first_heading();
    std::int32_t m = 2;
    for (const Run& run : runs_) {
      const std::int32_t end = std::min(run.last, through);
      const double k = run.curvature == kStraight ? 0.0 : curvatures_[static_cast<std::size_t>(run.curvature)];
      while (m <= end) {
        const std::size_t n = std::min(static_cast<std::size_t>(end - m) + 1, kPointBlock - filled);
        if (run.curvature == kStraight) {
          for (std::size_t i = filled; i < filled + n; ++i) {
            h.straight();
            xs[i] = h.x1;
            ys[i] = h.y1;
          }
        } else {
          for (std::size_t i = filled; i < filled + n; ++i) {
            h.curved(k);
            xs[i] = h.x1;
            ys[i] = h.y1;
          }
        }
        filled += n;
        m += static_cast<std::int32_t>(n);
        if (filled == kPointBlock) {
          points(xs, ys, filled);
          filled = 0;
        }
      }
      if (m > through) break;
    }
    if (filled > 0) points(xs, ys, filled);
  }

  std::int32_t last_metre_ = -1;
  bool started_ = false;
  std::int32_t next_ = 2;
  std::vector<Run> runs_;
  // The few distinct curvatures the runs use.
  std::vector<double> curvatures_;
};

}  // namespace sb
