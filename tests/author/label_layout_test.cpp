// Labels of a drawing: never over each other, a drawn line or a mark; left
// out where there is no room, except those that may move out on a leader.
#include "author/label_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace sb {
namespace {

struct Line {
  double x0, y0, x1, y1;
};

// Does the line pass through the box? Sampled finely: the test's own check,
// independent of the layout's clipping.
bool crosses(const Line& l, const Box& b) {
  for (int i = 0; i <= 1000; ++i) {
    const double t = i / 1000.0;
    const double x = l.x0 + (l.x1 - l.x0) * t, y = l.y0 + (l.y1 - l.y0) * t;
    if (x > b.x0 && x < b.x1 && y > b.y0 && y < b.y1) return true;
  }
  return false;
}

TEST(LabelLayout, CrowdedLabelsNeverCoverEachOtherTheLineOrTheMarksAndSomeAreLeftOut) {
  const Box area{0, 0, 400, 300};
  LabelLayout layout(area);
  // A diagonal track with a mark every 4 px: far more labels than room.
  const Line track{50, 250, 350, 50};
  layout.add_segment(track.x0, track.y0, track.x1, track.y1);
  std::vector<Box> marks, placed;
  for (int i = 0; i <= 90; ++i) {
    const double x = 50 + i * 300.0 / 90, y = 250 - i * 200.0 / 90;
    marks.push_back({x - 2, y - 2, x + 2, y + 2});
    layout.add_box(marks.back());
  }
  for (const Box& m : marks) {
    const double x = (m.x0 + m.x1) / 2, y = (m.y0 + m.y1) / 2;
    if (const auto spot = layout.place(x, y, 30, 12, 2, false)) placed.push_back(spot->box);
  }
  EXPECT_GT(placed.size(), 5u);
  EXPECT_LT(placed.size(), marks.size());
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const Box& b = placed[i];
    EXPECT_TRUE(b.x0 >= area.x0 && b.y0 >= area.y0 && b.x1 <= area.x1 && b.y1 <= area.y1);
    EXPECT_FALSE(crosses(track, b)) << i;
    for (const Box& m : marks) EXPECT_FALSE(b.overlaps(m)) << i;
    for (std::size_t j = i + 1; j < placed.size(); ++j) EXPECT_FALSE(b.overlaps(placed[j])) << i << ", " << j;
  }
}

TEST(LabelLayout, ALabelThatMustShowMovesOutOnALeaderThatCrossesNoOtherLabel) {
  LabelLayout layout({0, 0, 400, 400});
  // Every spot near (200, 200) is taken by a ring of marks.
  for (int dx = -40; dx <= 40; dx += 8) {
    for (int dy = -40; dy <= 40; dy += 8) {
      if (dx != 0 || dy != 0) layout.add_box({200.0 + dx - 3, 200.0 + dy - 3, 200.0 + dx + 3, 200.0 + dy + 3});
    }
  }
  EXPECT_FALSE(layout.place(200, 200, 40, 12, 4, false));
  const auto spot = layout.place(200, 200, 40, 12, 4, true);
  ASSERT_TRUE(spot);
  EXPECT_TRUE(spot->leader);
  // The next one's leader may not run through the first label.
  const auto second = layout.place(200, 200, 40, 12, 4, true);
  ASSERT_TRUE(second);
  EXPECT_FALSE(second->box.overlaps(spot->box));
  const Line leader{200, 200, std::clamp(200.0, second->box.x0, second->box.x1),
                    std::clamp(200.0, second->box.y0, second->box.y1)};
  EXPECT_FALSE(crosses(leader, spot->box));
}

TEST(LabelLayout, NoRoomAnywhereLeavesTheLabelOut) {
  LabelLayout layout({0, 0, 30, 30});
  EXPECT_FALSE(layout.place(15, 15, 80, 12, 2, true));
}

}  // namespace
}  // namespace sb
