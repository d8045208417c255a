// The data the viewer page carries: the plan at several resolutions must
// stay within each level's stated tolerance of the full plan, with every
// piece's end points exact; and the page must hold its text as data only.
#include "author/view_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "author/plan_levels.h"
#include "author/web_assets.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

using Json = nlohmann::json;

// Metres 0 .. 59999: a straight, a tight curve, an S of gentle curves, a
// gap of unset metres (a plan can have holes), a spiral that tightens.
PlanTable winding_plan() {
  PlanTable plan;
  plan.allocate(59999);
  double x = 0, y = 0, heading = 0;
  for (std::int64_t m = 0; m <= 59999; ++m) {
    if (m >= 30000 && m < 30500) continue;  // the gap
    double curvature = 0;
    if (m >= 5000 && m < 6000) curvature = 1.0 / 300;
    if (m >= 10000 && m < 20000) curvature = (m / 2500 % 2 == 0 ? 1 : -1) / 4000.0;
    if (m >= 40000) curvature = 1.0 / (8000.0 - (m - 40000) * 0.38);
    heading += curvature;
    x += std::cos(heading);
    y += std::sin(heading);
    plan.set_float(m, 0, x);
    plan.set_float(m, 1, y);
  }
  return plan;
}

double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
  const double t = len2 > 0 ? std::fmax(0.0, std::fmin(1.0, ((px - ax) * dx + (py - ay) * dy) / len2)) : 0.0;
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

TEST(ViewData, EveryLevelStaysWithinItsToleranceOfTheFullPlanAndKeepsTheEndsExact) {
  CompiledScenario s;
  s.plan = winding_plan();
  const PlanTable& plan = *s.plan;
  // Through the page's own JSON text, so the rounding it writes is checked too.
  const Json data = Json::parse(view_data(s, "test").dump());
  const Json& levels = data["plan_levels"];
  ASSERT_GE(levels.size(), 3u);
  constexpr double kRounding = 0.0005;  // interior coordinates are written to the millimetre
  std::size_t previous_points = SIZE_MAX;
  for (std::size_t k = 0; k < levels.size(); ++k) {
    const double tolerance = levels[k]["tolerance"].get<double>();
    EXPECT_DOUBLE_EQ(tolerance, kFinestTolerance * std::pow(kToleranceStep, static_cast<double>(k)));
    const Json& pieces = levels[k]["pieces"];
    ASSERT_EQ(pieces.size(), 2u) << "level " << k << ": the gap splits the plan in two";
    const std::int64_t piece_ends[2][2] = {{0, 29999}, {30500, 59999}};
    std::size_t points = 0;
    for (std::size_t p = 0; p < 2; ++p) {
      const Json& flat = pieces[p];
      const std::size_t n = flat.size() / 3;
      points += n;
      ASSERT_GE(n, 2u);
      // The ends: the piece's first and last metre, bit for bit.
      for (std::size_t i : {std::size_t{0}, n - 1}) {
        const auto m = flat[3 * i].get<std::int64_t>();
        EXPECT_EQ(m, piece_ends[p][i == 0 ? 0 : 1]) << "level " << k;
        EXPECT_EQ(flat[3 * i + 1].get<double>(), plan.column(0)[m]) << "level " << k << " metre " << m;
        EXPECT_EQ(flat[3 * i + 2].get<double>(), plan.column(1)[m]) << "level " << k << " metre " << m;
      }
      // Kept points lie on the plan; every metre of the plan lies within
      // the tolerance of the segment between the kept points around it.
      double worst = 0;
      for (std::size_t i = 0; i + 1 < n; ++i) {
        const auto a = flat[3 * i].get<std::int64_t>(), b = flat[3 * i + 3].get<std::int64_t>();
        ASSERT_LT(a, b) << "level " << k << ": metres increase";
        const double ax = flat[3 * i + 1], ay = flat[3 * i + 2], bx = flat[3 * i + 4], by = flat[3 * i + 5];
        EXPECT_LE(std::hypot(ax - plan.column(0)[a], ay - plan.column(1)[a]), kRounding * 1.5);
        for (std::int64_t m = a; m <= b; ++m) {
          worst = std::fmax(worst, segment_distance(plan.column(0)[m], plan.column(1)[m], ax, ay, bx, by));
        }
      }
      EXPECT_LE(worst, tolerance + 2 * kRounding) << "level " << k << " piece " << p;
    }
    EXPECT_LT(points, previous_points) << "level " << k << " is coarser than the one before";
    previous_points = points;
  }
  EXPECT_LE(previous_points, kCoarsestPoints);
  // The finest level is close to full detail yet far smaller than a point per metre.
  EXPECT_LT(levels[0]["pieces"][0].size() / 3, 10000u);
}

TEST(ViewData, AStraightKeepsItsEndsAndAPlanWithoutPointsHasNoLevel) {
  PlanTable straight;
  straight.allocate(999);
  for (std::int64_t m = 0; m <= 999; ++m) {
    straight.set_float(m, 0, 0.5 * static_cast<double>(m));
    straight.set_float(m, 1, 2.0);
  }
  const auto levels = plan_levels(straight);
  ASSERT_EQ(levels.size(), 1u);
  ASSERT_EQ(levels[0].pieces.size(), 1u);
  ASSERT_EQ(levels[0].pieces[0].size(), 2u);
  EXPECT_EQ(levels[0].pieces[0][1].metre, 999);

  PlanTable empty;
  empty.allocate(99);
  EXPECT_TRUE(plan_levels(empty).empty());
  EXPECT_TRUE(plan_levels(PlanTable{}).empty());
}

TEST(ViewPage, HoldsHostileTextAsDataAndShowsItAsUtf8) {
  CompiledScenario s;
  DecodedHeader h;
  h.records = kHeaderEntries;
  h.entries[1].name = "</script><script>alert(1)</script> Citt\xE0";  // cp1252 à
  h.entries[1].kind = 2;
  h.entries[80].name = "<!-- \x80 -->";
  s.header = h;
  s.track = std::vector<TrackCell>(40);
  const std::string page = view_page(s, "A & <B>");
  // Only the page's own two script elements close.
  std::size_t closes = 0;
  for (auto at = page.find("</script"); at != std::string::npos; at = page.find("</script", at + 1)) ++closes;
  EXPECT_EQ(closes, 2u);
  EXPECT_EQ(page.find("<!-- "), std::string::npos);
  EXPECT_NE(page.find("<title>A &amp; &lt;B&gt; - scenario view</title>"), std::string::npos);
  const std::string open = "<script type=\"application/json\" id=\"scenario-data\">";
  const auto from = page.find(open) + open.size();
  const Json data = Json::parse(page.substr(from, page.find("</script>", from) - from));
  EXPECT_EQ(data["scenario"]["stations"][0]["name"], "</script><script>alert(1)</script> Citt\xC3\xA0");
  EXPECT_EQ(data["scenario"]["boards"][0]["text"], "<!-- \xE2\x82\xAC -->");
  EXPECT_EQ(data["title"], "A & <B>");
  EXPECT_TRUE(data["plan_levels"].empty());
  // Nothing the page loads from anywhere: no external reference at all.
  for (const char* ref : {"src=", "href=", "http:", "https:", "url(", "@import"}) {
    EXPECT_EQ(page.find(ref), std::string::npos) << ref;
  }
}

TEST(ViewPage, EmbedsTheWebFilesByteForByte) {
  const std::string dir = SB_WEB_DIR;
  EXPECT_EQ(view_template(), testing::read_file(dir + "/view.html"));
  EXPECT_EQ(view_script(), testing::read_file(dir + "/view.js"));
  EXPECT_EQ(view_style(), testing::read_file(dir + "/view.css"));
  // The script goes inline: nothing in it may end its element early.
  EXPECT_EQ(view_script().find("</script"), std::string_view::npos);
  EXPECT_EQ(view_style().find("</style"), std::string_view::npos);
}

}  // namespace
}  // namespace sb
