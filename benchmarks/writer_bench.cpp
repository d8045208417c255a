// Serialisation speed of the compiled files into a sink that keeps nothing,
// in bytes per second: what the program spends beyond the write itself.
#include <benchmark/benchmark.h>

#include "bench_inputs.h"
#include "compile/compiled_files.h"
#include "model/byte_writer.h"

namespace {

class CountingSink : public sb::OutputSink {
 public:
  void write_at(std::uint64_t, const char*, std::size_t n) override { bytes += n; }
  std::size_t bytes = 0;
};

void ProfileFileSerialisation(benchmark::State& state) {
  const sb::ScenarioModel& model = sb::bench::longest_route_model();
  std::size_t bytes = 0;
  for (auto _ : state) {
    CountingSink sink;
    sb::write_profile(sink, model.ProfileTable);
    bytes = sink.bytes;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(ProfileFileSerialisation)->Unit(benchmark::kMillisecond);

void TrackFileSerialisation(benchmark::State& state) {
  const sb::ScenarioModel& model = sb::bench::longest_route_model();
  std::size_t bytes = 0;
  for (auto _ : state) {
    CountingSink sink;
    sb::ByteWriter out(sink);
    sb::write_track(out, model);
    out.flush();
    bytes = sink.bytes;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(TrackFileSerialisation)->Unit(benchmark::kMicrosecond);

}  // namespace
