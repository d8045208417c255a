// The reader run on the scenario's own line description.
#include <gtest/gtest.h>

#include "documents/description_documents.h"
#include "reading/line_fixture.h"

namespace sb {
namespace {

class EmbeddedLineDescription : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fixture_ = new testing::LineFixture(1);
    outcome_ = fixture_->read(document_bytes(line_description_buffer()));
  }
  static void TearDownTestSuite() {
    delete fixture_;
    fixture_ = nullptr;
  }
  const ScenarioModel& m() const { return fixture_->model; }
  const TrackCell& cell(int i) const { return m().TrackArray.at(static_cast<std::size_t>(i)); }

  static testing::LineFixture* fixture_;
  static LineOutcome outcome_;
};

testing::LineFixture* EmbeddedLineDescription::fixture_ = nullptr;
LineOutcome EmbeddedLineDescription::outcome_ = LineOutcome::Stop;

TEST_F(EmbeddedLineDescription, ReadsWithoutErrorAndDeletesTheFile) {
  EXPECT_EQ(outcome_, LineOutcome::ReadService);
  EXPECT_EQ(m().ErrorCode, 0);
  EXPECT_FALSE(fixture_->line_kept());
  EXPECT_EQ(m().ExtendedLength, 96000);
  EXPECT_EQ(m().TrackArray.size(), 1921u);
}

TEST_F(EmbeddedLineDescription, ScenarioValuesInEntries81To86) {
  const auto& h = m().ScenarioHeader;
  EXPECT_EQ(h[81].areaStart, 1000);
  EXPECT_EQ(h[81].areaEnd, 0);
  EXPECT_EQ(h[81].position, 0);
  for (int i : {82, 83}) {
    EXPECT_EQ(h[i].areaStart, 0);
    EXPECT_EQ(h[i].areaEnd, 0);
    EXPECT_EQ(h[i].position, 0);
  }
  EXPECT_EQ(h[84].areaEnd, 89000);
  EXPECT_EQ(h[85].areaStart, 1);
  EXPECT_EQ(h[85].position, 60000);
  EXPECT_EQ(h[85].areaEnd, 80000);
  EXPECT_EQ(h[85].name, "ORSEA_MONTELBA");
  EXPECT_EQ(h[86].areaStart, 1000);
  EXPECT_EQ(h[86].areaEnd, 89500);
  EXPECT_EQ(h[86].position, 9);
  EXPECT_EQ(h[86].name, "RX17");
}

TEST_F(EmbeddedLineDescription, GradientsRunFromLineToLine) {
  struct Run {
    int first, last;
    std::uint8_t gradient;
  } runs[] = {{0, 24, 100},      {25, 89, 107},     {90, 366, 110},    {367, 442, 100},   {443, 563, 107},
              {564, 792, 109},   {793, 1245, 114},  {1246, 1247, 105}, {1248, 1251, 102}, {1252, 1268, 100},
              {1269, 1283, 119}, {1284, 1584, 115}, {1585, 1917, 100}, {1918, 1920, 0}};
  for (const auto& r : runs) {
    for (int i = r.first; i <= r.last; ++i) ASSERT_EQ(cell(i).gradient, r.gradient) << "cell " << i;
  }
}

TEST_F(EmbeddedLineDescription, InformationBoardsTakeEntries80Downward) {
  const int cells[] = {604, 719, 835, 914, 944, 1137, 1281, 1419, 1617, 1764};
  for (int n = 0; n < 10; ++n) {
    EXPECT_EQ(cell(cells[n]).kind, 14) << cells[n];
    EXPECT_EQ(cell(cells[n]).value1, 80 - n) << cells[n];
  }
  EXPECT_EQ(m().ScenarioHeader[71].name, "(Galleria)(Montelba)");
  EXPECT_EQ(m().ScenarioHeader[80].name.substr(0, 13), "(Galleria   )");
  EXPECT_EQ(m().ScenarioHeader[70].name, "");
  EXPECT_EQ(fixture_->boardSlot, 70);
}

TEST_F(EmbeddedLineDescription, MountainStretchesAndTunnelMarks) {
  EXPECT_EQ(m().MountainCount, 9);
  EXPECT_EQ(m().MountainStart[9], 88250);
  EXPECT_EQ(m().MountainEnd[9], 89250);
  for (int i = 606; i <= 611; ++i) EXPECT_EQ(cell(i).scenery, 2) << i;
  EXPECT_EQ(cell(612).scenery, 0);
  EXPECT_EQ(cell(611).kind, 0) << "type 2 has no tunnel marks";
  for (int i = 839; i <= 874; ++i) EXPECT_EQ(cell(i).scenery, 1) << i;
  EXPECT_EQ(cell(842).kind, 11);
  EXPECT_EQ(cell(843).kind, 0);
  EXPECT_EQ(cell(874).kind, 11);
}

TEST_F(EmbeddedLineDescription, SpeedBoards) {
  EXPECT_EQ(cell(41).kind, 6);
  EXPECT_EQ(cell(41).value1, 2800);
  EXPECT_EQ(cell(41).value2, 3000);
  EXPECT_EQ(cell(41).value3, 3000);
  EXPECT_EQ(cell(41).value4, 0);
  // 57000 stands on the fourth cell of a tunnel stretch: the board replaces the mark.
  EXPECT_EQ(cell(1141).kind, 6);
  EXPECT_EQ(cell(1141).scenery, 1);
  EXPECT_EQ(cell(1141).value1, 2600);
  EXPECT_EQ(cell(1141).value2, 2700);
  EXPECT_EQ(cell(1141).value3, 2800);
  EXPECT_EQ(cell(1141).value4, 20);
  EXPECT_EQ(cell(1742).kind, 6);
  EXPECT_EQ(cell(1742).value1, 2000);
  EXPECT_EQ(cell(1742).value4, 0);
}

TEST_F(EmbeddedLineDescription, PlanStartsWithTheFirstCurveAndEndsTwoMetresShort) {
  const TrackPlan& p = m().ProfileTable;
  EXPECT_EQ(p.last_metre(), 96000);
  EXPECT_EQ(p.get(750, 0).value, 0.0);
  EXPECT_EQ(p.get(750, 1).value, 750.0);
  EXPECT_NEAR(p.get(751, 0).value, -0.003, 1e-15);
  EXPECT_NEAR(p.get(1000, 0).value, -89.844, 0.0005);
  EXPECT_NEAR(p.get(1000, 1).value, 977.201, 0.0005);
  EXPECT_EQ(p.get(95998, 0).tag, ValueTag::Float64);
  EXPECT_EQ(p.get(95999, 0).tag, ValueTag::Empty);
  EXPECT_EQ(p.get(96000, 1).tag, ValueTag::Empty);
}

}  // namespace
}  // namespace sb
