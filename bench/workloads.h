// The workloads of the benchmark, one list shared by both drivers: Google Benchmark in the
// headless build and the timing loop in the Windows build. Each workload prepares its
// objects once, outside the timed region, and then repeats one operation.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace veneer::bench {

// A prepared workload: `run` performs one timed operation; `state` owns the objects it
// works on and releases them when the last copy goes.
struct Prepared {
  std::function<void()> run;
  std::shared_ptr<void> state;
  // Figures about the output that the report shows beside the time (a region's rectangles).
  std::vector<std::pair<std::string, double>> counters = {};
};

// A workload's objects and its operation; the operation takes the objects it works on.
template <class State>
Prepared prepared(std::shared_ptr<State> state, bool ready, void (*operation)(State&)) {
  if (!ready) return {};
  State* s = state.get();
  return Prepared{[s, operation] { operation(*s); }, std::move(state)};
}

struct Workload {
  std::string name;                   // stable identifier used in the reports
  std::string description;            // what one operation is
  bool windows_only = false;          // needs a Win32 call the headless platform does not offer
  bool slow = false;                  // seconds per operation: one operation per sample
  std::function<Prepared()> prepare;  // `run` is empty when preparation failed
  // For a workload that does a library workload's work another way (a peer library, a plain
  // loop): compares its output with the library's and returns "" when they agree as the
  // comparison requires, else what differs. The drivers time nothing that fails it.
  std::function<std::string()> check = {};
};

// The comparison workloads, appended to the list: plain loops in every build, and each peer
// library's in the native builds that found it.
void add_plain_workloads(std::vector<Workload>& list);
// One thread and two drawing the same blits into their own contexts.
void add_thread_workloads(std::vector<Workload>& list);
// The headless desktop: a screen of shaped windows captured, the demo's window painted.
void add_desktop_workloads(std::vector<Workload>& list);
void add_opencv_workloads(std::vector<Workload>& list);
void add_qt_workloads(std::vector<Workload>& list);
void add_cairo_pixman_workloads(std::vector<Workload>& list);

const std::vector<Workload>& workloads();

// Keeps the compiler from dropping work whose result is not otherwise used.
inline void keep(const void* p) { asm volatile("" : : "r"(p) : "memory"); }

}  // namespace veneer::bench
