// Drawing on every core: the same eight 1024x1024 blits, each between a pair of memory
// contexts of its own, done by one thread and shared between two. Win32 lets threads draw into
// different contexts at once; the ratio of the two shows whether the platform does.
#include <memory>
#include <thread>
#include <vector>

#include "bench/skins.h"
#include "bench/workloads.h"

namespace veneer::bench {

namespace {

constexpr int kSide = 1024;
constexpr int kBlits = 8;

struct Pair {
  Surface source{make_dib(picture(kSide, kSide), 32)};
  Surface target{make_dib(picture(kSide, kSide), 32)};
  explicit operator bool() const { return source && target; }
  void blit() { ::BitBlt(target.dc.m_hDC, 0, 0, kSide, kSide, source.dc.m_hDC, 0, 0, SRCCOPY); }
};

struct ThreadsState {
  explicit ThreadsState(int threads) : threads(threads) {
    for (int i = 0; i < threads; ++i) pairs.push_back(std::make_unique<Pair>());
  }
  bool ready() const {
    for (const auto& p : pairs)
      if (!*p) return false;
    return true;
  }
  // Each thread draws its share of the blits into its own pair.
  void run() {
    auto share = [this](Pair* pair) {
      for (int i = 0; i < kBlits / threads; ++i) pair->blit();
    };
    if (threads == 1) return share(pairs[0].get());
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) workers.emplace_back(share, pairs[static_cast<std::size_t>(t)].get());
    share(pairs[0].get());
    for (std::thread& w : workers) w.join();
  }
  int threads;
  std::vector<std::unique_ptr<Pair>> pairs;
};

Prepared prepare_threads(int threads) {
  auto s = std::make_shared<ThreadsState>(threads);
  return prepared<ThreadsState>(s, s->ready(), [](ThreadsState& st) { st.run(); });
}

}  // namespace

void add_thread_workloads(std::vector<Workload>& list) {
  list.push_back(Workload{"blit_8x1024_one_thread", "eight 1024x1024 32-bit BitBlts by one thread", false, false,
                          [] { return prepare_threads(1); }});
  list.push_back(Workload{"blit_8x1024_two_threads",
                          "the same eight BitBlts, four by each of two threads into their own contexts", false, false,
                          [] { return prepare_threads(2); }});
}

}  // namespace veneer::bench
