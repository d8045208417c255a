#include <gtest/gtest.h>

#include <string>

#include "model/error_codes.h"
#include "model/numeric.h"
#include "model/runtime_failure.h"
#include "reading/line_fixture.h"

namespace sb {
namespace {

using testing::crlf;
using testing::general;
using testing::LineFixture;

// ---- general region ----------------------------------------------------

TEST(LineGeneralRegion, RouteLengthSizesTheTrack) {
  struct Case {
    std::int32_t length;
    std::int32_t cells;  // 0 = refused, nothing allocated
    int error;
  } cases[] = {
      {1000000, 20141, 0},
      {89000, 1921, 0},
      {0, 141, 0},
      {25, 141, 0},
      {75, 143, 0},
      {1000001, 0, err::kRouteTooLong},
      {-1, 0, err::kNegativeLinePosition},
  };
  for (const auto& c : cases) {
    LineFixture f;
    const LineOutcome outcome = f.read(general(c.length) + crlf({"[fine]"}));
    EXPECT_EQ(f.model.ErrorCode, c.error) << c.length;
    EXPECT_EQ(f.model.ScenarioHeader[84].areaEnd, c.length) << "the length is kept as read";
    EXPECT_EQ(static_cast<std::int32_t>(f.model.TrackArray.size()), c.cells) << c.length;
    EXPECT_EQ(outcome, c.error == 0 ? LineOutcome::ReadService : LineOutcome::Stop) << c.length;
    EXPECT_FALSE(f.line_kept()) << c.length;
    EXPECT_TRUE(f.service_kept()) << c.length;
    if (c.error == 0) {
      EXPECT_EQ(f.model.ExtendedLength, c.length + 7000);
    }
  }
}

TEST(LineGeneralRegion, StoresIdentifiersMarkersBackgroundsAndRepetition) {
  LineFixture f;
  f.read(crlf({"commento iniziale", "[generale]", "LUNGHEZZA Percorso,    89000",
               "progressiva chilometrica uno,    1000,    0,    1", "progressiva chilometrica due,    0,    0,    0",
               "progressiva chilometrica tre,    0,    0,    0", "sfondo uno,    1", "sfondo due,    60000",
               "sfondo tre,    80000", "ripetizione segnali 9 codici,    1000,    89500", "[curve]", "[fine]"}));
  const auto& h = f.model.ScenarioHeader;
  EXPECT_EQ(f.model.ErrorCode, 0);
  EXPECT_EQ(h[85].name, "ORSEA_MONTELBA");
  EXPECT_EQ(h[86].name, "RX17");
  EXPECT_EQ(f.model.TrackArray.size(), 1921u);
  // Ordered: the "uno" marker first, its flag adding 100 to its value.
  EXPECT_EQ(h[81].areaStart, 1000);
  EXPECT_EQ(h[81].areaEnd, 100);
  EXPECT_EQ(h[81].position, 1);
  EXPECT_EQ(h[82].areaStart, 0);
  EXPECT_EQ(h[83].areaStart, 0);
  EXPECT_EQ(h[85].areaStart, 1);
  EXPECT_EQ(h[85].position, 60000);
  EXPECT_EQ(h[85].areaEnd, 80000);
  EXPECT_EQ(h[86].areaStart, 1000);
  EXPECT_EQ(h[86].areaEnd, 89500);
  EXPECT_EQ(h[86].position, 9);
}

TEST(LineGeneralRegion, MarkerAndBackgroundKeywordsMatchExactCase) {
  LineFixture f;
  f.read(crlf({"[generale]", "lunghezza percorso, 5000", "Progressiva chilometrica uno,    1000,    0,    0",
               "Sfondo due, 60000", "[curve]", "[fine]"}));
  EXPECT_EQ(f.model.ErrorCode, 0);
  EXPECT_EQ(f.model.ScenarioHeader[83].areaStart, 0);
  EXPECT_EQ(f.model.ScenarioHeader[81].areaStart, 0) << "skipped numbers are no markers either";
  EXPECT_EQ(f.model.ScenarioHeader[85].position, 0);
}

TEST(LineGeneralRegion, SignalRepetitionCodesAndErrors) {
  struct Case {
    const char* line;
    int error;
    std::int32_t codes;
  } cases[] = {
      {"ripetizione segnali 4 codici, 1000, 2000", 0, 4},
      {"ripetizione segnali 9 codici, 1000, 2000", 0, 9},
      {"ripetizione segnali 9 o 4 codici, 1000, 2000", 0, 4},
      {"ripetizione segnali 9 codici, 1000, 0", 0, 0},
      {"ripetizione segnali codici, 1000, 0", err::kRepetitionCodes, 0},
      {"ripetizione segnali 4 codici, 1025, 2000", err::kRepetitionStart, 0},
      {"ripetizione segnali 4 codici, -30, 2000", err::kRepetitionStart, 0},
      {"ripetizione segnali 4 codici, 1000, 2010", err::kRepetitionEnd, 0},
  };
  for (const auto& c : cases) {
    LineFixture f;
    const LineOutcome outcome =
        f.read(crlf({"[generale]", "lunghezza percorso, 5000", c.line, "[curve]", "pendenza, 100, 5", "[fine]"}));
    EXPECT_EQ(f.model.ErrorCode, c.error) << c.line;
    EXPECT_EQ(f.model.ScenarioHeader[86].position, c.codes) << c.line;
    EXPECT_EQ(outcome, c.error == 0 ? LineOutcome::ReadService : LineOutcome::Stop) << c.line;
    EXPECT_FALSE(f.line_kept()) << c.line;
    // An error stops before the free region: no gradient was laid.
    EXPECT_EQ(f.model.TrackArray[0].gradient, c.error == 0 ? 100 : 0) << c.line;
  }
}

TEST(LineGeneralRegion, SectionNamesEndTheRegionUnlessHyphenated) {
  // "[CURVE]" ends it, so the marker line after it is a free-region field and is ignored.
  LineFixture upper;
  upper.read(crlf({"[generale]", "lunghezza percorso, 5000", "[CURVE]", "progressiva uno, 1000, 0, 0", "[fine]"}));
  EXPECT_EQ(upper.model.ScenarioHeader[81].areaStart, 0);
  // " -[nota]" does not; the hyphen rule hands over the next field, which is read as a keyword.
  LineFixture hyphen;
  hyphen.read(
      crlf({"[generale]", "lunghezza percorso, 5000", " -[nota]", "progressiva uno, 1000, 0, 0", "[curve]", "[fine]"}));
  EXPECT_EQ(hyphen.model.ScenarioHeader[81].areaStart, 1000);
}

// ---- hyphen rule and end of file -----------------------------------------

std::string hyphens(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += "-commento\r\n";
  return out;
}

TEST(LineHyphenRule, GeneralRegionReplacesUpToTenFields) {
  // A hyphenated field is replaced by the next one up to ten times in a row;
  // the route-length keyword below carries a hyphen itself, so it is examined
  // only when it arrives as exactly the tenth replacement.
  struct Case {
    int comments;
    bool length_read;
  } cases[] = {{9, false}, {10, true}, {11, false}};
  for (const auto& c : cases) {
    LineFixture f;
    f.files.files[f.line_name()] =
        "[generale]\r\n" + hyphens(c.comments) + "-lunghezza percorso, 5000\r\n[curve]\r\n[fine]\r\n";
    memorizza_dati(f.model, f.files);
    EXPECT_EQ(f.model.ScenarioHeader[84].areaEnd, c.length_read ? 5000 : 0) << c.comments;
    // Without a route length the track is never allocated and reading fails.
    EXPECT_EQ(f.model.track_allocated(), c.length_read) << c.comments;
    if (!c.length_read) {
      EXPECT_EQ(f.model.ErrorCode, err::kReadFailure) << c.comments;
    }
  }
}

TEST(LineHyphenRule, GeneralRegionReadsPastTheEndWithoutTest) {
  LineFixture f;
  f.files.files[f.line_name()] = "[generale]\r\nlunghezza percorso, 5000\r\n-a\r\n-b\r\n";
  f.files.files[f.service_name()] = "[generale]\r\n";
  memorizza_dati(f.model, f.files);
  EXPECT_EQ(f.model.ErrorCode, err::kReadFailure);
  EXPECT_FALSE(f.line_kept());
  EXPECT_FALSE(f.service_kept()) << "the failure path deletes both descriptions";
}

TEST(LineHyphenRule, FreeRegionReplacesUpToTwoFields) {
  // The gradient keyword carries a hyphen, so it is examined only when it
  // arrives as exactly the second replacement; otherwise it is replaced by "0".
  struct Case {
    int comments;
    std::uint8_t cell0_gradient;  // 105 when the gradient line was read
  } cases[] = {{0, 100}, {1, 100}, {2, 105}, {3, 100}, {5, 105}};
  for (const auto& c : cases) {
    LineFixture f;
    std::string text = general(5000);
    for (int i = 0; i < c.comments; ++i) text += "- nota\r\n";
    f.read(text + "-pendenza, 0, 5\r\n[fine]\r\n");
    EXPECT_EQ(f.model.ErrorCode, 0);
    EXPECT_EQ(f.model.TrackArray[0].gradient, c.cell0_gradient) << c.comments;
  }
}

TEST(LineEndOfFile, TheLastFieldIsNeverExamined) {
  // A gradient keyword as the very last field would read past the end if examined.
  LineFixture f;
  EXPECT_EQ(f.read(general(5000) + "pendenza"), LineOutcome::ReadService);
  EXPECT_EQ(f.model.ErrorCode, 0);
  // A hyphen rule in the free region stops at the end too.
  LineFixture g;
  EXPECT_EQ(g.read(general(5000) + "-a\r\n-b\r\n"), LineOutcome::ReadService);
  EXPECT_EQ(g.model.ErrorCode, 0);
}

// ---- numbered errors and their follow-up ---------------------------------

TEST(LineErrors, MissingDescriptionRecords101AndTouchesNothing) {
  LineFixture f;
  f.files.files[f.service_name()] = "x";
  ReadingContext context{f.model, f.files};
  EXPECT_EQ(read_line_description(context), LineOutcome::Stop);
  EXPECT_EQ(f.model.ErrorCode, err::kNoLineDescription);
  EXPECT_TRUE(f.service_kept());
  EXPECT_EQ(f.model.ScenarioHeader[85].name, "ORSEA_MONTELBA") << "identifiers are copied first";
}

TEST(LineErrors, NoGeneralSectionRecords102) {
  const char* texts[] = {"", "a, b\r\n", "commento\r\n[GENERALE]\r\n", "[generale]"};
  for (const char* text : texts) {
    LineFixture f;
    EXPECT_EQ(f.read(text), LineOutcome::Stop) << text;
    EXPECT_EQ(f.model.ErrorCode, err::kNoGeneralSection) << text;
    EXPECT_FALSE(f.line_kept());
    EXPECT_TRUE(f.service_kept());
  }
}

struct FreeCase {
  const char* name;
  std::string lines;
  int error;
  LineOutcome outcome;
};

// Each case follows a route of 89000 m (cells 0 .. 1920).
TEST(LineErrors, FreeRegionErrorsAndTheirFollowUp) {
  const FreeCase cases[] = {
      {"gradient at the last position on the track", "pendenza, 95900, 5\r\n", 0, LineOutcome::ReadService},
      {"gradient just past it", "pendenza, 95901, 5\r\n", err::kNotOnTrack, LineOutcome::ReadService},
      {"curve off the track", "curvas1, 96000, 100\r\n", err::kNotOnTrack, LineOutcome::ReadService},
      {"mountain off the track", "montagna, 96000, 96100, 2\r\n", err::kNotOnTrack, LineOutcome::ReadService},
      {"speed boards off the track", "indicatori_vmax, 96000, 1,1,1,0,,,,0\r\n", err::kNotOnTrack,
       LineOutcome::ReadService},
      {"board off the track", "cartello_indicatore, 96000, (x)\r\n", err::kNotOnTrack, LineOutcome::ReadService},
      {"negative gradient", "pendenza, -50, 5\r\n", err::kNegativeLinePosition, LineOutcome::ReadService},
      {"negative mountain", "montagna, -5000, 100, 2\r\n", err::kNegativeLinePosition, LineOutcome::ReadService},
      {"negative board", "cartello_indicatore, -100, (x)\r\n", err::kNegativeLinePosition, LineOutcome::ReadService},
      {"negative speed boards", "indicatori_vmax, -100, 1,1,1,0,,,,0\r\n", err::kNegativeLinePosition,
       LineOutcome::ReadService},
      {"curve without class", "curvad, 1000, 100\r\n", err::kCurve, LineOutcome::Stop},
      {"board on a board", "cartello_indicatore, 25, (a)\r\ncartello_indicatore, 75, (b)\r\n", err::kBoardCellTaken,
       LineOutcome::Stop},
      {"speed boards on a board", "cartello_indicatore, 2000, (a)\r\nindicatori_vmax, 2000, 1,1,1,0,,,,0\r\n",
       err::kSpeedBoardCellTaken, LineOutcome::Stop},
      {"mountain beyond the track", "montagna, 95000, 96100, 2\r\n", err::kMountainBeyondTrack, LineOutcome::Stop},
  };
  for (const auto& c : cases) {
    LineFixture f(1);
    // A board after the erroneous line shows whether reading went on.
    const LineOutcome outcome = f.read(general(89000) + c.lines + "cartello_indicatore, 50000, (z)\r\n[fine]\r\n");
    EXPECT_EQ(f.model.ErrorCode, c.error) << c.name;
    EXPECT_EQ(outcome, c.outcome) << c.name;
    EXPECT_FALSE(f.line_kept()) << c.name;
    EXPECT_TRUE(f.service_kept()) << c.name;
    EXPECT_EQ(f.model.TrackArray[1001].kind == 14, c.error == 0) << c.name;
    // After 15 the reading ends as normal: the tails run. After a stop they do not.
    EXPECT_EQ(f.model.TrackArray[1917].gradient != 0, c.outcome == LineOutcome::ReadService) << c.name;
    EXPECT_EQ(f.model.ProfileTable.get(95998, 1).tag == ValueTag::Float64, c.outcome == LineOutcome::ReadService)
        << c.name;
  }
}

TEST(LineErrors, RunTimeFailuresEndInTheFailurePath) {
  const std::string cases[] = {
      general(5000) + "pendenza, 1250, sette\r\n[fine]\r\n",
      general(5000) + "pendenza, 1250, 99999999999\r\n[fine]\r\n",
      general(5000) + "indicatori_vmax, 2000, 1700, 1, 1, 0, , , , 0\r\n[fine]\r\n",
      general(5000) + "pendenza, 1250\r\n",                                             // values read past the end
      crlf({"[generale]", "sfondo uno, 1", "[curve]", "pendenza, 1250, 7", "[fine]"}),  // no route length
  };
  for (const auto& text : cases) {
    LineFixture f;
    f.files.files[f.line_name()] = text;
    f.files.files[f.service_name()] = "[generale]\r\n";
    memorizza_dati(f.model, f.files);
    EXPECT_EQ(f.model.ErrorCode, err::kReadFailure) << text;
    EXPECT_FALSE(f.line_kept());
    EXPECT_FALSE(f.service_kept());
  }
}

TEST(LineErrors, NoRouteLengthFailsOnTheFirstUseOfThePlan) {
  LineFixture f(1);
  f.files.files[f.line_name()] = crlf({"[generale]", "[curve]", "[fine]"});
  memorizza_dati(f.model, f.files);
  EXPECT_EQ(f.model.ErrorCode, err::kReadFailure);
  EXPECT_FALSE(f.model.track_allocated());
}

// ---- gradients ----------------------------------------------------------

TEST(LineGradients, EachValueRunsUpToTheNextLineAndTheLastToTheThirdLastCell) {
  LineFixture f;
  f.read(general(89000) + crlf({"pendenza,   0,    0", "pendenza,  1250,   7", "[fine]"}));
  const auto& t = f.model.TrackArray;
  ASSERT_EQ(t.size(), 1921u);
  for (std::size_t i = 0; i <= 24; ++i) EXPECT_EQ(t[i].gradient, 100) << i;
  for (std::size_t i = 25; i <= 1917; ++i) ASSERT_EQ(t[i].gradient, 107) << i;
  for (std::size_t i = 1918; i <= 1920; ++i) EXPECT_EQ(t[i].gradient, 0) << i;
}

TEST(LineGradients, RepeatedPositionWritesOneCellWithThePreviousValue) {
  LineFixture f;
  f.read(general(5000) + crlf({"pendenza, 1000, 3", "pendenza, 1000, -4", "pendenza, 1000, 200", "[fine]"}));
  const auto& t = f.model.TrackArray;
  EXPECT_EQ(t[19].gradient, 100);
  EXPECT_EQ(t[20].gradient, 103);
  EXPECT_EQ(t[21].gradient, 96);
  EXPECT_EQ(t[22].gradient, 44) << "200 + 100 keeps its low byte";
  EXPECT_EQ(t[200].gradient, 44);
}

TEST(LineGradients, CellsPastTheTrackEndInTheFailurePath) {
  // Each repeated line at the last position writes one more cell; past the
  // track's end that is refused, never a write outside the table.
  LineFixture f;
  std::string text = general(0);
  for (int i = 0; i < 6; ++i) text += "pendenza, 6900, 1\r\n";
  f.files.files[f.line_name()] = text + "[fine]\r\n";
  memorizza_dati(f.model, f.files);
  EXPECT_EQ(f.model.ErrorCode, err::kReadFailure);
}

// ---- information boards ---------------------------------------------------

TEST(LineInformationBoards, TakeCellsAndHeaderEntriesDownward) {
  LineFixture f;
  f.read(general(89000) + crlf({"montagna, 47050, 48000, 11", "cartello_indicatore,  47150,   (Valscura)",
                                "cartello_indicatore,  88150,   (Galleria)(Montelba)", "[fine]"}));
  const auto& t = f.model.TrackArray;
  ASSERT_EQ(f.model.ErrorCode, 0);
  EXPECT_EQ(t[944].kind, 14) << "placed on a tunnel mark, which counts as free";
  EXPECT_EQ(t[944].value1, 80);
  EXPECT_EQ(f.model.ScenarioHeader[80].name, "(Valscura)");
  EXPECT_EQ(t[1764].kind, 14);
  EXPECT_EQ(t[1764].value1, 79);
  EXPECT_EQ(f.model.ScenarioHeader[79].name, "(Galleria)(Montelba)");
  EXPECT_EQ(f.boardSlot, 78);
}

TEST(LineInformationBoards, MoreThanEightyBoardsAreRefused) {
  for (int boards : {80, 81}) {
    LineFixture f;
    std::string text = general(89000);
    for (int i = 0; i < boards; ++i) text += "cartello_indicatore, " + std::to_string(1000 + 100 * i) + ", (b)\r\n";
    const LineOutcome outcome = f.read(text + "[fine]\r\n");
    EXPECT_EQ(f.model.ErrorCode, boards == 80 ? 0 : err::kBoardTableFull) << boards;
    EXPECT_EQ(outcome, boards == 80 ? LineOutcome::ReadService : LineOutcome::Stop);
    EXPECT_EQ(f.model.ScenarioHeader[1].name, "(b)");
    EXPECT_EQ(f.model.ScenarioHeader[0].name, "") << "entry 0 is never filled";
    EXPECT_EQ(f.model.TrackArray[cell_of_point(1000 + 100 * 80)].kind, 0);
  }
}

// ---- mountains and speed boards through the reader -------------------------

TEST(LineRecorders, MountainAndSpeedBoardLinesReachTheirRecorders) {
  LineFixture f;
  f.read(general(89000) + crlf({"montagna,   30300,  30600,  2", "montagna,   30700,  31000,  2",
                                "indicatori_vmax,  2000,  140,  150,  150,  0,  ,  ,  ,  0", "[fine]"}));
  const auto& t = f.model.TrackArray;
  EXPECT_EQ(f.model.MountainCount, 2);
  EXPECT_EQ(t[606].scenery, 2);
  EXPECT_EQ(t[614].scenery, 3) << "100 m after the previous stretch";
  EXPECT_EQ(t[41].kind, 6);
  EXPECT_EQ(t[41].value1, 2800);
}

TEST(LineRecorders, EightyOneMountainsAreRefused) {
  LineFixture f;
  std::string text = general(89000);
  for (int i = 0; i < 81; ++i)
    text += "montagna, " + std::to_string(1000 * i) + ", " + std::to_string(1000 * i + 500) + ", 2\r\n";
  EXPECT_EQ(f.read(text + "[fine]\r\n"), LineOutcome::Stop);
  EXPECT_EQ(f.model.ErrorCode, err::kMountainTableFull);
  EXPECT_EQ(f.model.MountainCount, 80);
  EXPECT_EQ(f.model.TrackArray[1600].scenery, 0) << "the 81st stretch wrote nothing";
}

// ---- diagnostics --------------------------------------------------------

class RecordingSink : public DiagnosticSink {
 public:
  int code = 0;
  SourcePlace where;
  void recorded_error(int c, const SourcePlace& w, const std::string&) override {
    code = c;
    where = w;
  }
};

TEST(LineDiagnostics, ErrorsPointAtThePositionOfTheirEntry) {
  LineFixture f;
  RecordingSink sink;
  f.model.diagnostics.sink = &sink;
  f.read(general(5000) + crlf({"pendenza, 0, 0", "  cartello_indicatore, 25, (a)", "cartello_indicatore", " 75, (b)"}) +
         "[fine]\r\n");
  EXPECT_EQ(sink.code, err::kBoardCellTaken);
  // The board's position " 75" stands on the line after its keyword.
  EXPECT_EQ(sink.where.line, 7);
  EXPECT_EQ(sink.where.column, 2);
  EXPECT_EQ(sink.where.file, f.line_name());
}

}  // namespace
}  // namespace sb
