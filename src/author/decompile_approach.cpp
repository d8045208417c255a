#include "author/decompile_approach.h"

#include <algorithm>
#include <cstdlib>

#include "model/cell_kinds.h"
#include "model/numeric.h"

namespace sb {

std::vector<std::int64_t> approach_codes(const std::vector<TrackCell>& cells) {
  std::vector<std::int64_t> codes(cells.size(), 0);
  std::vector<char> claimed(cells.size(), 0);
  for (std::size_t i = cells.size(); i-- > 1;) {
    if (cells[i].kind != cell_kind::kSignal) continue;
    const std::int16_t value4 = cells[i].value4;
    // The signal's own marks: cells 2k before it that no later signal took.
    int marks = 0;
    int mark_k[4];
    std::uint8_t mark[4];
    for (int k = 1; k <= 4; ++k) {
      const std::int64_t at = static_cast<std::int64_t>(i) - 2 * k;
      if (at < 0 || claimed[static_cast<std::size_t>(at)]) continue;
      mark_k[marks] = k;
      mark[marks++] = cells[static_cast<std::size_t>(at)].approach;
    }
    std::int64_t best = 0;
    int best_matches = -1;
    std::int64_t best_distance = 0;
    // The codes that leave value4 a whole number of tens, lowest first.
    for (std::int64_t c = -1300 + ((value4 + 1300) % 10 + 10) % 10; c <= 1300; c += 10) {
      int matches = 0;
      for (int j = 0; j < marks; ++j) {
        if (mark[j] == low8(c * 10 + mark_k[j])) ++matches;
      }
      const std::int64_t distance = c >= 1 && c <= 9 ? 0 : std::min(std::abs(c - 1), std::abs(c - 9));
      if (matches > best_matches || (matches == best_matches && distance < best_distance)) {
        best = c;
        best_matches = matches;
        best_distance = distance;
      }
    }
    codes[i] = best;
    for (int k = 1; k <= 4; ++k) {
      const std::int64_t at = static_cast<std::int64_t>(i) - 2 * k;
      if (at >= 0) claimed[static_cast<std::size_t>(at)] = 1;
    }
  }
  return codes;
}

}  // namespace sb
