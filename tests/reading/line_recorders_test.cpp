#include "reading/line_recorders.h"

#include <gtest/gtest.h>

#include "model/error_codes.h"
#include "model/numeric.h"
#include "model/runtime_failure.h"

namespace sb {
namespace {

struct Triple {
  std::int32_t position, value, flag;
  bool operator==(const Triple&) const = default;
};

void put(ScenarioModel& m, int entry, Triple t) {
  m.ScenarioHeader[entry].areaStart = t.position;
  m.ScenarioHeader[entry].areaEnd = t.value;
  m.ScenarioHeader[entry].position = t.flag;
}

Triple got(const ScenarioModel& m, int entry) {
  const auto& e = m.ScenarioHeader[entry];
  return {e.areaStart, e.areaEnd, e.position};
}

TEST(ProgressiveOrdina, OrdersMarkersByPositionOrByValue) {
  // As read: entry 81 = "tre", 82 = "due", 83 = "uno".
  struct Case {
    const char* name;
    Triple tre, due, uno;
    Triple first, second, third;
  } cases[] = {
      {"documents", {0, 0, 0}, {0, 0, 0}, {1000, 0, 0}, {1000, 0, 0}, {0, 0, 0}, {0, 0, 0}},
      {"positions 5000 3000 8000",
       {8000, 30, 0},
       {3000, 20, 0},
       {5000, 10, 0},
       {8000, 30, 0},
       {5000, 10, 0},
       {3000, 20, 0}},
      {"due largest, uno over tre", {1000, 3, 0}, {9000, 2, 0}, {2000, 1, 0}, {9000, 2, 0}, {2000, 1, 0}, {1000, 3, 0}},
      {"tre largest, due over uno", {9000, 3, 0}, {5000, 2, 0}, {1000, 1, 0}, {9000, 3, 0}, {5000, 2, 0}, {1000, 1, 0}},
      {"due largest, tre over uno", {5000, 3, 0}, {9000, 2, 0}, {1000, 1, 0}, {9000, 2, 0}, {5000, 3, 0}, {1000, 1, 0}},
      {"uno largest, tre over due", {5000, 3, 0}, {1000, 2, 0}, {9000, 1, 0}, {9000, 1, 0}, {5000, 3, 0}, {1000, 2, 0}},
      {"uno largest, due over tre", {1000, 3, 0}, {5000, 2, 0}, {9000, 1, 0}, {9000, 1, 0}, {5000, 2, 0}, {1000, 3, 0}},
      {"largest shared", {1000, 3, 0}, {4000, 2, 0}, {4000, 1, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
      {"no positions, value of due", {0, 0, 0}, {0, 500, 0}, {0, 0, 0}, {0, 500, 0}, {0, 0, 0}, {0, 0, 0}},
      {"no positions, uno overrides", {0, 7, 0}, {0, 500, 0}, {0, 9, 0}, {0, 9, 0}, {0, 500, 0}, {0, 7, 0}},
      {"no positions, no values", {0, 0, 1}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
      {"flag adds 100", {2000, 1500, 1}, {0, 0, 0}, {0, 0, 0}, {2000, 1600, 1}, {0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    ScenarioModel m;
    put(m, 81, c.tre);
    put(m, 82, c.due);
    put(m, 83, c.uno);
    progressive_ordina(m);
    EXPECT_EQ(got(m, 81), c.first) << c.name;
    EXPECT_EQ(got(m, 82), c.second) << c.name;
    EXPECT_EQ(got(m, 83), c.third) << c.name;
  }
}

TEST(ProgressiveOrdina, AFlagThatRaisesAValuePast32BitsIsARunTimeFailure) {
  // Found by line_reader_fuzz: marker value 2147483647 with flag 1.
  for (const std::int32_t value : {2147483547, 2147483548, 2147483647}) {
    ScenarioModel m;
    put(m, 81, {2000, value, 1});
    if (value <= 2147483547) {
      progressive_ordina(m);
      EXPECT_EQ(got(m, 81), (Triple{2000, 2147483647, 1}));
    } else {
      EXPECT_THROW(progressive_ordina(m), RuntimeFailure) << value;
    }
  }
}

ScenarioModel model_with_route(std::int32_t length) {
  ScenarioModel m;
  m.allocate_track(length);
  return m;
}

TEST(MemoMontagna, TunnelStretchGetsSceneryAndMarksOnEveryFourthEmptyCell) {
  ScenarioModel m = model_with_route(89000);
  m.TrackArray[846].kind = 6;  // a speed board already there keeps its place
  std::int32_t tipo = 11;
  memo_montagna(m, 41950, 43750, tipo);
  EXPECT_EQ(tipo, 1);
  EXPECT_EQ(m.MountainCount, 1);
  EXPECT_EQ(m.MountainStart[1], 41950);
  EXPECT_EQ(m.MountainEnd[1], 43750);
  EXPECT_EQ(m.TrackArray[838].scenery, 0);
  EXPECT_EQ(m.TrackArray[875].scenery, 0);
  for (int i = 839; i <= 874; ++i) {
    EXPECT_EQ(m.TrackArray[i].scenery, 1) << i;
    const bool mark = (i - 839 + 1) % 4 == 0 && i != 846;
    EXPECT_EQ(m.TrackArray[i].kind, mark ? 11 : (i == 846 ? 6 : 0)) << i;
  }
  EXPECT_EQ(m.ErrorCode, 0);
}

TEST(MemoMontagna, StretchCloseBehindThePreviousOneIsTypeThree) {
  struct Case {
    std::int32_t start, end, tipo, stored;
  } cases[] = {{30700, 31000, 2, 3}, {30750, 31000, 12, 3}, {30800, 31000, 2, 2}};
  for (const auto& c : cases) {
    ScenarioModel m = model_with_route(89000);
    std::int32_t first = 2;
    memo_montagna(m, 30300, 30600, first);
    std::int32_t tipo = c.tipo;
    memo_montagna(m, c.start, c.end, tipo);
    EXPECT_EQ(tipo, c.stored) << c.start;
    EXPECT_EQ(m.TrackArray[nearest(c.start / 50.0)].scenery, c.stored) << c.start;
  }
  // The tunnel flag survives the change of type.
  ScenarioModel m = model_with_route(89000);
  std::int32_t tipo = 2;
  memo_montagna(m, 30300, 30600, tipo);
  tipo = 11;
  memo_montagna(m, 30700, 31000, tipo);
  EXPECT_EQ(m.TrackArray[614 + 3].kind, 11);
}

TEST(MemoMontagna, CellsRunFromNearestStartToNearestEndLessOne) {
  ScenarioModel m = model_with_route(5000);
  std::int32_t tipo = 2;
  memo_montagna(m, 1000, 1020, tipo);
  EXPECT_EQ(m.MountainCount, 1) << "counted and remembered though it writes no cell";
  for (int i = 18; i <= 22; ++i) EXPECT_EQ(m.TrackArray[i].scenery, 0) << i;
  tipo = 5;
  memo_montagna(m, 1000, 1025, tipo);
  EXPECT_EQ(m.TrackArray[19].scenery, 0);
  EXPECT_EQ(m.TrackArray[20].scenery, 3) << "19.5 rounds to 20; 0 m after the previous end gives type 3";
  EXPECT_EQ(m.TrackArray[21].scenery, 0);
}

TEST(MemoMontagna, RefusesAnEightyFirstStretchAndAnEndBeyondTheTrack) {
  ScenarioModel m = model_with_route(89000);
  for (int i = 0; i < 80; ++i) {
    std::int32_t tipo = 2;
    memo_montagna(m, 1000 * i, 1000 * i + 500, tipo);
  }
  ASSERT_EQ(m.ErrorCode, 0);
  std::int32_t tipo = 2;
  memo_montagna(m, 85000, 85500, tipo);
  EXPECT_EQ(m.ErrorCode, err::kMountainTableFull);
  EXPECT_EQ(m.MountainCount, 80);
  EXPECT_EQ(m.TrackArray[1700].scenery, 0);

  ScenarioModel n = model_with_route(89000);  // cells 0 .. 1920
  tipo = 2;
  memo_montagna(n, 95000, 96050, tipo);  // last cell nearest(1921 - 1) = 1920: fits
  EXPECT_EQ(n.ErrorCode, 0);
  EXPECT_EQ(n.TrackArray[1920].scenery, 2);
  memo_montagna(n, 95000, 96100, tipo);
  EXPECT_EQ(n.ErrorCode, err::kMountainBeyondTrack);
  EXPECT_EQ(n.MountainCount, 1);
}

TEST(MemoIndicatoriVMax, PacksBothSidesIntoTheCell) {
  ScenarioModel m = model_with_route(89000);
  m.TrackArray[41].scenery = 7;
  memo_indicatori_v_max(m, 2000, SpeedBoards{140, 150, 150, 0, 0, 0, 0, 0});
  const TrackCell& c = m.TrackArray[41];
  EXPECT_EQ(c.kind, 6);
  EXPECT_EQ(c.value1, 2800);
  EXPECT_EQ(c.value2, 3000);
  EXPECT_EQ(c.value3, 3000);
  EXPECT_EQ(c.value4, 0);
  EXPECT_EQ(c.scenery, 7) << "other fields keep their values";

  // Second side / 5 rounds to the nearest; stripes pack as first × 10 + second.
  memo_indicatori_v_max(m, 3000, SpeedBoards{130, 135, 140, 2, 12, 17, 22, 1});
  const TrackCell& d = m.TrackArray[61];
  EXPECT_EQ(d.value1, 2602);  // 2.4 -> 2
  EXPECT_EQ(d.value2, 2703);  // 3.4 -> 3
  EXPECT_EQ(d.value3, 2804);  // 4.4 -> 4
  EXPECT_EQ(d.value4, 21);
  memo_indicatori_v_max(m, 4000, SpeedBoards{0, 0, 0, 0, 12, 13, 2, 0});
  EXPECT_EQ(m.TrackArray[81].value1, 2);  // 2.4
  EXPECT_EQ(m.TrackArray[81].value2, 3);  // 2.6
  EXPECT_EQ(m.TrackArray[81].value3, 0);  // 0.4
}

TEST(MemoIndicatoriVMax, TakesTunnelMarksButNotOccupiedCells) {
  ScenarioModel m = model_with_route(89000);
  m.TrackArray[41].kind = 11;
  memo_indicatori_v_max(m, 2000, SpeedBoards{100, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(m.TrackArray[41].kind, 6);
  EXPECT_EQ(m.ErrorCode, 0);
  for (std::uint8_t taken : {6, 14, 1}) {
    ScenarioModel n = model_with_route(89000);
    n.TrackArray[41].kind = taken;
    n.TrackArray[41].value1 = 80;
    memo_indicatori_v_max(n, 2000, SpeedBoards{100, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(n.ErrorCode, err::kSpeedBoardCellTaken);
    EXPECT_EQ(n.TrackArray[41].kind, taken);
    EXPECT_EQ(n.TrackArray[41].value1, 80);
  }
}

TEST(MemoIndicatoriVMax, SpeedsBeyondSixteenBitsAreRunTimeFailures) {
  ScenarioModel m = model_with_route(89000);
  EXPECT_NO_THROW(memo_indicatori_v_max(m, 2000, SpeedBoards{1638, 0, 0, 0, 35, 0, 0, 0}));  // 32767
  const SpeedBoards too_large[] = {
      {1638, 0, 0, 0, 40, 0, 0, 0},      // 32768
      {0, -1700, 0, 0, 0, 0, 0, 0},      // -34000
      {200000000, 0, 0, 0, 0, 0, 0, 0},  // the product itself leaves 32 bits
  };
  for (const auto& b : too_large) {
    ScenarioModel n = model_with_route(89000);
    EXPECT_THROW(memo_indicatori_v_max(n, 2000, b), RuntimeFailure);
    EXPECT_EQ(n.TrackArray[41].kind, 0) << "nothing written";
  }
  // Stripe counts keep their low 16 bits.
  memo_indicatori_v_max(m, 3000, SpeedBoards{0, 0, 0, 7000, 0, 0, 0, 1});
  EXPECT_EQ(m.TrackArray[61].value4, low16(70001));
}

}  // namespace
}  // namespace sb
