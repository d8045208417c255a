// Every error number the system records or raises, with its meaning. The
// numbers below 200 and 1250/1251 are the scenario format's own; 201 and up
// are ours, for input the format leaves unguarded (nothing is ever written
// outside a table).
#pragma once

namespace sb {

namespace err {
// Line description
constexpr int kRouteTooLong = 1;
constexpr int kMarkerNotMultiple = 2;
constexpr int kRepetitionStart = 3;
constexpr int kRepetitionEnd = 4;
constexpr int kRepetitionCodes = 5;
constexpr int kBoardCellTaken = 6;
// Service description
constexpr int kAbbattimentoCellTaken = 7;
constexpr int kStationPosition = 8;
constexpr int kStationLength = 9;
constexpr int kStationTableFull = 10;
// Track completion
constexpr int kSignalMarker = 11;
constexpr int kSlowdownApproachMarker = 12;
constexpr int kSlowdownMarker = 13;
// Both readers
constexpr int kNotOnTrack = 15;
constexpr int kSignalCellTaken = 16;
constexpr int kWarningCellTaken = 17;
constexpr int kStartCellTaken = 18;
constexpr int kEndCellTaken = 19;
constexpr int kCountdownCellTaken = 20;
constexpr int kSpeedBoardCellTaken = 21;
constexpr int kStationSpacing = 22;
constexpr int kStationEndMarker = 24;
constexpr int kReadFailure = 25;
constexpr int kNoLineDescription = 101;
constexpr int kNoGeneralSection = 102;
constexpr int kCurve = 103;
// Fatal, shown by errore
constexpr int kReservedFixedSlot = 1250;
constexpr int kReservedCheckSlot = 1251;

// Our own codes.
constexpr int kMountainTableFull = 201;
constexpr int kMountainBeyondTrack = 202;
constexpr int kNegativeLinePosition = 203;
constexpr int kPlanBeyondTable = 204;
constexpr int kBoardTableFull = 205;
constexpr int kSlowdownBeyondTrack = 212;
constexpr int kStationBeyondTrack = 213;
constexpr int kNegativeServicePosition = 214;
}  // namespace err

// A short meaning of the number, for people; "unknown error" for others.
const char* error_meaning(int code);

}  // namespace sb
