#include "decode/header_values.h"

namespace sb {

namespace {

bool has_values(const StationEntry& e) {
  return e.kind != 0 || e.areaStart != 0 || e.areaEnd != 0 || e.position != 0 || e.flag1 != 0 || e.set1a != 0 ||
         e.set1b != 0 || e.set2a != 0 || e.set2b != 0 || e.set2c != 0 || e.set1c != 0 || e.extra != 0 || e.flag3 != 0 ||
         e.flag2 != 0 || e.timeOfDay != 0;
}

}  // namespace

ScenarioValues scenario_values(const std::array<StationEntry, kHeaderEntries>& h) {
  ScenarioValues v;
  for (int k = 81; k <= 83; ++k) {
    const StationEntry& e = h[static_cast<std::size_t>(k)];
    v.markers.push_back(KilometreMarker{k, e.areaStart, e.areaEnd, e.position});
  }
  v.braked_mass = h[84].areaStart;
  v.route_length = h[84].areaEnd;
  v.cars = h[84].position;
  v.background1 = h[85].areaStart;
  v.background2 = h[85].position;
  v.background3 = h[85].areaEnd;
  v.route_name = h[85].name;
  v.header_mark = h[85].set1a;
  v.header_check = h[85].timeOfDay;
  v.repetition_start = h[86].areaStart;
  v.repetition_end = h[86].areaEnd;
  v.repetition_codes = h[86].position;
  v.train_code = h[86].name;
  v.sand = h[86].set1a;
  v.clock_h = h[86].set2a;
  v.clock_m = h[86].set2b;
  v.clock_s = h[86].set2c;
  return v;
}

std::vector<HeaderItem> stations_of(const std::array<StationEntry, kHeaderEntries>& h, int records) {
  std::vector<HeaderItem> items;
  for (int k = 1; k <= 80 && k < records; ++k) {
    if (has_values(h[static_cast<std::size_t>(k)])) items.push_back(HeaderItem{k, &h[static_cast<std::size_t>(k)]});
  }
  return items;
}

std::vector<HeaderItem> boards_of(const std::array<StationEntry, kHeaderEntries>& h, int records) {
  std::vector<HeaderItem> items;
  for (int k = 80; k >= 1; --k) {
    const StationEntry& e = h[static_cast<std::size_t>(k)];
    if (k < records && !has_values(e) && !e.name.empty()) items.push_back(HeaderItem{k, &e});
  }
  return items;
}

}  // namespace sb
