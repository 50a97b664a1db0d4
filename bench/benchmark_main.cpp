// The headless build's driver: every workload as a Google Benchmark, timed by wall clock
// in microseconds. Run with the usual Google Benchmark flags (--benchmark_filter,
// --benchmark_repetitions, --benchmark_out=FILE --benchmark_out_format=json, ...).
#include <benchmark/benchmark.h>

#include <exception>
#include <map>

#include "bench/workloads.h"

namespace {

using veneer::bench::Prepared;
using veneer::bench::Workload;

// Workloads are prepared on first use and kept: Google Benchmark calls a benchmark several
// times (to size its runs, and once per repetition), and the set-up is not what is measured.
Prepared& prepared_for(const Workload& workload) {
  static std::map<std::string, Prepared> cache;
  auto it = cache.find(workload.name);
  if (it == cache.end()) it = cache.emplace(workload.name, workload.prepare()).first;
  return it->second;
}

void run_workload(benchmark::State& state, const Workload* workload) {
  Prepared& prepared = prepared_for(*workload);
  if (!prepared.run) {
    state.SkipWithError("the workload could not be prepared");
    return;
  }
  state.SetLabel(workload->description);
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
