// The Windows build's timing loop: what Google Benchmark does for the headless build,
// reduced to what the report needs. Each repetition times a batch of operations sized so
// that the batch lasts at least the minimum time; the result of a repetition is the batch's
// wall time divided by its size. Its output is Google Benchmark's JSON, so that one report
// reads both.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace veneer::bench {

struct TimingOptions {
  std::string filter;  // regular expression searched in the workload's name; empty: all
  int repetitions = 1;
  double min_time = 0.5;  // seconds per repetition
  std::string out;        // JSON file; empty: none
  bool list_only = false;
};

// Parses Google Benchmark's flags of the same names (--benchmark_filter=..., ...). On an
// unknown or malformed flag returns false with a message in `error`.
bool parse_timing_options(const std::vector<std::string>& args, TimingOptions& options, std::string& error);

// The timed runs of one workload: microseconds per operation, one per repetition.
struct Measurement {
  std::string name;
  std::string label;              // what one operation is
  std::int64_t iterations = 0;    // operations per repetition
  std::vector<double> per_op_us;  // one per repetition
  std::string error;              // non-empty when the workload failed
};

// Times `operation` as described above; a `single` workload runs one operation per
// repetition, without sizing. An exception from the operation ends the measurement with its
// message in `error`.
Measurement measure(const std::string& name, const std::function<void()>& operation, const TimingOptions& options,
                    bool single);

// The median (the mean of the two middle values for an even count); 0 for none.
double median(std::vector<double> values);

// Google Benchmark's JSON for the measurements (one entry per repetition, then the mean,
// median and standard deviation when there are several).
std::string benchmark_json(const std::vector<Measurement>& measurements, const std::string& executable);

}  // namespace veneer::bench
