// The workloads of the benchmark, one list shared by both drivers: Google Benchmark in the
// headless build and the timing loop in the Windows build. Each workload prepares its
// objects once, outside the timed region, and then repeats one operation.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace veneer::bench {

// A prepared workload: `run` performs one timed operation; `state` owns the objects it
// works on and releases them when the last copy goes.
struct Prepared {
  std::function<void()> run;
  std::shared_ptr<void> state;
};

struct Workload {
  std::string name;                   // stable identifier used in the reports
  std::string description;            // what one operation is
  bool windows_only = false;          // needs a Win32 call the headless platform does not offer
  bool slow = false;                  // seconds per operation: one operation per sample
  std::function<Prepared()> prepare;  // `run` is empty when preparation failed
};

const std::vector<Workload>& workloads();

// Keeps the compiler from dropping work whose result is not otherwise used.
inline void keep(const void* p) { asm volatile("" : : "r"(p) : "memory"); }

}  // namespace veneer::bench
