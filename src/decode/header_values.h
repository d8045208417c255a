// The header file's entries as a person reads them: the scenario values of
// entries 81 to 86, the stations from entry 1 up, the board texts from
// entry 80 down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/scenario_model.h"

namespace sb {

struct KilometreMarker {
  int entry;
  std::int32_t position;
  std::int32_t value;
  std::int32_t flag;
};

struct ScenarioValues {
  std::int32_t route_length = 0;
  std::vector<KilometreMarker> markers;  // entries 81, 82, 83
  std::int32_t background1 = 0, background2 = 0, background3 = 0;
  std::int32_t repetition_start = 0, repetition_end = 0, repetition_codes = 0;
  std::int32_t braked_mass = 0;
  std::int32_t cars = 0;
  std::int16_t sand = 0;
  std::int16_t clock_h = 0, clock_m = 0, clock_s = 0;
  std::string route_name;
  std::string train_code;
  std::int16_t header_mark = 0;   // 610 in a correct file
  std::int32_t header_check = 0;  // weighted check code
};

// The header must hold all 87 entries.
ScenarioValues scenario_values(const std::array<StationEntry, kHeaderEntries>& entries);

struct HeaderItem {
  int entry;
  const StationEntry* data;
};

// Entries 1 .. 80: a station has a value besides its name; a board text
// is a name alone. Entries never filled are left out.
std::vector<HeaderItem> stations_of(const std::array<StationEntry, kHeaderEntries>& entries, int records);
std::vector<HeaderItem> boards_of(const std::array<StationEntry, kHeaderEntries>& entries, int records);

}  // namespace sb
