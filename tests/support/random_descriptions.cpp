#include "support/random_descriptions.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace sb::testing {

namespace {

// splitmix64: the same sequence everywhere, unlike the standard distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // lo .. hi inclusive
  std::int64_t in(std::int64_t lo, std::int64_t hi) {
    if (hi < lo) return lo;
    return lo + static_cast<std::int64_t>(next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool chance(int percent) { return in(1, 100) <= percent; }
  template <typename T>
  const T& pick(const std::vector<T>& v) {
    return v[static_cast<std::size_t>(in(0, static_cast<std::int64_t>(v.size()) - 1))];
  }

 private:
  std::uint64_t state_;
};

std::string n(std::int64_t v) { return std::to_string(v); }

std::int64_t nearest(double x) { return static_cast<std::int64_t>(std::nearbyint(x)); }

struct Track {
  std::int64_t length;
  std::int64_t upper;
  std::set<std::int64_t> taken;  // cells with an object
  std::set<std::int64_t> quiet;  // cells kept free around slowdowns

  bool free(std::int64_t c, bool allow_quiet) const {
    return c >= 2 && c <= upper - 3 && taken.count(c) == 0 && (allow_quiet || quiet.count(c) == 0);
  }
  // A position whose point cell (nearest(p / 50 + 1)) is c, not always a
  // multiple of 50.
  std::int64_t point_in(std::int64_t c, Random& r) const {
    return std::max<std::int64_t>(0, (c - 1) * 50 + r.in(-20, 20));
  }
  std::int64_t random_cell(Random& r, bool allow_quiet) const {
    for (int tries = 0; tries < 50; ++tries) {
      const std::int64_t c = r.in(2, upper - 3);
      if (free(c, allow_quiet)) return c;
    }
    return -1;
  }
};

void line(std::string& to, const std::string& text) { to += text + "\r\n"; }

const std::vector<std::string> kNames = {"ORSEA", "VALLE ROSSA", "S. MARCO", "PIANO", "CERRO ALTO", "BORGO"};
const std::vector<std::string> kBoards = {"(Galleria)(Monte)", "(GALLERIA  )(LUNGA )", "(Valle)",
                                          "(Galleria   )(Sasso)(900 mt.  )", "(Ponte)"};

void stations(Track& t, Random& r, std::string& s) {
  line(s, "[stazioni]");
  const std::vector<int> kinds = {2, 4, 5, 6, 7, 8, 12, 22, 24, 26, 28};
  std::int64_t previous_end = -100000;
  std::int64_t p = r.in(0, 20) * 50;
  const int count = static_cast<int>(r.in(0, 6));
  for (int i = 0; i < count; ++i) {
    const int kind = r.pick(kinds);
    const std::int64_t length = r.in(2, 12) * 100;
    const int flag3 = r.chance(30) ? 1 : 0;
    std::int64_t start = 0, end = 0;
    if (kind == 5 || kind == 6) {
      start = p - length;
      end = p + 150;
    } else if (kind == 7 || kind == 8) {
      start = p - length;
      end = p + length;
    } else {
      start = p - length / 2;
      end = p + length / 2 + (flag3 != 0 ? 50 : 0);
    }
    if (start - 350 < previous_end) {
      p += length + 400 - p % 50;
      p -= p % 50;
      --i;
      continue;
    }
    if (end / 50 - 1 <= 1 || (p + 800) / 50 > t.upper || nearest(end / 50.0 - 1) > t.upper - 3) break;
    if (kind < 25) t.taken.insert(nearest(end / 50.0 - 1));
    previous_end = end;
    line(s, "stazione, " + n(p) + ", " + n(kind) + ", " + n(length) + ", " + n(r.in(0, 1)) + ", " + n(r.in(0, 1)) +
                ", " + n(flag3) + ", " + n(r.in(0, 4)) + "," + n(r.in(0, 2)) + "," + n(r.in(0, 1)) + ", " +
                n(r.in(0, 4)) + "," + n(r.in(0, 1)) + "," + n(r.in(0, 1)) + ", " +
                n(r.pick(std::vector<int>{0, 1, 40, 120})) + ", " + n(r.in(5, 22)) + "," + n(r.in(0, 59)) + ", " +
                n(r.in(0, 59)) + ", " + r.pick(kNames));
    p = end + 350 + r.in(0, 60) * 50 + length / 2;
    p -= p % 50;
  }
}

// Slowdowns first, with the cells completion needs kept quiet.
std::string slowdowns(Track& t, Random& r) {
  std::string s;
  line(s, "[rallentamenti]");
  const int count = static_cast<int>(r.in(0, 3));
  for (int i = 0; i < count; ++i) {
    const std::int64_t x = r.in(20, t.length / 50) * 50;
    const std::int64_t l = r.in(0, 30) * 50;
    const std::int64_t start = x / 50 + 1, end = (x + l) / 50 + 1, warning = start - 24;
    const bool warned = x > 1500;
    const bool countdown = warned && r.chance(60);
    std::vector<std::int64_t> cells{start, end};
    if (warned) cells.push_back(warning);
    if (countdown) {
      for (int k = 1; k <= 4; ++k) cells.push_back(warning - k);
    }
    bool ok = end + 14 <= t.upper - 3;
    for (std::int64_t c : cells) ok = ok && t.free(c, false);
    for (std::int64_t c = start - 21; c <= end + 13 && ok; ++c) ok = t.taken.count(c) == 0 && t.quiet.count(c) == 0;
    if (!ok) continue;
    for (std::int64_t c = start - 21; c <= end + 13; ++c) t.quiet.insert(c);
    for (std::int64_t c : cells) t.taken.insert(c);
    const std::int64_t v = r.chance(50) ? r.in(3, 21) * 5 : r.in(22, 30) * 5;
    line(s, "rallentamento, " + n(x) + ", " + n(v) + ", " + n(l) + ", " + n(r.in(0, 3)) + ", " + n(countdown ? 1 : 0) +
                ", " + n(r.chance(50) ? r.in(1, 9) : 0));
  }
  return s;
}

}  // namespace

RandomDescriptions random_descriptions(std::uint64_t seed, std::int64_t longest) {
  Random r(seed * 7919 + 17);
  Track t;
  t.length = r.chance(10) ? r.in(0, 3000) : r.in(3000, std::max<std::int64_t>(3000, longest));
  t.upper = nearest((t.length + 7000) / 50.0);
  RandomDescriptions d;
  std::string& ln = d.line;
  std::string& sv = d.service;

  // Service header and stations first: their end markers claim cells.
  line(sv, "[generale]");
  line(sv, "numero vetture, " + n(r.in(1, 14)));
  line(sv, "percentuale massa frenata, " + n(r.in(60, 160)));
  line(sv, "sabbia, " + n(r.in(0, 500)));
  line(sv, "orologio, " + n(r.in(0, 23)) + " " + n(r.in(0, 59)) + " " + n(r.in(0, 59)));
  line(sv, "[aderenze]");
  for (std::int64_t p = 0; p < t.length; p += r.in(500, 9000)) line(sv, "aderenza, " + n(p) + ", " + n(r.in(60, 110)));
  line(sv, "[vel_limite]");
  for (std::int64_t p = 0; p < t.length; p += r.in(300, 8000)) line(sv, "velocita, " + n(p) + ", " + n(r.in(30, 200)));
  stations(t, r, sv);
  sv += slowdowns(t, r);

  line(ln, "[generale]");
  line(ln, "lunghezza percorso, " + n(t.length));
  const std::int64_t m1 = r.in(0, t.length / 50) * 50, m2 = r.chance(50) ? r.in(0, t.length / 50) * 50 : 0;
  line(ln, "progressiva chilometrica uno, " + n(m1) + ", " + n(r.in(0, 100) * 50) + ", " + n(r.in(0, 1)));
  line(ln, "progressiva chilometrica due, " + n(m2) + ", " + n(r.in(0, 100) * 50) + ", " + n(r.in(0, 1)));
  line(ln, "progressiva chilometrica tre, 0, 0, 0");
  line(ln, "sfondo uno, " + n(r.in(0, 5)));
  line(ln, "sfondo due, " + n(r.in(0, t.length)));
  line(ln, "sfondo tre, " + n(r.in(0, t.length)));
  const std::int64_t rep_end = r.chance(70) ? r.in(0, t.length / 50) * 50 : 0;
  line(ln, std::string("ripetizione segnali ") + (r.chance(50) ? "4" : "9") + " codici, " + n(r.in(0, 20) * 50) + ", " +
               n(rep_end));

  line(ln, "[curve]");
  for (std::int64_t cursor = r.in(0, 800); cursor < t.length - 2000;) {
    const std::int64_t s = cursor + r.in(r.chance(10) ? -100 : 0, 1500);
    const std::int64_t l = r.in(1, 900);
    line(ln, std::string("curva") + (r.chance(50) ? "s" : "d") + n(r.in(1, 6)) + ", " +
                 n(std::max<std::int64_t>(s, 0)) + ", " + n(l));
    cursor = std::max(cursor, s + l);
  }

  line(ln, "[pendenze]");
  for (std::int64_t p = 0; p < t.length; p += r.chance(5) ? 0 : r.in(30, 4000)) {
    line(ln, "pendenza, " + n(p) + ", " + n(r.in(-25, 25)));
    if (r.chance(3)) break;
  }

  line(ln, "[montagne]");
  for (std::int64_t cursor = r.in(0, 3000); cursor < t.length;) {
    const std::int64_t start = cursor + r.in(0, 900);
    const std::int64_t end = start + r.in(20, 3000);
    if (nearest(end / 50.0 - 1) > t.upper - 3) break;
    line(ln, "montagna, " + n(start) + ", " + n(end) + ", " + n(r.pick(std::vector<int>{1, 2, 3, 4, 11, 12, 13, 15})));
    cursor = end;
  }

  line(ln, "[cartelli]");
  for (int i = static_cast<int>(r.in(0, 6)); i > 0; --i) {
    const std::int64_t c = t.random_cell(r, false);
    if (c < 0) continue;
    t.taken.insert(c);
    const bool second = r.chance(30);
    auto speed = [&] { return n(r.chance(80) ? r.in(6, 40) * 5 : r.in(30, 200)); };
    auto side = [&] { return second ? speed() : std::string(""); };
    line(ln, "indicatori_vmax, " + n(t.point_in(c, r)) + ", " + speed() + ", " + speed() + ", " + speed() + ", " +
                 n(r.in(0, 3)) + ", " + side() + ", " + side() + ", " + side() + ", " + n(second ? r.in(0, 3) : 0));
  }
  line(ln, "[indicazioni]");
  for (int i = static_cast<int>(r.in(0, 5)); i > 0; --i) {
    const std::int64_t c = t.random_cell(r, false);
    if (c < 0) continue;
    t.taken.insert(c);
    line(ln, "cartello_indicatore, " + n(t.point_in(c, r)) + ", " + r.pick(kBoards));
  }
  line(ln, "[fine]");

  // Signals, some close to the slowdowns' markers; then markers of authors.
  line(sv, "[segnali]");
  std::vector<std::pair<std::int64_t, std::string>> signals;
  for (int i = static_cast<int>(r.in(0, 25)); i > 0; --i) {
    const std::int64_t c = t.random_cell(r, r.chance(25));
    if (c < 0) continue;
    t.taken.insert(c);
    const std::int64_t sx = r.in(1, 2), dx = r.in(0, 3);
    signals.emplace_back(c, "segnale, " + n(t.point_in(c, r)) + ", " + n(sx) + ", " + n(r.in(0, 9)) + ", " +
                                n(r.in(0, 9)) + ", " + n(r.in(0, 9)) + ", " + n(r.in(0, 2)) + ", " + n(dx) + ", " +
                                n(r.in(0, 9)) + "," + n(r.in(0, 9)) + "," + n(r.in(0, 9)) + ", " +
                                n(r.pick(std::vector<int>{0, 0, 40, 150, 215, 300})));
  }
  std::sort(signals.begin(), signals.end());
  for (const auto& [cell, text] : signals) line(sv, text);
  line(sv, "[codici]");
  for (int i = static_cast<int>(r.in(0, 4)); i > 0; --i) {
    const std::int64_t c = t.random_cell(r, r.chance(30));
    if (c < 0) continue;
    t.taken.insert(c);
    line(sv,
         "abbattimento, " + n(c * 50 + r.in(-20, 20)) + ", " + n(r.pick(std::vector<int>{0, -3, 90, 180, 200, 250})));
  }
  line(sv, "[fine]");
  return d;
}

}  // namespace sb::testing
