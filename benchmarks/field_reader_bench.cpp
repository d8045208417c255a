// Throughput of the field reader, in bytes of description per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_inputs.h"
#include "model/memory_files.h"
#include "reading/field_reader.h"

namespace {

// Signal entries: one text field and eleven integer fields per line.
void FieldReaderSignalEntries(benchmark::State& state) {
  const std::string text = sb::bench::signal_lines(20000);
  for (auto _ : state) {
    sb::FieldReader reader(std::make_unique<sb::StringSource>(text), "signals");
    std::int64_t sum = 0;
    while (!reader.at_end()) {
      benchmark::DoNotOptimize(reader.read_text());
      for (int i = 0; i < 11; ++i) sum += reader.read_int();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(FieldReaderSignalEntries)->Unit(benchmark::kMillisecond);

// The same bytes taken as text fields only, as the readers pass over
// unrecognised fields.
void FieldReaderTextFields(benchmark::State& state) {
  const std::string text = sb::bench::curve_dense_line_description(sb::bench::kLongestRoute);
  for (auto _ : state) {
    sb::FieldReader reader(std::make_unique<sb::StringSource>(text), "line");
    std::size_t n = 0;
    while (!reader.at_end()) n += reader.read_text().size();
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(FieldReaderTextFields)->Unit(benchmark::kMillisecond);

}  // namespace
