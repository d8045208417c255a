#include "decode/cell_description.h"

#include <cstdio>

namespace sb {

namespace {

std::string digits(std::int64_t a, std::int64_t b, std::int64_t c) {
  return std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c);
}

// Text held by header entry `index`, when that entry was read.
std::string entry_name(const StationEntry* entries, int records, std::int64_t index) {
  if (entries == nullptr || index < 0 || index >= records) return {};
  return entries[index].name;
}

}  // namespace

const char* cell_kind_name(std::uint8_t kind) {
  switch (kind) {
    case 0: return "nothing";
    case 1: return "signal";
    case 2: return "slowdown end";
    case 3: return "slowdown start";
    case 4: return "slowdown warning board";
    case 5: return "slowdown countdown";
    case 6: return "speed boards";
    case 10: return "station end";
    case 11: return "tunnel mark";
    case 12: return "marker";
    case 13: return "marker without value";
    case 14: return "information board";
    default: return "unknown";
  }
}

std::int64_t object_position(std::uint8_t kind, std::size_t cell) {
  const auto i = static_cast<std::int64_t>(cell);
  switch (kind) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 6:
    case 14: return (i - 1) * 50;
    case 10: return (i + 1) * 50;
    default: return i * 50;
  }
}

std::vector<CellField> describe_cell(const TrackCell& c, const StationEntry* entries, int records) {
  std::vector<CellField> f;
  switch (c.kind) {
    case 1: {
      // value1..3 = s × 10 + d; value4 = rapp × 10 + sx × 3 + dx with codes 1 or 2.
      const std::int64_t codes = c.value4 % 10;
      const std::int64_t sx = (codes - 1) / 3;
      f.push_back({"first group", digits(c.value1 / 10, c.value2 / 10, c.value3 / 10)});
      f.push_back({"second group", digits(c.value1 % 10, c.value2 % 10, c.value3 % 10)});
      f.push_back({"first code", sx});
      f.push_back({"second code", codes - 3 * sx});
      f.push_back({"rapp", std::int64_t{c.value4 / 10}});
      if (c.signalTime != 0) f.push_back({"signal time", std::int64_t{c.signalTime}});
      break;
    }
    case 2:
    case 3:
    case 4:
      f.push_back({"speed km/h", std::int64_t{c.value1}});
      if (c.value2 != 0) f.push_back({"d_v", std::int64_t{c.value2}});
      if (c.kind != 4) f.push_back({"f_tt", std::int64_t{c.value3}});
      break;
    case 5:
      f.push_back({"count", std::int64_t{c.value1}});
      if (c.value2 != 0) f.push_back({"d_v count", std::int64_t{c.value2}});
      break;
    case 6: {
      // value = first side's speed × 20 + second side's speed / 5.
      const std::int16_t v[3] = {c.value1, c.value2, c.value3};
      f.push_back({"first side km/h", digits(v[0] / 20, v[1] / 20, v[2] / 20)});
      f.push_back({"second side km/h", digits(v[0] % 20 * 5, v[1] % 20 * 5, v[2] % 20 * 5)});
      f.push_back({"first side stripes", std::int64_t{c.value4 / 10}});
      f.push_back({"second side stripes", std::int64_t{c.value4 % 10}});
      break;
    }
    case 10:
      f.push_back({"station", std::int64_t{c.value1}});
      if (const std::string n = entry_name(entries, records, c.value1); !n.empty()) f.push_back({"name", n});
      break;
    case 12: f.push_back({"value", std::int64_t{c.value1}}); break;
    case 14:
      f.push_back({"entry", std::int64_t{c.value1}});
      f.push_back({"text", entry_name(entries, records, c.value1)});
      break;
    default: break;
  }
  return f;
}

const char* property_name(CellProperty p) {
  switch (p) {
    case CellProperty::SpeedLimit: return "speed limit";
    case CellProperty::Gradient: return "gradient";
    case CellProperty::Adhesion: return "adhesion";
    case CellProperty::Scenery: return "scenery";
  }
  return "";
}

const char* property_unit(CellProperty p) { return p == CellProperty::SpeedLimit ? " km/h" : ""; }

std::int64_t property_value(const TrackCell& c, CellProperty p) {
  switch (p) {
    case CellProperty::SpeedLimit: return std::int64_t{c.speedLimit} * 5;
    case CellProperty::Gradient: return std::int64_t{c.gradient} - 100;
    case CellProperty::Adhesion: return c.adhesion;
    case CellProperty::Scenery: return c.scenery;
  }
  return 0;
}

std::vector<PropertyRun> property_runs(const std::vector<TrackCell>& cells, CellProperty p) {
  std::vector<PropertyRun> runs;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const std::int64_t v = property_value(cells[i], p);
    if (!runs.empty() && runs.back().value == v) {
      runs.back().last = i;
    } else {
      runs.push_back(PropertyRun{i, i, v});
    }
  }
  return runs;
}

std::string clock_text(std::int64_t seconds) {
  const char* sign = seconds < 0 ? "-" : "";
  const std::int64_t s = seconds < 0 ? -seconds : seconds;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld", sign, static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return buf;
}

}  // namespace sb
