// The line description from the header's scenario values (entries 81 to 86),
// the plan's curves, and the cells' gradients, scenery, tunnel marks, speed
// boards and information boards.
#include <algorithm>
#include <map>
#include <string>

#include "author/decompile.h"
#include "author/decompile_layout.h"
#include "author/decompile_runs.h"
#include "model/cell_kinds.h"
#include "reading/line_recorders.h"

namespace sb {

namespace {

std::string num(std::int64_t v) { return std::to_string(v); }

const StationEntry& entry(const DecodedScenario& s, int i) { return (*s.entries)[static_cast<std::size_t>(i)]; }

// The kilometre-marker lines ("uno", "due", "tre") whose ordering gives
// entries 81, 82, 83 as they stand: a flag of 1 had added 100 to the value.
// Of the six ways to name the three triples, the first whose ordering
// reproduces them is taken.
std::array<std::array<std::int32_t, 3>, 3> marker_lines(const DecodedScenario& s) {
  std::array<std::array<std::int32_t, 3>, 3> stored{};
  for (int i = 0; i < 3; ++i) {
    const StationEntry& e = entry(s, 81 + i);
    stored[static_cast<std::size_t>(i)] = {e.areaStart, e.position == 1 ? e.areaEnd - 100 : e.areaEnd, e.position};
  }
  // uno, due, tre in turn take the stored triple of index perm[0], [1], [2].
  std::array<int, 3> perm{0, 1, 2};
  do {
    ScenarioModel m;
    for (int word = 0; word < 3; ++word) {
      const auto& t = stored[static_cast<std::size_t>(perm[static_cast<std::size_t>(word)])];
      // "tre" is read into entry 81, "due" into 82, "uno" into 83.
      StationEntry& e = m.ScenarioHeader[static_cast<std::size_t>(83 - word)];
      e.areaStart = t[0];
      e.areaEnd = t[1];
      e.position = t[2];
    }
    progressive_ordina(m);
    bool same = true;
    for (int i = 0; i < 3; ++i) {
      const StationEntry& a = m.ScenarioHeader[static_cast<std::size_t>(81 + i)];
      const StationEntry& b = entry(s, 81 + i);
      same = same && a.areaStart == b.areaStart && a.areaEnd == b.areaEnd && a.position == b.position;
    }
    if (same) {
      return {stored[static_cast<std::size_t>(perm[0])], stored[static_cast<std::size_t>(perm[1])],
              stored[static_cast<std::size_t>(perm[2])]};
    }
  } while (std::next_permutation(perm.begin(), perm.end()));
  return stored;  // nothing reproduces them: the closest lines
}

void general_region(const DecodedScenario& s, std::string& out) {
  add_line(out, "[generale]");
  AlignedLines lines;
  lines.add("lunghezza percorso", {num(entry(s, 84).areaEnd)});
  const auto markers = marker_lines(s);
  const char* words[3] = {"uno", "due", "tre"};
  for (int i = 0; i < 3; ++i) {
    const auto& t = markers[static_cast<std::size_t>(i)];
    lines.add(std::string("progressiva chilometrica ") + words[i], {num(t[0]), num(t[1]), num(t[2])});
  }
  const StationEntry& backgrounds = entry(s, 85);
  lines.add("sfondo uno", {num(backgrounds.areaStart)});
  lines.add("sfondo due", {num(backgrounds.position)});
  lines.add("sfondo tre", {num(backgrounds.areaEnd)});
  // The keyword carries the number of repeated codes; with an end of 0
  // there is no repetition and the number is stored as 0 whatever it says.
  const StationEntry& repetition = entry(s, 86);
  const char* codes = repetition.position == 4 ? "ripetizione segnali 4 codici" : "ripetizione segnali 9 codici";
  lines.add(codes, {num(repetition.areaStart), num(repetition.areaEnd)});
  out += lines.text();
}

void curves(const DecodedScenario& s, std::string& out) {
  add_line(out, "[curve]");
  std::int32_t unexplained = -1;
  std::vector<CurveRun> runs;
  if (s.plan != nullptr && s.plan->allocated()) {
    runs = curve_runs(*s.plan, unexplained);
  } else if (s.profile_bytes != nullptr) {
    runs = curve_runs(*s.profile_bytes, entry(s, 84).areaEnd + kTrackBeyondRoute, unexplained);
  } else if (s.open_profile) {
    ProfilePoints points(s.open_profile(), s.open_profile(), entry(s, 84).areaEnd + kTrackBeyondRoute);
    runs = curve_runs(points, unexplained);
  }
  AlignedLines lines;
  // Straight up to metre `start`, then curved through metre start + length.
  for (const CurveRun& run : runs) {
    const std::int32_t start = run.first - 1;
    lines.add(std::string("curva") + run.side + std::to_string(run.curve_class), {num(start), num(run.last - start)});
  }
  out += lines.text();
}

void gradients(const DecodedScenario& s, std::string& out) {
  add_line(out, "[pendenze]");
  AlignedLines lines;
  for (const ProfileLine& p : profile_lines(*s.cells, &TrackCell::gradient)) {
    lines.add("pendenza", {num(p.cell * 50), num(static_cast<int>(p.value) - 100)});
  }
  out += lines.text();
}

// Scenery of type `type`, tunnel or not, as the type code of a mountain line.
std::int32_t mountain_code(std::uint8_t type, bool tunnel) {
  if (tunnel) return type + 10;
  // Only the low 8 bits are stored: a type above 10 written as itself would
  // read as a tunnel.
  return type <= 10 ? type : type - 256;
}

void mountains(const DecodedScenario& s, std::string& out) {
  add_line(out, "[montagne]");
  AlignedLines lines;
  for (const MountainLine& m : mountain_lines(*s.cells)) {
    lines.add("montagna", {num(m.start), num(m.end), num(mountain_code(m.type, m.tunnel))});
  }
  out += lines.text();
}

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// value = nearest(second / 5 + first × 20): the first side's speed in steps
// of 20, the rest on the second side.
std::pair<std::int64_t, std::int64_t> board_speeds(std::int16_t value) {
  const std::int64_t first = floor_div(value, 20);
  return {first, (value - first * 20) * 5};
}

void speed_boards(const DecodedScenario& s, std::string& out) {
  add_line(out, "[cartelli]");
  AlignedLines lines;
  const auto& cells = *s.cells;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (c.kind != cell_kind::kSpeedBoards) continue;
    const auto a = board_speeds(c.value1), b = board_speeds(c.value2), cc = board_speeds(c.value3);
    const std::int64_t stripes_first = floor_div(c.value4, 10);
    const std::int64_t stripes_second = c.value4 - stripes_first * 10;
    // No board on the second side: its speeds are left empty, as authors write them.
    const bool second_side = a.second != 0 || b.second != 0 || cc.second != 0;
    auto side2 = [&](std::int64_t v) { return second_side ? num(v) : std::string(); };
    lines.add("indicatori_vmax",
              {num(static_cast<std::int64_t>(i - 1) * 50), num(a.first), num(b.first), num(cc.first),
               num(stripes_first), side2(a.second), side2(b.second), side2(cc.second), num(stripes_second)});
  }
  out += lines.text();
}

// Board texts took entries 80, 79, ... in the order of their lines.
void information_boards(const DecodedScenario& s, std::string& out) {
  add_line(out, "[indicazioni]");
  std::map<int, std::size_t, std::greater<>> by_entry;
  const auto& cells = *s.cells;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (c.kind == cell_kind::kInformationBoard && c.value1 >= 1 && c.value1 <= 80) by_entry.emplace(c.value1, i);
  }
  AlignedLines lines;
  for (const auto& [slot, cell] : by_entry) {
    lines.add("cartello_indicatore", {num(static_cast<std::int64_t>(cell - 1) * 50)}, entry(s, slot).name);
  }
  out += lines.text();
}

}  // namespace

std::string decompile_line(const DecodedScenario& s) {
  std::string out;
  general_region(s, out);
  curves(s, out);
  gradients(s, out);
  mountains(s, out);
  speed_boards(s, out);
  information_boards(s, out);
  add_line(out, "[fine]");
  return out;
}

}  // namespace sb
