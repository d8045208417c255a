#include "compile/track_scan.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "compile/track_completion.h"
#include "model/cell_kinds.h"
#include "model/scenario_model.h"

namespace sb {
namespace {

using cell_kind::kCountdown;
using cell_kind::kMarker;
using cell_kind::kSignal;
constexpr std::uint8_t kEnd = cell_kind::kSlowdownEnd;
constexpr std::uint8_t kStart = cell_kind::kSlowdownStart;
constexpr std::uint8_t kWarning = cell_kind::kWarningPoint;
constexpr std::uint8_t kTunnel = cell_kind::kTunnelMark;

// A route of length 0: cells 0 .. 140.
struct Track {
  ScenarioModel model;
  std::int32_t last = 0;

  Track() {
    model.allocate_track(0);
    last = model.track_upper();
  }

  TrackCell& at(std::int32_t i) { return model.cell(i); }

  void put(std::int32_t i, std::uint8_t kind, std::int16_t value1 = 0) {
    at(i).kind = kind;
    at(i).value1 = value1;
  }

  void slowdown(std::int32_t start, std::int32_t end, std::int16_t speed) {
    put(start, kStart, speed);
    put(end, kEnd, speed);
  }

  // Cells holding a marker of kind 12, in increasing order.
  std::vector<std::int32_t> markers() const {
    std::vector<std::int32_t> found;
    for (std::int32_t i = 0; i <= last; ++i) {
      if (model.cell(i).kind == kMarker) found.push_back(i);
    }
    return found;
  }

  void scan() { scan_track(model); }
};

using Cells = std::vector<std::int32_t>;

bool same_cell(const TrackCell& a, const TrackCell& b) {
  return a.kind == b.kind && a.value1 == b.value1 && a.value2 == b.value2 && a.value3 == b.value3 &&
         a.value4 == b.value4 && a.signalTime == b.signalTime && a.approach == b.approach && a.scenery == b.scenery &&
         a.speedLimit == b.speedLimit && a.gradient == b.gradient && a.adhesion == b.adhesion;
}

// ---- Rule A: signals before a warning point --------------------------------

TEST(TrackScanSignalsBeforeWarning, ExamineTheTwentyCellsBeforeTheWarningPointDownToCellThree) {
  struct Case {
    std::int32_t warning;
    std::int32_t signal;
    Cells expected;
  } cases[] = {
      {3, 2, {}},      // a warning point in cell 3 examines nothing
      {4, 3, {2}},     // cell 3 is the lowest examined
      {10, 2, {}},     // cell 2 never is
      {30, 29, {28}},  // the cell just before the warning point
      {30, 10, {9}},   // c − 20
      {30, 9, {}},     // c − 21 is out of range
      {30, 31, {}},    // signals after the warning point are not this rule's
  };
  for (const auto& c : cases) {
    Track t;
    t.put(c.warning, kWarning, 60);
    t.put(c.signal, kSignal, 43);
    t.scan();
    EXPECT_EQ(t.markers(), c.expected) << "warning " << c.warning << ", signal " << c.signal;
    for (std::int32_t m : c.expected) EXPECT_EQ(t.at(m).value1, 180);
    EXPECT_EQ(t.model.ErrorCode, 0);
  }
}

TEST(TrackScanSignalsBeforeWarning, TreatEverySignalInRange) {
  Track t;
  t.put(40, kWarning, 60);
  for (std::int32_t s : {39, 33, 25, 20}) t.put(s, kSignal, 43);
  t.scan();
  EXPECT_EQ(t.markers(), (Cells{19, 24, 32, 38}));
}

TEST(TrackScanSignalsBeforeWarning, PlaceOnAFreeCellOrLowerAnExistingMarker) {
  struct Case {
    const char* name;
    std::uint8_t before_kind;  // cell d − 1
    std::int16_t before_value;
    std::uint8_t two_before_kind;  // cell d − 2
    std::int16_t two_before_value;
    std::uint8_t expect_before_kind;
    std::int16_t expect_before_value;
    std::uint8_t expect_two_before_kind;
    std::int16_t expect_two_before_value;
    std::int32_t expect_error;
  } cases[] = {
      {"free cell before the signal", 0, 0, 0, 0, kMarker, 180, 0, 0, 0},
      {"tunnel mark is overwritten", kTunnel, 0, 0, 0, kMarker, 180, 0, 0, 0},
      {"marker 200 stays, new marker two before", kMarker, 200, 0, 0, kMarker, 200, kMarker, 180, 0},
      {"marker 200 lowered when two before is taken", kMarker, 200, kCountdown, 1, kMarker, 180, kCountdown, 1, 0},
      {"marker 150 is never raised", kMarker, 150, kCountdown, 1, kMarker, 150, kCountdown, 1, 0},
      {"marker two before is lowered", kCountdown, 1, kMarker, 250, kCountdown, 1, kMarker, 180, 0},
      {"nothing usable records 11", kCountdown, 1, 13, 0, kCountdown, 1, 13, 0, 11},
  };
  const std::int32_t signal = 30;
  for (const auto& c : cases) {
    Track t;
    t.put(40, kWarning, 60);
    t.put(signal, kSignal, 43);
    t.put(signal - 1, c.before_kind, c.before_value);
    t.put(signal - 2, c.two_before_kind, c.two_before_value);
    t.scan();
    EXPECT_EQ(t.at(signal - 1).kind, c.expect_before_kind) << c.name;
    EXPECT_EQ(t.at(signal - 1).value1, c.expect_before_value) << c.name;
    EXPECT_EQ(t.at(signal - 2).kind, c.expect_two_before_kind) << c.name;
    EXPECT_EQ(t.at(signal - 2).value1, c.expect_two_before_value) << c.name;
    EXPECT_EQ(t.model.ErrorCode, c.expect_error) << c.name;
  }
}

TEST(TrackScanSignalsBeforeWarning, ErrorDoesNotStopTheScan) {
  Track t;
  t.put(40, kWarning, 60);
  t.put(35, kSignal, 43);
  t.put(34, kCountdown, 1);
  t.put(33, kCountdown, 1);  // nothing usable before the signal in 35: error 11
  t.put(25, kSignal, 43);    // later signals of the same warning point still get theirs
  t.put(90, kWarning, 60);
  t.put(80, kSignal, 43);  // and so do those of later warning points
  t.scan();
  EXPECT_EQ(t.model.ErrorCode, 11);
  EXPECT_EQ(t.markers(), (Cells{24, 79}));
}

// ---- Rule B: markers before a slowdown --------------------------------------

TEST(TrackScanBeforeSlowdown, GroupsDependOnTheStartCell) {
  struct Case {
    std::int32_t start;
    Cells expected;
  } cases[] = {
      {7, {}}, {8, {3}}, {13, {8}}, {14, {3, 9}}, {20, {9, 15}}, {21, {3, 10, 16}}, {60, {42, 49, 55}},
  };
  for (const auto& c : cases) {
    Track t;
    t.slowdown(c.start, c.start + 3, 120);  // fast: no markers inside
    t.scan();
    EXPECT_EQ(t.markers(), c.expected) << "start " << c.start;
    EXPECT_EQ(t.model.ErrorCode, 0);
  }
}

TEST(TrackScanBeforeSlowdown, FirstFreeCandidateOfEachGroupAndErrorTwelveWhenNone) {
  struct Case {
    const char* name;
    Cells taken;
    Cells expected;
    std::int32_t error;
  } cases[] = {
      {"nearest candidates free", {}, {42, 49, 55}, 0},
      {"c − 5 taken", {55}, {42, 49, 54}, 0},
      {"c − 5 and c − 6 taken", {55, 54}, {42, 49, 53}, 0},
      {"group 1 full, groups 2 and 3 still placed", {55, 54, 53}, {42, 49}, 12},
      {"group 3 full", {42, 41, 40}, {49, 55}, 12},
  };
  for (const auto& c : cases) {
    Track t;
    t.slowdown(60, 63, 120);
    for (std::int32_t i : c.taken) t.put(i, kCountdown, 1);
    t.scan();
    EXPECT_EQ(t.markers(), c.expected) << c.name;
    EXPECT_EQ(t.model.ErrorCode, c.error) << c.name;
  }
}

TEST(TrackScanBeforeSlowdown, OnlyFreeCellsAreWritten) {
  // Kinds 3 and 4 are left out: on these cells they would start rules of their own.
  for (std::uint8_t kind : {1, 2, 5, 6, 10, 12, 13, 14}) {
    Track t;
    t.slowdown(60, 63, 120);
    for (std::int32_t i : {55, 54, 53}) {
      t.put(i, kind, 77);
      t.at(i).value2 = 5;
    }
    t.scan();
    for (std::int32_t i : {55, 54, 53}) {
      EXPECT_EQ(t.at(i).kind, kind) << int{kind};
      EXPECT_EQ(t.at(i).value1, 77) << int{kind};
      EXPECT_EQ(t.at(i).value2, 5) << int{kind};
    }
    EXPECT_EQ(t.model.ErrorCode, 12) << int{kind};
  }
}

TEST(TrackScanBeforeSlowdown, MarkerKeepsTheCellsOtherFields) {
  Track t;
  t.slowdown(60, 63, 120);
  TrackCell& c = t.at(55);
  c.kind = kTunnel;
  c.value2 = 9;
  c.approach = 41;
  c.scenery = 2;
  c.speedLimit = 20;
  c.gradient = 103;
  t.scan();
  EXPECT_EQ(c.kind, kMarker);
  EXPECT_EQ(c.value1, 180);
  EXPECT_EQ(c.value2, 9);
  EXPECT_EQ(c.approach, 41);
  EXPECT_EQ(c.scenery, 2);
  EXPECT_EQ(c.speedLimit, 20);
  EXPECT_EQ(c.gradient, 103);
}

// ---- Rule C: markers inside a slow slowdown ---------------------------------

TEST(TrackScanInsideSlowdown, MarkerEveryEightCellsBelowSpeed110) {
  struct Case {
    std::int16_t speed;
    Cells expected;
  } cases[] = {
      {100, {58, 66}},
      {109, {58, 66}},
      {110, {}},
      {160, {}},
  };
  for (const auto& c : cases) {
    Track t;
    t.slowdown(50, 70, c.speed);  // 20 cells long
    t.scan();
    Cells inside;
    for (std::int32_t m : t.markers()) {
      if (m > 50) inside.push_back(m);
    }
    EXPECT_EQ(inside, c.expected) << "speed " << c.speed;
  }
}

TEST(TrackScanInsideSlowdown, NextMarkerCountsFromTheMarkerActuallyPlaced) {
  struct Case {
    const char* name;
    Cells taken;
    Cells expected;
    std::int32_t error;
  } cases[] = {
      {"on cell k", {}, {38, 46, 54}, 0},
      {"k taken: k − 1, counter 1", {38}, {37, 45, 53}, 0},
      {"k and k − 1 taken: k + 1, counter −1", {38, 37}, {39, 47, 55}, 0},
      {"none free: 13, no further marker", {38, 37, 39}, {}, 13},
  };
  for (const auto& c : cases) {
    Track t;
    t.slowdown(30, 60, 50);
    for (std::int32_t i : c.taken) t.put(i, kSignal, 43);
    t.scan();
    Cells inside;
    for (std::int32_t m : t.markers()) {
      if (m > 30) inside.push_back(m);
    }
    EXPECT_EQ(inside, c.expected) << c.name;
    EXPECT_EQ(t.model.ErrorCode, c.error) << c.name;
  }
}

// ---- Rule D: marker before the signal after a slowdown ----------------------

TEST(TrackScanAfterSlowdown, MarkerBeforeTheFirstSignalWithinTwelveCellsOfTheEnd) {
  struct Case {
    const char* name;
    Cells signals;
    Cells taken;
    Cells marked;  // markers of value 200 already there
    Cells expected;
    std::int32_t error;
  } cases[] = {
      {"signal 5 cells after the end", {65}, {}, {}, {64}, 0},
      {"signal 12 cells after the end", {72}, {}, {}, {71}, 0},
      {"signal 13 cells after the end", {73}, {}, {}, {}, 0},
      {"only the first signal", {63, 66}, {}, {}, {62}, 0},
      {"cell before taken: the one before that", {65}, {64}, {}, {63}, 0},
      {"an existing marker counts as taken", {65}, {}, {64}, {63, 64}, 0},
      {"neither free: 13", {65}, {64, 63}, {}, {}, 13},
  };
  for (const auto& c : cases) {
    Track t;
    t.slowdown(55, 60, 120);
    for (std::int32_t s : c.signals) t.put(s, kSignal, 43);
    for (std::int32_t i : c.taken) t.put(i, kCountdown, 1);
    for (std::int32_t i : c.marked) t.put(i, kMarker, 200);
    t.scan();
    Cells after;
    for (std::int32_t m : t.markers()) {
      if (m > 55) after.push_back(m);
    }
    EXPECT_EQ(after, c.expected) << c.name;
    for (std::int32_t i : c.marked) EXPECT_EQ(t.at(i).value1, 200) << c.name;
    EXPECT_EQ(t.model.ErrorCode, c.error) << c.name;
  }
}

TEST(TrackScanAfterSlowdown, LooksNoFurtherThanTheTracksLastCell) {
  for (const bool signal_on_last_cell : {true, false}) {
    SCOPED_TRACE(signal_on_last_cell);
    Track t;
    t.slowdown(t.last - 10, t.last - 4, 120);
    if (signal_on_last_cell) t.put(t.last, kSignal, 43);
    t.scan();
    Cells after;
    for (std::int32_t m : t.markers()) {
      if (m > t.last - 10) after.push_back(m);
    }
    EXPECT_EQ(after, signal_on_last_cell ? Cells{t.last - 1} : Cells{});
    EXPECT_EQ(t.model.ErrorCode, 0);
  }
}

TEST(TrackScanAfterSlowdown, SlowSlowdownStartsFromTheEndItsWalkFound) {
  Track t;
  t.slowdown(30, 44, 50);
  t.put(50, kSignal, 43);
  t.scan();
  // Rule B: 25, 19, 12; rule C: 38; rule D from the end in 44: 49.
  EXPECT_EQ(t.markers(), (Cells{12, 19, 25, 38, 49}));
  EXPECT_EQ(t.at(49).value1, 180);
}

// ---- Bounds ----------------------------------------------------------------

TEST(TrackScanBounds, CellZeroAndTheLastTwoCellsAreNotTreated) {
  Track t;
  // Each of these would place markers if its cell were scanned.
  t.put(0, kStart, 50);
  t.put(20, kEnd, 50);
  t.put(t.last - 1, kStart, 50);
  t.put(t.last, kWarning, 60);
  t.put(t.last - 5, kSignal, 43);
  t.scan();
  EXPECT_EQ(t.markers(), Cells{});
  EXPECT_EQ(t.model.ErrorCode, 0);
}

TEST(TrackScanBounds, RuleAMarkersNeverReachCellZero) {
  Track t;
  t.put(10, kWarning, 60);
  t.put(3, kSignal, 43);
  t.put(2, kCountdown, 1);
  t.put(1, kCountdown, 1);
  t.scan();
  EXPECT_EQ(t.at(0).kind, 0);
  EXPECT_EQ(t.model.ErrorCode, 11);
}

TEST(TrackScanBounds, WalkWithoutAnEndStopsAtTheLastCell) {
  // A slowdown of length 0 leaves only a start mark: its walk looks for the
  // next end, and with none left it runs to the last cell and no further.
  Track t;
  const std::int32_t start = t.last - 20;
  t.put(start, kStart, 50);
  for (std::int32_t i = start - 20; i < start; ++i) t.put(i, kCountdown, 1);
  t.put(t.last - 1, kSignal, 43);  // no end found, so no marker before it
  t.scan();
  EXPECT_EQ(t.markers(), (Cells{start + 8, start + 16}));
}

TEST(TrackScanBounds, CandidateBeyondTheLastCellCountsAsTaken) {
  Track t;
  const std::int32_t start = t.last - 8;  // counter reaches 8 on the last cell
  t.put(start, kStart, 50);
  for (std::int32_t i = start - 20; i < start; ++i) t.put(i, kCountdown, 1);
  t.put(t.last, kSignal, 43);
  t.put(t.last - 1, kSignal, 43);
  t.scan();
  EXPECT_EQ(t.markers(), Cells{});
  EXPECT_EQ(t.model.ErrorCode, 13);
}

TEST(TrackScanBounds, LengthZeroSlowdownWalksOnToTheNextSlowdownsEnd) {
  Track t;
  t.put(30, kStart, 50);  // length 0: start and end share this cell
  for (std::int32_t i = 10; i < 30; ++i) t.put(i, kCountdown, 1);
  t.slowdown(50, 60, 120);
  t.scan();
  // The first slowdown's walk runs through the second one's start to its end
  // in 60: 38, 46, 54. Rule B of the second then adds 45, 39 (38 is taken), 32.
  EXPECT_EQ(t.markers(), (Cells{32, 38, 39, 45, 46, 54}));
}

// ---- Completion: reserved slots, fixed values, check codes ------------------

TEST(CompleteTrack, TakenReservedSlotEndsTheRun) {
  struct Case {
    const char* name;
    void (*take)(ScenarioModel&);
    int code;
  } cases[] = {
      {"signal at position 0",
       [](ScenarioModel& m) {
         m.cell(1).kind = 1;
         m.cell(1).value1 = 43;
       },
       1250},
      {"entry 85 set1a", [](ScenarioModel& m) { m.ScenarioHeader[85].set1a = 1; }, 1250},
      {"cell 1 value2", [](ScenarioModel& m) { m.cell(1).value2 = 11; }, 1251},
      {"entry 85 timeOfDay", [](ScenarioModel& m) { m.ScenarioHeader[85].timeOfDay = 7; }, 1251},
  };
  for (const auto& c : cases) {
    Track t;
    c.take(t.model);
    try {
      complete_track(t.model);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const FatalError& e) {
      EXPECT_EQ(e.code(), c.code) << c.name;
    }
  }
}

TEST(CompleteTrack, MarkerThatRuleAPutsOnCellOneEndsTheRun) {
  Track t;
  t.put(6, kWarning, 60);
  t.put(3, kSignal, 43);
  t.put(2, kCountdown, 1);
  try {
    complete_track(t.model);
    ADD_FAILURE() << "no error";
  } catch (const FatalError& e) {
    EXPECT_EQ(e.code(), 1250);
  }
}

TEST(CompleteTrack, StoresFixedValuesAndCheckCodes) {
  Track t;
  t.model.ScenarioHeader[85].name = "ORSEA_MONTELBA";
  t.model.ScenarioHeader[86].name = "RX17";
  complete_track(t.model);
  EXPECT_EQ(t.model.ScenarioHeader[85].set1a, 610);
  EXPECT_EQ(t.model.ScenarioHeader[85].timeOfDay, 32786);
  EXPECT_EQ(t.at(1).value1, 5121);
  EXPECT_EQ(t.at(1).value2, 2509);
}

TEST(CompleteTrack, RouteWithoutSlowdownsChangesOnlyCellOneAndEntry85) {
  Track t;
  t.model.ScenarioHeader[85].name = "ORSEA_MONTELBA";
  t.model.ScenarioHeader[86].name = "RX17";
  t.model.ScenarioHeader[1].position = 500;
  t.put(57, kSignal, 43);
  t.at(55).approach = 41;
  t.put(20, kTunnel);
  t.put(24, kTunnel);
  t.put(70, kMarker, 200);
  t.put(90, 10, 1);
  const ScenarioModel before = t.model;
  complete_track(t.model);

  for (std::int32_t i = 0; i <= t.last; ++i) {
    if (i == 1) continue;
    EXPECT_TRUE(same_cell(t.at(i), before.cell(i))) << "cell " << i;
  }
  TrackCell expected_first = before.cell(1);
  expected_first.value1 = 5121;
  expected_first.value2 = 2509;
  EXPECT_TRUE(same_cell(t.at(1), expected_first));
  for (int e = 0; e < kHeaderEntries; ++e) {
    StationEntry expected = before.ScenarioHeader[static_cast<std::size_t>(e)];
    if (e == 85) {
      expected.set1a = 610;
      expected.timeOfDay = 32786;
    }
    const StationEntry& got = t.model.ScenarioHeader[static_cast<std::size_t>(e)];
    EXPECT_EQ(got.set1a, expected.set1a) << e;
    EXPECT_EQ(got.timeOfDay, expected.timeOfDay) << e;
    EXPECT_EQ(got.position, expected.position) << e;
    EXPECT_EQ(got.name, expected.name) << e;
  }
  EXPECT_EQ(t.model.ErrorCode, 0);
}

}  // namespace
}  // namespace sb
