// The Windows build's driver: the same workloads as the headless build's Google Benchmark
// program, timed by the timing loop, with the same flags and the same JSON.
#include <cstdio>
#include <exception>
#include <fstream>
#include <regex>

#include "bench/timing.h"
#include "bench/workloads.h"

int main(int argc, char** argv) {
  using namespace veneer::bench;
  TimingOptions options;
  std::string error;
  if (!parse_timing_options(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::regex filter;
  try {
    filter = std::regex(options.filter.empty() ? "." : options.filter);
  } catch (const std::regex_error&) {
    std::fprintf(stderr, "bad filter: %s\n", options.filter.c_str());
    return 1;
  }

  std::vector<Measurement> results;
  std::printf("%-28s %14s %12s\n", "workload", "median (us)", "iterations");
  for (const Workload& w : workloads()) {
    if (!std::regex_search(w.name, filter)) continue;
    if (options.list_only) {
      std::printf("%s\n", w.name.c_str());
      continue;
    }
    const std::string mismatch = w.check ? w.check() : "";
    Prepared prepared = mismatch.empty() ? w.prepare() : Prepared{};
    Measurement m;
    if (!mismatch.empty()) {
      m.name = w.name;
      m.error = "its output is not the library's: " + mismatch;
    } else if (prepared.run) {
      TimingOptions own = options;
      if (w.slow) own.repetitions = 1;
      m = measure(w.name, prepared.run, own, w.slow);
    } else {
      m.name = w.name;
      m.error = "the workload could not be prepared";
    }
    m.label = w.description;
    if (m.error.empty())
      std::printf("%-28s %14.1f %12lld\n", m.name.c_str(), median(m.per_op_us), static_cast<long long>(m.iterations));
    else
      std::printf("%-28s ERROR: %s\n", m.name.c_str(), m.error.c_str());
    std::fflush(stdout);
    results.push_back(std::move(m));
  }
  if (!options.out.empty()) {
    std::ofstream file(options.out, std::ios::binary);
    file << benchmark_json(results, argc > 0 ? argv[0] : "");
    if (!file) {
      std::fprintf(stderr, "cannot write %s\n", options.out.c_str());
      return 1;
    }
  }
  return 0;
}
