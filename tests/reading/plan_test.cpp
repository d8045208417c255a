#include "reading/plan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/error_codes.h"
#include "model/runtime_failure.h"
#include "reading/line_fixture.h"

namespace sb {
namespace {

using testing::crlf;
using testing::general;
using testing::LineFixture;

double x_of(const ScenarioModel& m, std::int64_t metre) { return m.ProfileTable.get(metre, 0).value; }
double y_of(const ScenarioModel& m, std::int64_t metre) { return m.ProfileTable.get(metre, 1).value; }

TEST(CurveCurvature, ClassFromTheFirstDigitSideFromAnS) {
  struct Case {
    const char* keyword;
    double k;
  } cases[] = {
      {"curvas6", -0.003}, {"curvad4", 0.001}, {"curvaD4", 0.001},    {"CURVAS1", -0.0001},  {"curvad2", 0.0002},
      {"curvad3", 0.0004}, {"curvad5", 0.002}, {"curvad 6 5", 0.002}, {"curvad7 1", 0.0001},
  };
  for (const auto& c : cases) {
    const auto k = curve_curvature(c.keyword);
    ASSERT_TRUE(k.has_value()) << c.keyword;
    EXPECT_EQ(*k, c.k) << c.keyword;
  }
  EXPECT_FALSE(curve_curvature("curvad").has_value());
  EXPECT_FALSE(curve_curvature("curvad7890").has_value());
}

TEST(Plan, SingleCurveTurnsTheTrackAndRunsStraightToTheEnd) {
  LineFixture f(1);
  ASSERT_EQ(f.read(general(0) + crlf({"[curve]", "curvas6,  750,  250", "[fine]"})), LineOutcome::ReadService);
  const ScenarioModel& m = f.model;
  EXPECT_EQ(m.ProfileTable.get(0, 1).tag, ValueTag::Int16);
  EXPECT_EQ(y_of(m, 1), 1.0);
  EXPECT_EQ(m.ProfileTable.get(1, 1).tag, ValueTag::Int16);
  for (int metre : {2, 3, 400, 750}) {
    EXPECT_EQ(m.ProfileTable.get(metre, 0).tag, ValueTag::Float64);
    EXPECT_EQ(x_of(m, metre), 0.0) << metre;
    EXPECT_EQ(y_of(m, metre), metre) << metre;
  }
  // The first two curved metres by the same formula, compared bit for bit.
  const double k = -0.003;
  const double x751 = 0.0 + (0.0 + k * 1.0), y751 = 750.0 + (1.0 - k * 0.0);
  const double dx = x751 - 0.0, dy = y751 - 750.0;
  const double x752 = x751 + (dx + k * dy), y752 = y751 + (dy - k * dx);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(x_of(m, 751)), std::bit_cast<std::uint64_t>(x751));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(y_of(m, 751)), std::bit_cast<std::uint64_t>(y751));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(x_of(m, 752)), std::bit_cast<std::uint64_t>(x752));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(y_of(m, 752)), std::bit_cast<std::uint64_t>(y752));
  EXPECT_NEAR(x_of(m, 751), -0.003, 1e-15);
  EXPECT_NEAR(x_of(m, 752), -0.009, 1e-15);
  EXPECT_NEAR(y_of(m, 752), 751.999991, 1e-12);
  // The curved run ends at metre 1000, turned toward -x.
  EXPECT_NEAR(x_of(m, 1000), -89.844, 0.0005);
  EXPECT_NEAR(y_of(m, 1000), 977.201, 0.0005);
  // Straight on with the last step vector, to ExtendedLength - 2.
  const double sx = x_of(m, 1000) - x_of(m, 999), sy = y_of(m, 1000) - y_of(m, 999);
  EXPECT_NEAR(x_of(m, 6998) - x_of(m, 6997), sx, 1e-9);
  EXPECT_NEAR(y_of(m, 6998) - y_of(m, 6997), sy, 1e-9);
  EXPECT_EQ(m.ProfileTable.get(6998, 0).tag, ValueTag::Float64);
  EXPECT_EQ(m.ProfileTable.get(6999, 0).tag, ValueTag::Empty);
  EXPECT_EQ(m.ProfileTable.get(7000, 1).tag, ValueTag::Empty);
}

TEST(Plan, PositiveCurvatureTurnsTowardPlusX) {
  LineFixture f(1);
  f.read(general(0) + crlf({"curvad4, 100, 100", "[fine]"}));
  EXPECT_GT(x_of(f.model, 200), 0.0);
}

TEST(Plan, CurveBehindThePlanAddsOnlyItsRemainingMetres) {
  LineFixture both(1), first(1);
  both.read(general(0) + crlf({"curvad4, 100, 300", "curvas6, 200, 150", "[fine]"}));
  first.read(general(0) + crlf({"curvad4, 100, 300", "[fine]"}));
  // Metres up to 400 are the first curve's alone; 401 .. 350 of the second is nothing.
  EXPECT_EQ(x_of(both.model, 400), x_of(first.model, 400));
  EXPECT_EQ(x_of(both.model, 5000), x_of(first.model, 5000));
}

TEST(Plan, WithoutProfileCurvesArePassedOver) {
  LineFixture f(0);
  // "curvad" without a class digit would be error 103 if it were examined.
  EXPECT_EQ(f.read(general(0) + crlf({"curvad, 750, 250", "pendenza, 1000, 4", "[fine]"})), LineOutcome::ReadService);
  EXPECT_EQ(f.model.ErrorCode, 0);
  EXPECT_FALSE(f.model.ProfileTable.allocated());
  EXPECT_EQ(f.model.TrackArray[20].gradient, 104);
}

TEST(Plan, CurveRunningPastTheTableIsRefused) {
  struct Case {
    std::int32_t length;
    int error;
  } cases[] = {{1000, 0}, {1001, err::kPlanBeyondTable}};
  for (const auto& c : cases) {
    LineFixture f(1);  // route 0: plan metres 0 .. 7000
    const LineOutcome outcome =
        f.read(general(0) + crlf({"curvad1, 6000, " + std::to_string(c.length), "pendenza, 100, 3", "[fine]"}));
    EXPECT_EQ(f.model.ErrorCode, c.error) << c.length;
    EXPECT_EQ(outcome, c.error == 0 ? LineOutcome::ReadService : LineOutcome::Stop);
    EXPECT_EQ(f.model.ProfileTable.get(7000, 0).tag, ValueTag::Float64) << "metre 7000 is the table's last";
    EXPECT_FALSE(f.line_kept());
  }
}

TEST(Plan, PassingMetreOneMillionIsError103) {
  // The straight run and the curved run both stop once metre 1,000,000 is computed.
  const char* curves[] = {"curvad1, 999990, 20", "curvad1, 1000500, 10"};
  for (const char* curve : curves) {
    LineFixture f(1);
    EXPECT_EQ(f.read(general(1000000) + crlf({curve, "[fine]"})), LineOutcome::Stop) << curve;
    EXPECT_EQ(f.model.ErrorCode, err::kCurve) << curve;
    EXPECT_EQ(f.model.ProfileTable.get(1000000, 0).tag, ValueTag::Float64) << curve;
    EXPECT_EQ(f.model.ProfileTable.get(1000001, 0).tag, ValueTag::Empty) << curve;
  }
}

TEST(Plan, LongestRouteKeepsRunsNotPoints) {
  LineFixture f(1);
  ASSERT_EQ(f.read(general(1000000) + crlf({"curvas1, 500000, 1000", "[fine]"})), LineOutcome::ReadService);
  const TrackPlan& plan = f.model.ProfileTable;
  EXPECT_EQ(plan.last_metre(), 1007000);
  EXPECT_EQ(plan.run_count(), 3u);  // straight, curved, straight tail
  EXPECT_EQ(plan.tag(1006998), ValueTag::Float64) << "the tail has no metre limit";
  EXPECT_EQ(plan.tag(1006999), ValueTag::Empty);
}

// The plan as a table filled metre by metre: "while metre <= last: stop past
// the table; compute metre; metre += 1; stop past the limit".
struct ReferencePlan {
  std::vector<double> x, y;
  std::int64_t computed = 2;  // metres 2 .. computed - 1 are set

  explicit ReferencePlan(std::int32_t last_metre) : x(last_metre + 1), y(last_metre + 1) { y[1] = 1.0; }
  PlanRun run(std::int32_t& metre, std::int64_t last, bool limited, std::optional<double> k) {
    const std::int64_t table_last = static_cast<std::int64_t>(x.size()) - 1;
    if (metre > last) return PlanRun::Done;
    if (metre > table_last) return PlanRun::PastTable;
    while (metre <= last) {
      if (metre > table_last) return PlanRun::PastTable;
      const auto m = static_cast<std::size_t>(metre);
      const double dx = x[m - 1] - x[m - 2], dy = y[m - 1] - y[m - 2];
      x[m] = k ? x[m - 1] + (dx + *k * dy) : x[m - 1] + dx;
      y[m] = k ? y[m - 1] + (dy - *k * dx) : y[m - 1] + dy;
      computed = ++metre;
      if (limited && metre > kPlanMetreLimit) return PlanRun::PastLimit;
    }
    return PlanRun::Done;
  }
};

TEST(Plan, RunsComputeTheSameMetresAndOutcomesAsTheMetreByMetreLoop) {
  struct Step {
    std::int64_t last;
    std::optional<double> k;  // none: straight
    bool limited = true;
  };
  struct Case {
    const char* what;
    std::int32_t last_metre;
    std::vector<Step> steps;
  } cases[] = {
      {"curve, then the tail", 7000, {{750, {}}, {1000, -0.003}, {6998, {}, false}}},
      {"a curve behind the plan adds nothing", 7000, {{500, 0.001}, {300, -0.002}, {400, {}}}},
      {"a curve ending on the last metre", 7000, {{7000, 0.0004}, {7000, {}}}},
      {"a run after the plan ended on the table's last metre", 7000, {{7000, 0.0004}, {7500, {}}}},
      {"a curve past the table", 7000, {{6000, {}}, {7001, 0.0001}}},
      {"a straight run past the table", 7000, {{7500, {}}}},
      {"a curve over metre 1,000,000", 1007000, {{999990, {}}, {1000010, 0.0001}}},
      {"a curve ending on metre 1,000,000", 1007000, {{999000, 0.002}, {1000000, -0.002}}},
      {"a straight run over metre 1,000,000", 1007000, {{1000500, {}}}},
      {"the tail has no limit", 1007000, {{900000, -0.001}, {1006998, {}, false}}},
  };
  for (const Case& c : cases) {
    ReferencePlan reference(c.last_metre);
    TrackPlan plan;
    plan.allocate(c.last_metre);
    plan_start(plan);
    std::int32_t reference_metre = 2, metre = 2;
    for (const Step& step : c.steps) {
      const PlanRun expected = reference.run(reference_metre, step.last, step.limited, step.k);
      PlanRun got = PlanRun::Done;
      if (!step.limited) {
        run_straight_tail(plan, metre, step.last);
      } else {
        got = step.k ? run_curved(plan, metre, step.last, *step.k) : run_straight(plan, metre, step.last);
      }
      EXPECT_EQ(got, expected) << c.what << ", run to " << step.last;
      EXPECT_EQ(metre, reference_metre) << c.what << ", run to " << step.last;
      if (expected != PlanRun::Done) break;
    }
    EXPECT_EQ(plan.next_metre(), reference.computed) << c.what;
    std::int32_t m = 2;
    std::size_t differing = 0;
    plan.integrate([&](double x, double y) {
      const auto i = static_cast<std::size_t>(m++);
      differing += std::bit_cast<std::uint64_t>(x) != std::bit_cast<std::uint64_t>(reference.x[i]) ||
                   std::bit_cast<std::uint64_t>(y) != std::bit_cast<std::uint64_t>(reference.y[i]);
    });
    EXPECT_EQ(m, reference.computed) << c.what;
    EXPECT_EQ(differing, 0u) << c.what;
  }
}

TEST(Plan, PointsAreEmptyBeyondTheComputedMetresAndOutsideTheTable) {
  TrackPlan plan;
  EXPECT_THROW(plan.tag(0), RuntimeFailure) << "never allocated";
  plan.allocate(100);
  EXPECT_EQ(plan.tag(0), ValueTag::Empty) << "not started";
  plan.start();
  plan.extend_straight(10);
  EXPECT_EQ(plan.get(1, 1).tag, ValueTag::Int16);
  EXPECT_EQ(plan.get(10, 1).value, 10.0);
  EXPECT_EQ(plan.get(11, 1).tag, ValueTag::Empty);
  EXPECT_THROW(plan.get(101, 0), RuntimeFailure);
  EXPECT_THROW(plan.extend_curved(101, 0.001), RuntimeFailure);
  EXPECT_EQ(plan.next_metre(), 11) << "a refused run adds nothing";
  plan.extend_curved(7, 0.001);
  EXPECT_EQ(plan.next_metre(), 11) << "a run that ends behind the plan adds nothing";
  EXPECT_EQ(plan.get(10, 1).value, 10.0);
  EXPECT_EQ(plan.get(11, 1).tag, ValueTag::Empty);
}

}  // namespace
}  // namespace sb
