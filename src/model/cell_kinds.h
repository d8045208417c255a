// What occupies a track cell: the values of TrackCell::kind.
#pragma once

#include <cstdint>

namespace sb::cell_kind {

constexpr std::uint8_t kNothing = 0;
constexpr std::uint8_t kSignal = 1;
constexpr std::uint8_t kSlowdownEnd = 2;
constexpr std::uint8_t kSlowdownStart = 3;
constexpr std::uint8_t kWarningPoint = 4;
constexpr std::uint8_t kCountdown = 5;  // one of the four cells before a warning point
constexpr std::uint8_t kSpeedBoards = 6;
constexpr std::uint8_t kStationEnd = 10;
constexpr std::uint8_t kTunnelMark = 11;  // counts as free
constexpr std::uint8_t kMarker = 12;      // value1 holds its value
constexpr std::uint8_t kMarkerWithoutValue = 13;
constexpr std::uint8_t kInformationBoard = 14;

}  // namespace sb::cell_kind
