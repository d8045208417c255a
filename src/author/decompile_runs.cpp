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
    std::int32_t last = i;
    while (last + 1 < n && cells[static_cast<std::size_t>(last + 1)].scenery == type) ++last;
    bool tunnel = false;
    for (std::int32_t c = i + 3; c <= last; c += 4) {
      tunnel = tunnel || cells[static_cast<std::size_t>(c)].kind == cell_kind::kTunnelMark;
    }
    // Cell i is nearest(start / 50); the last cell nearest(end / 50 − 1).
    MountainLine line{i * 50, (last + 1) * 50, type, tunnel};
    if (!lines.empty() && type != kJoinedType && line.start - lines.back().end <= kJoinedStretches) {
      // The widest gap that keeps both stretches on their cells.
      line.start = i * 50 + 24;
      lines.back().end = last_cells.back() * 50 + 26;
    }
    lines.push_back(line);
    last_cells.push_back(last);
    i = last + 1;
  }
  return lines;
}

}  // namespace sb
