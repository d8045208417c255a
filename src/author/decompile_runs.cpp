#include "author/decompile_runs.h"

#include "model/cell_kinds.h"

namespace sb {

namespace {
// A stretch beginning this close after the previous one's end is type 3.
constexpr std::int32_t kJoinedStretches = 150;
constexpr std::uint8_t kJoinedType = 3;
}  // namespace

std::vector<ProfileLine> profile_lines(const std::vector<TrackCell>& cells, std::uint8_t TrackCell::*field) {
  std::vector<ProfileLine> lines;
  if (cells.size() < 4) return lines;
  const auto upper = static_cast<std::int32_t>(cells.size()) - 1;
  auto at = [&](std::int32_t i) { return cells[static_cast<std::size_t>(i)].*field; };
  lines.push_back({0, at(0)});
  for (std::int32_t i = 1; i <= upper - 3; ++i) {
    if (at(i) != at(i - 1)) lines.push_back({i, at(i)});
  }
  // A line at cell U − 2 fills the cells before it and lets the tail write
  // that cell too: the only way it holds a value.
  if (at(upper - 2) != 0) lines.push_back({upper - 2, at(upper - 2)});
  return lines;
}

namespace {

struct Stretch {
  std::int32_t first, last;
  bool tunnel;
};

// A run of one scenery may be several stretches (joined ones are all type 3):
// a tunnel's marks stand on every 4th cell from its start, wherever nothing
// else stood, so a mark off that beat, or an empty 4th cell, starts another.
std::vector<Stretch> stretches_of_run(const std::vector<TrackCell>& cells, std::int32_t first, std::int32_t last) {
  auto kind = [&](std::int32_t i) { return cells[static_cast<std::size_t>(i)].kind; };
  auto next_mark = [&](std::int32_t from) {
    for (std::int32_t i = from; i <= last; ++i) {
      if (kind(i) == cell_kind::kTunnelMark) return i;
    }
    return std::int32_t{-1};
  };
  std::vector<Stretch> out;
  std::int32_t b = first;
  while (b <= last) {
    const std::int32_t mark = next_mark(b);
    if (mark < 0) {
      out.push_back({b, last, false});
      break;
    }
    bool tunnel = (mark - b) % 4 == 3;
    for (std::int32_t f = b + 3; f < mark && tunnel; f += 4) tunnel = kind(f) != cell_kind::kNothing;
    if (!tunnel && mark - 3 > b) {
      // Marks begin with another stretch, three cells before the first one.
      out.push_back({b, mark - 4, false});
      b = mark - 3;
      continue;
    }
    // A tunnel runs on while its 4th cells hold a mark or something placed later.
    std::int32_t f = b + 3;
    while (f <= last && kind(f) != cell_kind::kNothing) f += 4;
    if (f > last) {
      out.push_back({b, last, true});
      break;
    }
    // It ended before the empty cell f; the next stretch starts within the
    // four cells up to f, on the beat of its own first mark.
    const std::int32_t following = next_mark(f - 3);
    std::int32_t nb = f;
    if (following >= 0) nb = f - (((f - (following - 3)) % 4) + 4) % 4;
    if (nb <= b) nb = f;
    out.push_back({b, nb - 1, true});
    b = nb;
  }
  return out;
}

}  // namespace

std::vector<MountainLine> mountain_lines(const std::vector<TrackCell>& cells) {
  std::vector<MountainLine> lines;
  std::vector<std::int32_t> last_cells;
  const auto n = static_cast<std::int32_t>(cells.size());
  for (std::int32_t i = 0; i < n;) {
    const std::uint8_t type = cells[static_cast<std::size_t>(i)].scenery;
    if (type == 0) {
      ++i;
      continue;
    }
    std::int32_t run_last = i;
    while (run_last + 1 < n && cells[static_cast<std::size_t>(run_last + 1)].scenery == type) ++run_last;
    for (const Stretch& st : stretches_of_run(cells, i, run_last)) {
      // Cell `first` is nearest(start / 50); the last cell nearest(end / 50 − 1).
      MountainLine line{st.first * 50, (st.last + 1) * 50, type, st.tunnel};
      if (!lines.empty() && type != kJoinedType && line.start - lines.back().end <= kJoinedStretches) {
        // The widest gap that keeps both stretches on their cells.
        line.start = st.first * 50 + 24;
        lines.back().end = last_cells.back() * 50 + 26;
      }
      lines.push_back(line);
      last_cells.push_back(st.last);
    }
    i = run_last + 1;
  }
  return lines;
}

}  // namespace sb
