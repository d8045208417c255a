// Places the labels of a drawing so that none covers another, the drawn
// lines or the marks: each label tries spots around its anchor, nearest
// first, and takes the first free one; a label that must be shown may move
// further out, joined to its anchor by a leader line; one that finds no room
// is left out. Pixels, y downwards.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace sb {

struct Box {
  double x0, y0, x1, y1;
  bool overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

struct PlacedLabel {
  Box box;
  bool leader;  // drawn apart from its anchor: join them with a line
};

class LabelLayout {
 public:
  explicit LabelLayout(Box area) : area_(area) {}

  // What labels must keep clear of: a drawn line, a mark.
  void add_segment(double x0, double y0, double x1, double y1);
  void add_box(const Box& b);

  // A free spot for a w × h label of the point (ax, ay), at least
  // `clearance` from it (the mark drawn there), which then counts as taken;
  // nothing when there is no room. `far` allows spots further out with a
  // leader line (which also keeps clear of the other labels).
  std::optional<PlacedLabel> place(double ax, double ay, double w, double h, double clearance, bool far);

 private:
  struct Segment {
    double x0, y0, x1, y1;
  };
  bool free(const Box& b) const;
  bool leader_free(double ax, double ay, const Box& b) const;

  Box area_;
  std::vector<Segment> segments_;
  std::vector<Box> boxes_;
  std::vector<Box> labels_;
};

// The width of a text in a sans-serif font of `size` px, a little generous:
// a UTF-8 letter counts once, a capital as wide as it is.
double text_width(std::string_view utf8, double size);

}  // namespace sb
