// Cost of the plan, in time per metre of a 1,000,000 m route: the
// integration alone (done while the profile file is written), and the whole
// line reader on a curve-dense description (which only records the runs).
#include <benchmark/benchmark.h>

#include "bench_inputs.h"
#include "model/file_names.h"
#include "model/memory_files.h"
#include "model/scenario_model.h"
#include "reading/memorizza_dati.h"
#include "reading/plan.h"

namespace {

constexpr std::int32_t kExtended = sb::bench::kLongestRoute + 7000;

void report_per_metre(benchmark::State& state, std::int64_t metres) {
  // Seconds of CPU per metre, shown with its SI prefix (n = nanoseconds).
  state.counters["per_metre"] = benchmark::Counter(static_cast<double>(state.iterations() * metres),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Integrates a plan of one run, as the profile writer does, keeping only the
// last point.
void integrate(benchmark::State& state, const sb::TrackPlan& plan) {
  for (auto _ : state) {
    double x = 0.0, y = 0.0;
    plan.integrate([&](double px, double py) {
      x = px;
      y = py;
    });
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
  report_per_metre(state, plan.next_metre() - 2);
}

void PlanStraight(benchmark::State& state) {
  sb::TrackPlan plan;
  plan.allocate(kExtended);
  sb::plan_start(plan);
  std::int32_t metre = 2;
  sb::run_straight_tail(plan, metre, kExtended - 2);
  integrate(state, plan);
}
BENCHMARK(PlanStraight)->Unit(benchmark::kMillisecond);

void PlanCurved(benchmark::State& state) {
  sb::TrackPlan plan;
  plan.allocate(kExtended);
  sb::plan_start(plan);
  std::int32_t metre = 2;
  sb::run_curved(plan, metre, 999000, 0.0001);
  integrate(state, plan);
}
BENCHMARK(PlanCurved)->Unit(benchmark::kMillisecond);

// The line reader from the first field to the plan's tail, per metre of plan.
void LineReaderCurveDense(benchmark::State& state) {
  const std::string text = sb::bench::curve_dense_line_description(sb::bench::kLongestRoute);
  for (auto _ : state) {
    state.PauseTiming();
    sb::MemoryFiles files;
    auto model = std::make_unique<sb::ScenarioModel>();
    model->RouteName = "BENCH";
    model->TrainCode = "TR1";
    model->ProfileWanted = 1;
    files.files[sb::line_description_name(model->RouteName)] = text;
    state.ResumeTiming();
    sb::ReadingContext context{*model, files};
    benchmark::DoNotOptimize(sb::read_line_description(context));
    if (model->ErrorCode != 0) state.SkipWithError("the line description did not read cleanly");
  }
  report_per_metre(state, kExtended + 1);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(LineReaderCurveDense)->Unit(benchmark::kMillisecond);

}  // namespace
