#include "model/large_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/large_table_advice.h"
#include "model/profile_table.h"

namespace sb {
namespace {

struct Advised {
  void* begin;
  std::size_t bytes;
};
std::vector<Advised> g_advised;

void record(void* begin, std::size_t bytes) { g_advised.push_back({begin, bytes}); }

// Leaves no advice installed for the tests that follow.
struct AdviceGuard {
  ~AdviceGuard() { set_large_table_advice(nullptr); }
};

TEST(LargeTables, PlanColumnsAreAdvisedWhereTheyLie) {
  AdviceGuard guard;
  g_advised.clear();
  set_large_table_advice(record);
  PlanTable plan;
  plan.allocate(999);
  ASSERT_EQ(g_advised.size(), 4u);
  EXPECT_EQ(g_advised[0].begin, plan.column(0).data());
  EXPECT_EQ(g_advised[0].bytes, 1000 * sizeof(double));
  EXPECT_EQ(g_advised[1].begin, plan.column(1).data());
  EXPECT_EQ(g_advised[2].begin, plan.tags(0).data());
  EXPECT_EQ(g_advised[2].bytes, 1000 * sizeof(ValueTag));
  EXPECT_EQ(g_advised[3].begin, plan.tags(1).data());
}

TEST(LargeTables, AdvisedPlanOfTheLongestRouteStartsEmpty) {
  // The platform's own advice (huge pages on Linux) must not change what the
  // table holds, also when it replaces an earlier, smaller table.
  AdviceGuard guard;
  install_large_table_advice();
  PlanTable plan;
  plan.allocate(7000);
  plan.set_float(7000, 0, 1.5);
  plan.allocate(1007000);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(plan.column(c).size(), 1007001u);
    EXPECT_TRUE(std::all_of(plan.column(c).begin(), plan.column(c).end(), [](double v) { return v == 0.0; }));
    EXPECT_TRUE(std::all_of(plan.tags(c).begin(), plan.tags(c).end(), [](ValueTag t) { return t == ValueTag::Empty; }));
  }
}

}  // namespace
}  // namespace sb
