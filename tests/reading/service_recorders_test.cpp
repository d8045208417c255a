#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "model/error_codes.h"
#include "model/runtime_failure.h"
#include "model/scenario_model.h"
#include "reading/service_entries.h"
#include "reading/service_recorders.h"

namespace sb {
namespace {

class ServiceRecordersTest : public ::testing::Test {
 protected:
  ServiceRecordersTest() { model.allocate_track(89000); }  // cells 0 .. 1920

  TrackCell& cell(int i) { return model.TrackArray.at(static_cast<std::size_t>(i)); }

  // True when no field of any cell differs from `before`.
  bool unchanged(const std::vector<TrackCell>& before) const {
    for (std::size_t i = 0; i < before.size(); ++i) {
      const TrackCell& a = before[i];
      const TrackCell& b = model.TrackArray[i];
      if (a.kind != b.kind || a.value1 != b.value1 || a.value2 != b.value2 || a.value3 != b.value3 ||
          a.value4 != b.value4 || a.signalTime != b.signalTime || a.approach != b.approach) {
        return false;
      }
    }
    return true;
  }

  ScenarioModel model;
};

// "segnale,    2800,   1, 4, 1,  0, 0,    1,  3,1,0, 0"
const SignalEntry kTailA{2800, 1, 4, 1, 0, 0, 1, 3, 1, 0, 0};
// "segnale,    9200,   2, 4, 0,  0, 0,    2,  2,0,0, 215"
const SignalEntry kTailD{9200, 2, 4, 0, 0, 0, 2, 2, 0, 0, 215};

SignalEntry at(SignalEntry s, int position) {
  s.posizione = position;
  return s;
}

TEST_F(ServiceRecordersTest, SignalsOfTheDocumentMarkTheirCellAndApproach) {
  ASSERT_TRUE(memo_segnale(model, kTailA));
  ASSERT_TRUE(memo_segnale(model, kTailD));
  EXPECT_EQ(model.ErrorCode, 0);

  const TrackCell& a = cell(57);
  EXPECT_EQ(a.kind, 1);
  EXPECT_EQ(a.value1, 43);
  EXPECT_EQ(a.value2, 11);
  EXPECT_EQ(a.value3, 0);
  EXPECT_EQ(a.value4, 4);
  EXPECT_EQ(a.signalTime, 0);
  const TrackCell& d = cell(185);
  EXPECT_EQ(d.kind, 1);
  EXPECT_EQ(d.value1, 42);
  EXPECT_EQ(d.value2, 0);
  EXPECT_EQ(d.value4, 8);
  EXPECT_EQ(d.signalTime, 215);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(cell(57 - 2 * k).approach, 40 + k) << k;
    EXPECT_EQ(cell(57 - 2 * k).kind, 0) << k;
    EXPECT_EQ(cell(185 - 2 * k).approach, 80 + k) << k;
  }
  EXPECT_EQ(cell(56).approach, 0);
}

TEST_F(ServiceRecordersTest, SignalTimeIsKeptOnlyForFirstCodeTwoAndRaisedTo101) {
  struct Case {
    int sx;
    int tempo;
    int stored;
  };
  const Case cases[] = {{2, 40, 101}, {2, 1, 101},  {2, 100, 101}, {2, 101, 101},
                        {2, 0, 0},    {2, 300, 44}, {1, 40, 0},    {3, 215, 0}};
  int position = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "sx " << c.sx << " tempo " << c.tempo);
    SignalEntry s = at(kTailD, position);
    s.sx = c.sx;
    s.tempo = c.tempo;
    ASSERT_TRUE(memo_segnale(model, s));
    EXPECT_EQ(cell(position / 50 + 1).signalTime, c.stored);
    position += 1000;
  }
}

TEST_F(ServiceRecordersTest, SignalValuesKeepTheLowBits) {
  // rapp 7000: 70000 + 3 + 1 keeps 70004 - 65536; sx 100, dx 5: (300 + 5) * 10 + 1 keeps 3051 mod 256.
  SignalEntry s{5000, 100, 4, 1, 0, 7000, 5, 3, 1, 0, 0};
  ASSERT_TRUE(memo_segnale(model, s));
  EXPECT_EQ(cell(101).value4, static_cast<std::int16_t>(70000 + 300 + 5 - 65536));
  EXPECT_EQ(cell(99).approach, (305 * 10 + 1) % 256);
}

TEST_F(ServiceRecordersTest, SecondSignalOnTheSameCellIsRefusedAndWritesNothing) {
  ASSERT_TRUE(memo_segnale(model, kTailA));
  const std::vector<TrackCell> before = model.TrackArray;
  EXPECT_FALSE(memo_segnale(model, at(kTailD, 2810)));  // cell nearest(57.2) = 57
  EXPECT_EQ(model.ErrorCode, err::kSignalCellTaken);
  EXPECT_TRUE(unchanged(before));
}

TEST_F(ServiceRecordersTest, SignalCloseBehindAnotherPutsItsFirstApproachMarkOnIt) {
  ASSERT_TRUE(memo_segnale(model, kTailA));
  ASSERT_TRUE(memo_segnale(model, at(kTailD, 2900)));  // cell 59
  EXPECT_EQ(cell(57).approach, 81);
  EXPECT_EQ(cell(57).kind, 1);
  EXPECT_EQ(cell(57).value1, 43);
  EXPECT_EQ(cell(57).value4, 4);
}

TEST_F(ServiceRecordersTest, SignalOnATunnelMarkReplacesIt) {
  cell(57).kind = 11;
  ASSERT_TRUE(memo_segnale(model, kTailA));
  EXPECT_EQ(cell(57).kind, 1);
}

TEST_F(ServiceRecordersTest, SignalNearTheTrackStartLeavesOutApproachMarksBeforeCell0) {
  ASSERT_TRUE(memo_segnale(model, at(kTailA, 0)));  // cell 1: no approach cell
  EXPECT_EQ(cell(1).kind, 1);
  EXPECT_EQ(cell(1).value1, 43);
  ASSERT_TRUE(memo_segnale(model, at(kTailA, 250)));  // cell 6: marks on 4, 2, 0
  EXPECT_EQ(cell(4).approach, 41);
  EXPECT_EQ(cell(2).approach, 42);
  EXPECT_EQ(cell(0).approach, 43);
}

// ---------------------------------------------------------------- slowdowns

TEST_F(ServiceRecordersTest, SlowdownMarksWarningStartAndEnd) {
  ASSERT_TRUE(memo_rallentamento(model, SlowdownEntry{18350, 30, 1000, 7, 0, 0}));
  EXPECT_EQ(model.ErrorCode, 0);
  struct Expect {
    int cell;
    int kind;
    int value1;
    int value3;
  };
  for (const Expect e : {Expect{368, 3, 30, 7}, Expect{388, 2, 30, 7}, Expect{344, 4, 30, 0}}) {
    SCOPED_TRACE(e.cell);
    EXPECT_EQ(cell(e.cell).kind, e.kind);
    EXPECT_EQ(cell(e.cell).value1, e.value1);
    EXPECT_EQ(cell(e.cell).value2, 0);
    EXPECT_EQ(cell(e.cell).value3, e.value3);
  }
  EXPECT_EQ(cell(343).kind, 0);  // no countdown without f_ta
}

TEST_F(ServiceRecordersTest, CountdownRunsOnTheFourCellsBeforeTheWarningPoint) {
  ASSERT_TRUE(memo_rallentamento(model, SlowdownEntry{1550, 60, 500, 1, 1, 9}));
  EXPECT_EQ(cell(8).kind, 4);
  EXPECT_EQ(cell(8).value1, 60);
  EXPECT_EQ(cell(8).value2, 9);
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(cell(7 - n).kind, 5) << n;
    EXPECT_EQ(cell(7 - n).value1, n + 1) << n;
    EXPECT_EQ(cell(7 - n).value2, n + 1) << n;
  }
  EXPECT_EQ(cell(3).kind, 0);
  EXPECT_EQ(cell(32).value2, 9);  // start
  EXPECT_EQ(cell(42).value2, 9);  // end
}

TEST_F(ServiceRecordersTest, CountdownWithoutAnnouncedSpeedLeavesItsSecondValueEmpty) {
  ASSERT_TRUE(memo_rallentamento(model, SlowdownEntry{1550, 60, 500, 1, 1, 0}));
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(cell(7 - n).kind, 5) << n;
    EXPECT_EQ(cell(7 - n).value1, n + 1) << n;
    EXPECT_EQ(cell(7 - n).value2, 0) << n;
  }
}

TEST_F(ServiceRecordersTest, SlowdownFrom1500HasNoWarningPointNorCountdown) {
  ASSERT_TRUE(memo_rallentamento(model, SlowdownEntry{1500, 60, 500, 1, 1, 0}));
  EXPECT_EQ(cell(31).kind, 3);
  EXPECT_EQ(cell(41).kind, 2);
  for (int i = 0; i < 31; ++i) EXPECT_EQ(cell(i).kind, 0) << i;
}

TEST_F(ServiceRecordersTest, SlowdownOfLengthZeroIsOneStartMark) {
  ASSERT_TRUE(memo_rallentamento(model, SlowdownEntry{5000, 40, 0, 3, 0, 2}));
  EXPECT_EQ(cell(101).kind, 3);
  EXPECT_EQ(cell(101).value1, 40);
  EXPECT_EQ(cell(101).value2, 2);
  EXPECT_EQ(cell(101).value3, 3);
}

TEST_F(ServiceRecordersTest, SlowdownOnATakenCellIsRefusedBeforeAnyMark) {
  struct Case {
    const char* what;
    int takenCell;
    int code;
  };
  // x = 18350, l = 1000: warning 344, start 368, end 388.
  for (const Case c : {Case{"warning point on a signal", 344, err::kWarningCellTaken},
                       Case{"start taken", 368, err::kStartCellTaken}, Case{"end taken", 388, err::kEndCellTaken}}) {
    SCOPED_TRACE(c.what);
    model.allocate_track(89000);
    model.ErrorCode = 0;
    cell(c.takenCell).kind = 1;
    const std::vector<TrackCell> before = model.TrackArray;
    EXPECT_FALSE(memo_rallentamento(model, SlowdownEntry{18350, 30, 1000, 7, 1, 5}));
    EXPECT_EQ(model.ErrorCode, c.code);
    EXPECT_TRUE(unchanged(before));
  }
}

TEST_F(ServiceRecordersTest, TakenCountdownCellFailsAfterTheMainMarks) {
  cell(5).kind = 14;  // an information board among the countdown cells 7 .. 4
  EXPECT_FALSE(memo_rallentamento(model, SlowdownEntry{1550, 60, 500, 1, 1, 0}));
  EXPECT_EQ(model.ErrorCode, err::kCountdownCellTaken);
  EXPECT_EQ(cell(8).kind, 4);
  EXPECT_EQ(cell(32).kind, 3);
  EXPECT_EQ(cell(42).kind, 2);
  EXPECT_EQ(cell(42).value1, 60);
  EXPECT_EQ(cell(7).kind, 0);
}

TEST_F(ServiceRecordersTest, SlowdownEndingOffTheTrackIsRefusedBeforeAnyMark) {
  struct Case {
    const char* what;
    int x;
    int l;
  };
  for (const Case c : {Case{"end beyond the last cell", 90000, 10000}, Case{"end before cell 0", 100, -1000},
                       Case{"length that overflows 32 bits", 5000, std::numeric_limits<std::int32_t>::max()}}) {
    SCOPED_TRACE(c.what);
    model.ErrorCode = 0;
    const std::vector<TrackCell> before = model.TrackArray;
    EXPECT_FALSE(memo_rallentamento(model, SlowdownEntry{c.x, 30, c.l, 0, 1, 0}));
    EXPECT_EQ(model.ErrorCode, err::kSlowdownBeyondTrack);
    EXPECT_TRUE(unchanged(before));
  }
  // Ending on the last cell is fine.
  EXPECT_TRUE(memo_rallentamento(model, SlowdownEntry{90000, 30, 5950, 0, 0, 0}));
  EXPECT_EQ(cell(1920).kind, 2);
}

}  // namespace
}  // namespace sb

namespace sb {
namespace {

// A run of a profile value written cell by cell, as the readers have always
// written it: the reference the filler must match, run inside the track or
// across its ends.
struct FillCase {
  std::int32_t next, until, last;
};

TEST(FillProfile, WritesTheSameCellsAsCellByCellInsideAndAcrossTheTrack) {
  const FillCase cases[] = {
      {2, 6, 9},     // a run inside the track
      {4, 4, 9},     // `until` reached: the first cell only
      {4, -100, 9},  // `until` behind: the first cell only
      {5, 9, 3},     // `last` behind: nothing
      {0, 100, 9},   // up to `last`, the track's last cell
      {3, 100, 7},   // up to `last` inside the track
      {7, 100, 12},  // across the track's end: fails past cell 9
      {-2, 3, 9},    // before the track's start: fails at once
      {9, 10, 9},    // the last cell alone
  };
  for (const FillCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.next << " " << c.until << " " << c.last);
    ScenarioModel fast;
    fast.TrackArray.resize(10);
    std::vector<TrackCell> expected(10);
    std::int32_t expected_next = c.next;
    bool expected_failure = false;
    do {
      if (expected_next > c.last) break;
      if (expected_next < 0 || expected_next > 9) {
        expected_failure = true;
        break;
      }
      expected[static_cast<std::size_t>(expected_next)].adhesion = 7;
      ++expected_next;
    } while (expected_next < c.until);

    std::int32_t next = c.next;
    bool failed = false;
    try {
      fill_profile(fast, next, c.until, c.last, &TrackCell::adhesion, 7);
    } catch (const RuntimeFailure&) {
      failed = true;
    }
    EXPECT_EQ(failed, expected_failure);
    if (!failed) {
      EXPECT_EQ(next, expected_next);
    }
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(fast.TrackArray[i].adhesion, expected[i].adhesion) << "cell " << i;
  }
  ScenarioModel no_track;
  std::int32_t next = 0;
  EXPECT_THROW(fill_profile(no_track, next, 5, 9, &TrackCell::adhesion, 7), RuntimeFailure);
}

}  // namespace
}  // namespace sb
