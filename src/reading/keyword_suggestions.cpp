#include "reading/keyword_suggestions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "reading/text_match.h"

namespace sb {

namespace {

struct Keyword {
  std::vector<std::string_view> words;  // every one must occur in the field
  std::string_view shown;               // how the documents write it
};

const std::vector<Keyword>& keywords_of(KeywordRegion region) {
  static const std::vector<Keyword> general = {
      {{"lunghezza", "percorso"}, "lunghezza percorso"},
      {{"progressiva", "uno"}, "progressiva chilometrica uno"},
      {{"progressiva", "due"}, "progressiva chilometrica due"},
      {{"progressiva", "tre"}, "progressiva chilometrica tre"},
      {{"sfondo", "uno"}, "sfondo uno"},
      {{"sfondo", "due"}, "sfondo due"},
      {{"sfondo", "tre"}, "sfondo tre"},
      {{"ripetizione", "segnali"}, "ripetizione segnali"},
  };
  static const std::vector<Keyword> free_region = {
      {{"pendenza"}, "pendenza"},
      {{"curva"}, "curva"},
      {{"montagna"}, "montagna"},
      {{"indicatori_v"}, "indicatori_vmax"},
      {{"cartello", "indicat"}, "cartello_indicatore"},
  };
  static const std::vector<Keyword> service = {
      {{"massa", "frenata"}, "percentuale massa frenata"},
      {{"vetture"}, "numero vetture"},
      {{"velocit"}, "velocita"},
      {{"aderenza"}, "aderenza"},
      {{"orologio"}, "orologio"},
      {{"sabbia"}, "sabbia"},
      {{"segnale"}, "segnale"},
      {{"rallentamento"}, "rallentamento"},
      {{"abbattimento"}, "abbattimento"},
      {{"stazione"}, "stazione"},
  };
  switch (region) {
    case KeywordRegion::LineGeneral: return general;
    case KeywordRegion::LineFree: return free_region;
    case KeywordRegion::Service: return service;
  }
  return service;
}

// Fewest edits (insert, delete, replace, swap of neighbours) that make
// `word` appear somewhere inside `text`, when they are at most `limit`; else
// some number above `limit`. Three rows of the table suffice.
std::size_t substring_distance(std::string_view word, std::string_view text, std::size_t limit) {
  const std::size_t n = word.size(), m = text.size();
  // Plain pointers and comparisons by hand: this runs once per letter pair
  // of every passed-over field, and in the sanitizers' build the library's
  // checked accessors and the list form of std::min are calls.
  const char* const w = word.data();
  const char* const t = text.data();
  // row i: word[0, i) against a substring of text ending at j.
  std::vector<std::size_t> rows(3 * (m + 1), 0);
  std::size_t* before = rows.data();
  std::size_t* previous = before + (m + 1);
  std::size_t* current = previous + (m + 1);
  for (std::size_t i = 1; i <= n; ++i) {
    current[0] = i;
    std::size_t least = i;
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t cost = w[i - 1] == t[j - 1] ? 0 : 1;
      std::size_t best = previous[j] + 1;
      if (current[j - 1] + 1 < best) best = current[j - 1] + 1;
      if (previous[j - 1] + cost < best) best = previous[j - 1] + cost;
      if (i > 1 && j > 1 && w[i - 1] == t[j - 2] && w[i - 2] == t[j - 1] && before[j - 2] + 1 < best) {
        best = before[j - 2] + 1;
      }
      current[j] = best;
      if (best < least) least = best;
    }
    // No row's least value is below the one before it, and the last row's
    // least is the answer: past the limit here means past it at the end.
    if (least > limit) return least;
    std::swap(before, previous);
    std::swap(previous, current);
  }
  std::size_t best = n;
  for (std::size_t j = 0; j <= m; ++j) best = std::min(best, previous[j]);
  return best;
}

std::size_t tolerance(std::string_view word) { return word.size() <= 6 ? 1 : 2; }

// How often each byte occurs in a text.
using ByteCounts = std::array<std::uint16_t, 256>;

ByteCounts count_bytes(std::string_view text) {
  ByteCounts counts{};
  for (const char c : text) ++counts[static_cast<unsigned char>(c)];
  return counts;
}

// A lower bound of substring_distance: every letter of the word that the
// text lacks costs an insertion or a replacement, each of which supplies one
// letter. Most passed-over fields are ruled out by it without the table.
std::size_t missing_letters(std::string_view word, const ByteCounts& in_text) {
  ByteCounts wanted{};
  std::size_t missing = 0;
  for (const char c : word) {
    const auto b = static_cast<unsigned char>(c);
    if (++wanted[b] > in_text[b]) ++missing;
  }
  return missing;
}

bool has_letters(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

}  // namespace

std::optional<std::string> suggest_keyword(KeywordRegion region, std::string_view field) {
  if (field.size() > 200 || !has_letters(field) || is_section_name(field)) return std::nullopt;
  const std::string text = ascii_lower(field);
  const ByteCounts in_text = count_bytes(text);
  std::optional<std::string> best;
  std::size_t best_total = 0;
  for (const Keyword& k : keywords_of(region)) {
    std::size_t total = 0;
    bool close = true;
    for (std::string_view w : k.words) {
      if (missing_letters(w, in_text) > tolerance(w)) {
        close = false;
        break;
      }
      const std::size_t d = substring_distance(w, text, tolerance(w));
      if (d > tolerance(w)) {
        close = false;
        break;
      }
      total += d;
    }
    // A field that holds every word exactly is the keyword itself, not a slip.
    if (close && total > 0 && (!best || total < best_total)) {
      best = std::string(k.shown);
      best_total = total;
    }
  }
  return best;
}

void note_passed_over(ScenarioModel& model, KeywordRegion region, std::string_view field, const SourcePlace& where) {
  if (model.diagnostics.sink == nullptr || !model.diagnostics.sink->wants_warnings()) return;
  if (auto keyword = suggest_keyword(region, field)) {
    record_warning(model,
                   "'" + std::string(field) + "' is no keyword and is passed over; did you mean '" + *keyword + "'?",
                   where);
  }
}

}  // namespace sb
