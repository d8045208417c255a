// The service description from the header (train values, clock, stations)
// and the cells (adhesion and speed-limit runs, slowdowns, signals and the
// markers that no completion rule would have placed).
#include <algorithm>
#include <string>

#include "author/decompile.h"
#include "author/decompile_approach.h"
#include "author/decompile_layout.h"
#include "author/decompile_markers.h"
#include "author/decompile_runs.h"
#include "model/cell_kinds.h"
#include "model/numeric.h"

namespace sb {

namespace {

std::string num(std::int64_t v) { return std::to_string(v); }

const StationEntry& entry(const DecodedScenario& s, int i) { return (*s.entries)[static_cast<std::size_t>(i)]; }

// Positions of objects: a point object in cell i stands at (i − 1) × 50 m,
// a marker in cell i at i × 50 m.
std::string point_at(std::size_t cell) { return num((static_cast<std::int64_t>(cell) - 1) * 50); }
std::string marker_at(std::size_t cell) { return num(static_cast<std::int64_t>(cell) * 50); }

void general(const DecodedScenario& s, std::string& out) {
  add_line(out, "[generale]");
  AlignedLines lines;
  lines.add("numero vetture", {num(entry(s, 84).position)});
  lines.add("percentuale massa frenata", {num(entry(s, 84).areaStart)});
  lines.add("sabbia", {num(entry(s, 86).set1a)});
  const StationEntry& clock = entry(s, 86);
  lines.add("orologio", {num(clock.set2a), num(clock.set2b), num(clock.set2c)});
  out += lines.text();
}

void profile(const DecodedScenario& s, const char* section, const char* keyword, std::uint8_t TrackCell::*field,
             int unit, std::string& out) {
  add_line(out, section);
  AlignedLines lines;
  for (const ProfileLine& p : profile_lines(*s.cells, field)) {
    lines.add(keyword, {num(std::int64_t{p.cell} * 50), num(std::int64_t{p.value} * unit)});
  }
  out += lines.text();
}

bool filled(const StationEntry& e) {
  return e.kind != 0 || e.areaStart != 0 || e.areaEnd != 0 || e.position != 0 || e.flag1 != 0 || !e.name.empty() ||
         e.set1a != 0 || e.set1b != 0 || e.set2a != 0 || e.set2b != 0 || e.set2c != 0 || e.set1c != 0 || e.extra != 0 ||
         e.flag3 != 0 || e.flag2 != 0 || e.timeOfDay != 0;
}

// Stations fill entries 1 upward, board texts 80 downward: the stations are
// the entries below the lowest board entry a cell points at, up to the last
// one filled.
int station_count(const DecodedScenario& s) {
  int lowest_board = 81;
  for (const TrackCell& c : *s.cells) {
    if (c.kind == cell_kind::kInformationBoard && c.value1 >= 1 && c.value1 <= 80) {
      lowest_board = std::min<int>(lowest_board, c.value1);
    }
  }
  int count = 0;
  for (int i = 1; i < lowest_board; ++i) {
    if (filled(entry(s, i))) count = i;
  }
  return count;
}

void stations(const DecodedScenario& s, std::string& out) {
  add_line(out, "[stazioni]");
  AlignedLines lines;
  const int count = station_count(s);
  for (int slot = 1; slot <= count; ++slot) {
    const StationEntry& e = entry(s, slot);
    const std::int64_t p = e.position;
    std::int64_t length = 0;
    std::int64_t flag3 = e.flag3;
    if (e.kind == 5 || e.kind == 6 || e.kind == 7 || e.kind == 8) {
      length = p - e.areaStart;
      flag3 = 0;
    } else {
      length = 2 * (p - e.areaStart);
      // The first station's third flag is cleared, but its area kept the
      // extra 50 m the flag gave it.
      if (slot == 1) flag3 = std::int64_t{e.areaEnd} - (p + length / 2) == 50 ? 1 : 0;
    }
    const std::int64_t t = e.timeOfDay;
    const std::int64_t hours = t / 3600, minutes = (t - hours * 3600) / 60, seconds = t - hours * 3600 - minutes * 60;
    lines.add(
        "stazione",
        {num(p), num(e.kind), num(length), num(e.flag1), num(e.flag2), num(flag3), num(e.set1a), num(e.set1b),
         num(e.set1c), num(e.set2a), num(e.set2b), num(e.set2c), num(e.extra), num(hours), num(minutes), num(seconds)},
        e.name);
  }
  out += lines.text();
}

bool is_countdown(const std::vector<TrackCell>& cells, std::int64_t warning) {
  for (int n = 0; n < 4; ++n) {
    const std::int64_t i = warning - 1 - n;
    if (i < 0 || cells[static_cast<std::size_t>(i)].kind != cell_kind::kCountdown ||
        cells[static_cast<std::size_t>(i)].value1 != n + 1) {
      return false;
    }
  }
  return true;
}

// A slowdown from its start cell: the end is the next end cell before any
// other start (none: start and end share the cell, length 0); the warning
// point 24 cells before, and the countdown before that when it is there.
void slowdowns(const DecodedScenario& s, std::string& out) {
  add_line(out, "[rallentamenti]");
  AlignedLines lines;
  const auto& cells = *s.cells;
  for (std::size_t i = 1; i < cells.size(); ++i) {
    const TrackCell& start = cells[i];
    if (start.kind != cell_kind::kSlowdownStart) continue;
    std::size_t end = i;
    for (std::size_t j = i + 1; j < cells.size(); ++j) {
      if (cells[j].kind == cell_kind::kSlowdownStart) break;
      if (cells[j].kind == cell_kind::kSlowdownEnd) {
        end = j;
        break;
      }
    }
    const std::int64_t x = (static_cast<std::int64_t>(i) - 1) * 50;
    const bool countdown = x > 1500 && is_countdown(cells, static_cast<std::int64_t>(i) - 24);
    lines.add("rallentamento", {num(x), num(start.value1), num(static_cast<std::int64_t>(end - i) * 50),
                                num(start.value3), num(countdown ? 1 : 0), num(start.value2)});
  }
  out += lines.text();
}

void signals(const DecodedScenario& s, std::string& out) {
  add_line(out, "[segnali]");
  AlignedLines lines;
  const auto& cells = *s.cells;
  const std::vector<std::int64_t> codes = approach_codes(cells);
  for (std::size_t i = 1; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (c.kind != cell_kind::kSignal) continue;
    const std::int64_t code = codes[i];
    std::int64_t sx = 0, dx = code, tempo = 0;
    if (c.signalTime != 0) {
      // Only a first group of code 2 keeps its time; 1 .. 100 would be raised to 101.
      sx = 2;
      dx = code - 6;
      tempo = c.signalTime <= 100 ? c.signalTime + 256 : c.signalTime;
    } else if (code >= 1) {
      sx = (code - 1) / 3;
      dx = code - sx * 3;
    }
    const std::int64_t rapp = (c.value4 - code) / 10;
    auto tens = [](std::int16_t v) { return num(v / 10); };
    auto units = [](std::int16_t v) { return num(v % 10); };
    lines.add("segnale", {point_at(i), num(sx), tens(c.value1), tens(c.value2), tens(c.value3), num(rapp), num(dx),
                          units(c.value1), units(c.value2), units(c.value3), num(tempo)});
  }
  out += lines.text();
}

void markers(const DecodedScenario& s, std::string& out) {
  add_line(out, "[codici]");
  AlignedLines lines;
  for (const AuthoredMarker& m : authored_markers(*s.cells)) {
    lines.add("abbattimento", {marker_at(m.cell), num(m.value)});
  }
  out += lines.text();
}

}  // namespace

std::string decompile_service(const DecodedScenario& s) {
  std::string out;
  general(s, out);
  profile(s, "[aderenze]", "aderenza", &TrackCell::adhesion, 1, out);
  profile(s, "[vel_limite]", "velocita", &TrackCell::speedLimit, 5, out);
  stations(s, out);
  slowdowns(s, out);
  signals(s, out);
  markers(s, out);
  add_line(out, "[fine]");
  return out;
}

Descriptions decompile(const DecodedScenario& scenario) {
  return Descriptions{decompile_line(scenario), decompile_service(scenario)};
}

}  // namespace sb
