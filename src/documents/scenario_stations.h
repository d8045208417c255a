// The stations of the embedded service, by their number (1 .. 14, in the
// order of the service description). The timetable card names its stations
// from the same table, so the two documents cannot disagree.
#pragma once

#include <array>
#include <string_view>

namespace sb {

inline constexpr int kStationCount = 14;

// Plain ASCII, no commas: a station name runs to the end of its line and is
// stored byte for byte in the header file.
inline constexpr std::array<std::string_view, kStationCount> kStationNames = {
    "ORSEA", "VALLEROSA", "CASALPIANO", "SAN LIBERO", "FONTEBRUNA", "ROCCAVIVA", "PRATOLUNGO", "MOLINETTO",
    "BORGOCERRO", "VALSCURA", "CERVARIA", "PIEVE ALTA", "SELVANERA",
    // "B.V." on the card's header box: Borgo-Vecchio, written as one word.
    "MONTELBA BORGOVECCHIO"};

// Station `n` counted from 1, as the card and the service description do.
constexpr std::string_view station_name(int n) { return kStationNames.at(static_cast<std::size_t>(n - 1)); }

}  // namespace sb
