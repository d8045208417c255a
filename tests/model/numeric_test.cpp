#include "model/numeric.h"

#include <gtest/gtest.h>

#include <limits>

#include "model/runtime_failure.h"
#include "model/scenario_model.h"

namespace sb {
namespace {

TEST(Nearest, RoundsHalvesToTheEvenNeighbour) {
  struct Case {
    double x;
    std::int32_t expected;
  } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {140.5, 140}, {141.5, 142}, {1.4999, 1}, {-0.5, 0}, {0.5, 0}, {1.5, 2}};
  for (const auto& c : cases) EXPECT_EQ(nearest(c.x), c.expected) << c.x;
}

TEST(Nearest, ValueOutsideThirtyTwoBitsIsARunTimeFailure) {
  EXPECT_THROW(nearest(3e9), RuntimeFailure);
  EXPECT_THROW(nearest(-3e9), RuntimeFailure);
  EXPECT_THROW(nearest(std::numeric_limits<double>::quiet_NaN()), RuntimeFailure);
  EXPECT_EQ(nearest(-2147483648.4), std::numeric_limits<std::int32_t>::min());
  EXPECT_THROW(nearest16(40000.0), RuntimeFailure);
  EXPECT_EQ(nearest16(-32768.4), -32768);
}

TEST(WrapAroundStores, KeepTheLowBits) {
  EXPECT_EQ(low8(300), 44);
  EXPECT_EQ(low8(-1), 255);
  EXPECT_EQ(low16(40000), -25536);
  EXPECT_EQ(low16(-1), -1);
  EXPECT_EQ(low16(65536 + 7), 7);
}

TEST(TrackAllocation, SizesFollowTheRouteLength) {
  struct Case {
    std::int32_t route;
    std::size_t cells;
  } cases[] = {{0, 141}, {25, 141}, {75, 143}, {89000, 1921}, {1000000, 20141}};
  for (const auto& c : cases) {
    ScenarioModel model;
    model.ProfileWanted = 1;
    model.allocate_track(c.route);
    EXPECT_EQ(model.TrackArray.size(), c.cells) << c.route;
    EXPECT_EQ(model.ExtendedLength, c.route + 7000);
    EXPECT_EQ(model.ProfileTable.last_metre(), c.route + 7000);
  }
}

TEST(TrackAllocation, NoProfileTableWhenTheProfileIsNotWanted) {
  ScenarioModel model;
  model.allocate_track(89000);
  EXPECT_FALSE(model.ProfileTable.allocated());
}

TEST(TrackAccess, OutsideTheTrackIsARunTimeFailure) {
  ScenarioModel model;
  EXPECT_THROW(model.cell(0), RuntimeFailure);  // never allocated
  model.allocate_track(0);
  EXPECT_NO_THROW(model.cell(140));
  EXPECT_THROW(model.cell(141), RuntimeFailure);
  EXPECT_THROW(model.cell(-1), RuntimeFailure);
}

}  // namespace
}  // namespace sb
