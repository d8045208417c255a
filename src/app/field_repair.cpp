#include "app/field_repair.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "reading/text_match.h"

namespace sb {

namespace {

// The tables below run once per letter pair of every repair offered; they
// read through plain pointers and take the least of three by hand, so that
// the sanitizers' build (where the library's checked accessors and the
// list form of std::min are calls) is not slowed by them.
std::size_t least_of(std::size_t a, std::size_t b, std::size_t c) {
  const std::size_t ab = a < b ? a : b;
  return ab < c ? ab : c;
}

std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> table(b.size() + 1);
  std::size_t* const row = table.data();
  const char* const bs = b.data();
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (const char letter : a) {
    std::size_t diagonal = row[0];
    ++row[0];
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = least_of(row[j] + 1, row[j - 1] + 1, diagonal + (letter == bs[j - 1] ? 0 : 1));
      diagonal = up;
    }
  }
  return row[b.size()];
}

// Fewest edits that make `keyword` of some piece of `text`, of any length:
// no piece the repair may choose is nearer.
std::size_t nearest_piece(std::string_view text, std::string_view keyword) {
  // column[i]: keyword[0, i) against the nearest piece ending where `text`
  // has been read to.
  std::vector<std::size_t> table(keyword.size() + 1);
  std::size_t* const column = table.data();
  const char* const ks = keyword.data();
  for (std::size_t i = 0; i <= keyword.size(); ++i) column[i] = i;
  std::size_t best = keyword.size();
  for (const char letter : text) {
    std::size_t diagonal = column[0];
    column[0] = 0;
    for (std::size_t i = 1; i <= keyword.size(); ++i) {
      const std::size_t up = column[i];
      column[i] = least_of(column[i] + 1, column[i - 1] + 1, diagonal + (letter == ks[i - 1] ? 0 : 1));
      diagonal = up;
    }
    if (column[keyword.size()] < best) best = column[keyword.size()];
  }
  return best;
}

// The first piece of `lowered`, by start and then by length (3 letters
// shorter to 3 longer than `keyword`), whose distance from `keyword` is at
// most `target`. The pieces from one start are measured together, one table
// row per letter; a row's least value never falls as the piece grows and
// bounds every distance after it, so a start is left once it passes `target`.
std::optional<std::pair<std::size_t, std::size_t>> first_piece_within(std::string_view lowered,
                                                                      std::string_view keyword, std::size_t target) {
  const std::size_t k = keyword.size();
  const std::size_t shortest = k > 3 ? k - 3 : 1;
  std::vector<std::size_t> table(k + 1);
  std::size_t* const row = table.data();
  const char* const ks = keyword.data();
  const char* const text = lowered.data();
  for (std::size_t start = 0; start < lowered.size(); ++start) {
    for (std::size_t j = 0; j <= k; ++j) row[j] = j;
    for (std::size_t length = 1; length <= k + 3 && start + length <= lowered.size(); ++length) {
      std::size_t diagonal = row[0];
      row[0] = length;
      std::size_t least = row[0];
      const char letter = text[start + length - 1];
      for (std::size_t j = 1; j <= k; ++j) {
        const std::size_t up = row[j];
        row[j] = least_of(row[j] + 1, row[j - 1] + 1, diagonal + (letter == ks[j - 1] ? 0 : 1));
        if (row[j] < least) least = row[j];
        diagonal = up;
      }
      if (least > target) break;
      if (length >= shortest && row[k] <= target) return std::make_pair(start, length);
    }
  }
  return std::nullopt;
}

}  // namespace

std::string repaired_field(std::string_view field, std::string_view keyword) {
  if (field.size() > 200) return std::string(keyword);
  const std::string lowered = ascii_lower(field);
  // The distances tried rise from one no piece can beat, so the first piece
  // found is a nearest one; most fields need one pass.
  const std::size_t whole = edit_distance(lowered, keyword);
  for (std::size_t target = nearest_piece(lowered, keyword); target < whole; ++target) {
    if (const auto piece = first_piece_within(lowered, keyword, target)) {
      std::string out(field);
      out.replace(piece->first, piece->second, keyword);
      return out;
    }
  }
  return std::string(keyword);
}

}  // namespace sb
