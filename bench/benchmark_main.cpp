// The headless build's driver: every workload as a Google Benchmark, timed by wall clock
// in microseconds. Run with the usual Google Benchmark flags (--benchmark_filter,
// --benchmark_repetitions, --benchmark_out=FILE --benchmark_out_format=json, ...).
#include <benchmark/benchmark.h>

#include <exception>
#include <map>
#include <string>

#include "bench/workloads.h"

namespace {

using veneer::bench::Prepared;
using veneer::bench::Workload;

// Workloads are prepared (and their output checked) on first use and kept: Google Benchmark
// calls a benchmark several times (to size its runs, and once per repetition), and the set-up
// is not what is measured.
struct Ready {
  Prepared prepared;
  std::string error;
};

Ready& ready_for(const Workload& workload) {
  static std::map<std::string, Ready> cache;
  auto it = cache.find(workload.name);
  if (it != cache.end()) return it->second;
  Ready ready;
  ready.error = workload.check ? workload.check() : "";
  if (!ready.error.empty())
    ready.error = "its output is not the library's: " + ready.error;
  else if (!(ready.prepared = workload.prepare()).run)
    ready.error = "the workload could not be prepared";
  return cache.emplace(workload.name, std::move(ready)).first->second;
}

void run_workload(benchmark::State& state, const Workload* workload) {
  Ready& ready = ready_for(*workload);
  if (!ready.error.empty()) {
    state.SkipWithError(ready.error.c_str());
    return;
  }
  Prepared& prepared = ready.prepared;
  state.SetLabel(workload->description);
  for (const auto& [name, value] : prepared.counters) state.counters[name] = value;
  try {
    for (auto _ : state) prepared.run();
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const Workload& w : veneer::bench::workloads()) {
    if (w.windows_only) continue;
    auto* b = benchmark::RegisterBenchmark(w.name.c_str(), run_workload, &w);
    b->Unit(benchmark::kMicrosecond);  // the reports read the wall time (real_time)
    if (w.slow) b->Iterations(1)->Repetitions(1);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
