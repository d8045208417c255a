#include "model/error_codes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace sb {
namespace {

// Every code the compiler records has a meaning of its own for the
// messages; a code added without one would print "unknown error".
TEST(ErrorMeaning, EveryRecordedCodeHasItsOwnMeaning) {
  const int codes[] = {err::kRouteTooLong,          err::kMarkerNotMultiple,
                       err::kRepetitionStart,       err::kRepetitionEnd,
                       err::kRepetitionCodes,       err::kBoardCellTaken,
                       err::kAbbattimentoCellTaken, err::kStationPosition,
                       err::kStationLength,         err::kStationTableFull,
                       err::kSignalMarker,          err::kSlowdownApproachMarker,
                       err::kSlowdownMarker,        err::kNotOnTrack,
                       err::kSignalCellTaken,       err::kWarningCellTaken,
                       err::kStartCellTaken,        err::kEndCellTaken,
                       err::kCountdownCellTaken,    err::kSpeedBoardCellTaken,
                       err::kStationSpacing,        err::kStationEndMarker,
                       err::kReadFailure,           err::kNoLineDescription,
                       err::kNoGeneralSection,      err::kCurve,
                       err::kReservedFixedSlot,     err::kReservedCheckSlot,
                       err::kMountainTableFull,     err::kMountainBeyondTrack,
                       err::kNegativeLinePosition,  err::kPlanBeyondTable,
                       err::kBoardTableFull,        err::kSlowdownBeyondTrack,
                       err::kStationBeyondTrack,    err::kNegativeServicePosition};
  std::set<std::string> meanings;
  for (const int code : codes) {
    const std::string meaning = error_meaning(code);
    EXPECT_NE(meaning, "unknown error") << code;
    EXPECT_TRUE(meanings.insert(meaning).second) << code << " shares its meaning: " << meaning;
  }
  for (const int code : {0, 14, 23, 26, 104, 200, 215, 1249, 1252, -1}) {
    EXPECT_STREQ(error_meaning(code), "unknown error") << code;
  }
}

}  // namespace
}  // namespace sb
