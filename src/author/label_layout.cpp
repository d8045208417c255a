#include "author/label_layout.h"

#include <algorithm>
#include <cmath>

namespace sb {

namespace {

// Does the segment meet the box? Clipped against the box's slabs.
bool segment_meets(double x0, double y0, double x1, double y1, const Box& b) {
  double t0 = 0, t1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  const auto clip = [&](double p, double q) {
    if (p == 0) return q >= 0;
    const double r = q / p;
    if (p < 0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
    return true;
  };
  return clip(-dx, x0 - b.x0) && clip(dx, b.x1 - x0) && clip(-dy, y0 - b.y0) && clip(dy, b.y1 - y0) && t0 <= t1;
}

// The point of the box nearest to (x, y): where a leader line ends.
void nearest_on(const Box& b, double& x, double& y) {
  x = std::clamp(x, b.x0, b.x1);
  y = std::clamp(y, b.y0, b.y1);
}

}  // namespace

void LabelLayout::add_segment(double x0, double y0, double x1, double y1) { segments_.push_back({x0, y0, x1, y1}); }

void LabelLayout::add_box(const Box& b) { boxes_.push_back(b); }

bool LabelLayout::free(const Box& b) const {
  if (b.x0 < area_.x0 || b.y0 < area_.y0 || b.x1 > area_.x1 || b.y1 > area_.y1) return false;
  for (const Box& o : labels_) {
    if (b.overlaps(o)) return false;
  }
  for (const Box& o : boxes_) {
    if (b.overlaps(o)) return false;
  }
  for (const Segment& s : segments_) {
    if (std::max(s.x0, s.x1) < b.x0 || std::min(s.x0, s.x1) > b.x1 || std::max(s.y0, s.y1) < b.y0 ||
        std::min(s.y0, s.y1) > b.y1) {
      continue;
    }
    if (segment_meets(s.x0, s.y0, s.x1, s.y1, b)) return false;
  }
  return true;
}

bool LabelLayout::leader_free(double ax, double ay, const Box& b) const {
  double ex = ax, ey = ay;
  nearest_on(b, ex, ey);
  for (const Box& o : labels_) {
    if (segment_meets(ax, ay, ex, ey, o)) return false;
  }
  return true;
}

std::optional<PlacedLabel> LabelLayout::place(double ax, double ay, double w, double h, double clearance, bool far) {
  // Right, left, above, below, then the corners; near spots first.
  static constexpr double kNear[] = {3, 7};
  static constexpr double kFar[] = {3, 7, 14, 24, 38, 56, 80, 110, 150};
  const double* distances = far ? kFar : kNear;
  const std::size_t count = far ? std::size(kFar) : std::size(kNear);
  for (std::size_t k = 0; k < count; ++k) {
    const double d = distances[k] + clearance;
    const Box spots[] = {
        {ax + d, ay - h / 2, ax + d + w, ay + h / 2},                      // right
        {ax - d - w, ay - h / 2, ax - d, ay + h / 2},                      // left
        {ax - w / 2, ay - d - h, ax + w / 2, ay - d},                      // above
        {ax - w / 2, ay + d, ax + w / 2, ay + d + h},                      // below
        {ax + d * 0.7, ay - d * 0.7 - h, ax + d * 0.7 + w, ay - d * 0.7},  // above right
        {ax + d * 0.7, ay + d * 0.7, ax + d * 0.7 + w, ay + d * 0.7 + h},  // below right
        {ax - d * 0.7 - w, ay - d * 0.7 - h, ax - d * 0.7, ay - d * 0.7},  // above left
        {ax - d * 0.7 - w, ay + d * 0.7, ax - d * 0.7, ay + d * 0.7 + h},  // below left
    };
    const bool leader = distances[k] > 10;
    for (const Box& b : spots) {
      if (!free(b) || (leader && !leader_free(ax, ay, b))) continue;
      labels_.push_back(b);
      if (leader) {
        double ex = ax, ey = ay;
        nearest_on(b, ex, ey);
        add_segment(ax, ay, ex, ey);
      }
      return PlacedLabel{b, leader};
    }
  }
  return std::nullopt;
}

double text_width(std::string_view utf8, double size) {
  double em = 0;
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if ((b & 0xC0) == 0x80) continue;  // the rest of a UTF-8 letter
    if (b >= 'A' && b <= 'Z') {
      em += (b == 'M' || b == 'W') ? 0.9 : 0.72;
    } else if (b == ' ' || b == '.' || b == 'i' || b == 'l' || b == 'j' || b == 't' || b == 'f' || b == 'r') {
      em += 0.36;
    } else {
      em += b >= 0x80 ? 0.72 : 0.6;
    }
  }
  return em * size + 2;
}

}  // namespace sb
