// Drawing on every core: the same eight 1024x1024 blits, each between a pair of memory
// contexts of its own, done by one thread and shared between two. Win32 lets threads draw into
// different contexts at once; the ratio of the two shows whether the platform does.
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/skins.h"
#include "bench/workloads.h"

namespace veneer::bench {

namespace {

constexpr int kSide = 1024;
constexpr int kBlits = 8;

// One thread's source and target: contexts with bitmaps of their own, or (for the yardstick)
// plain memory of the same size.
struct Pair {
  explicit Pair(bool platform) : platform(platform) {
    if (!platform) source_bytes.assign(kBytes, 1), target_bytes.assign(kBytes, 0);
  }
  explicit operator bool() const { return !platform || (source && target); }
  void blit() {
    if (platform)
      ::BitBlt(target.dc.m_hDC, 0, 0, kSide, kSide, source.dc.m_hDC, 0, 0, SRCCOPY);
    else
      std::memcpy(target_bytes.data(), source_bytes.data(), kBytes);
    keep(target_bytes.data());
  }
  static constexpr std::size_t kBytes = std::size_t{kSide} * kSide * 4;
  bool platform;
  Surface source{platform ? make_dib(picture(kSide, kSide), 32) : nullptr};
  Surface target{platform ? make_dib(picture(kSide, kSide), 32) : nullptr};
  std::vector<char> source_bytes, target_bytes;
};

// The second thread waits for each operation and draws its share of it; started once, so
// that an operation times the blits and not the making of a thread.
class Helper {
 public:
  explicit Helper(Pair& pair) : thread_([this, &pair] { serve(pair); }) {}
  ~Helper() {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  void start() {
    {
      std::lock_guard lock(mutex_);
      ++asked_;
    }
    wake_.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return done_ == asked_; });
  }

 private:
  void serve(Pair& pair) {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return quit_ || asked_ != done_; });
      if (quit_) return;
      lock.unlock();
      for (int i = 0; i < kBlits / 2; ++i) pair.blit();
      lock.lock();
      ++done_;
      wake_.notify_all();
    }
  }
  std::mutex mutex_;
  std::condition_variable wake_;
  unsigned long asked_ = 0, done_ = 0;
  bool quit_ = false;
  std::thread thread_;
};

struct ThreadsState {
  ThreadsState(int threads, bool platform) {
    for (int i = 0; i < threads; ++i) pairs.push_back(std::make_unique<Pair>(platform));
    if (threads == 2 && ready()) helper = std::make_unique<Helper>(*pairs[1]);
  }
  bool ready() const {
    for (const auto& p : pairs)
      if (!*p) return false;
    return true;
  }
  // Each thread draws its share of the blits into its own pair.
  void run() {
    if (helper) helper->start();
    const int mine = helper ? kBlits / 2 : kBlits;
    for (int i = 0; i < mine; ++i) pairs[0]->blit();
    if (helper) helper->wait();
  }
  std::vector<std::unique_ptr<Pair>> pairs;
  std::unique_ptr<Helper> helper;  // declared last: stops before the pairs go
};

Prepared prepare_threads(int threads, bool platform) {
  auto s = std::make_shared<ThreadsState>(threads, platform);
  return prepared<ThreadsState>(s, s->ready(), [](ThreadsState& st) { st.run(); });
}

}  // namespace

void add_thread_workloads(std::vector<Workload>& list) {
  list.push_back(Workload{"blit_8x1024_one_thread", "eight 1024x1024 32-bit BitBlts by one thread", false, false,
                          [] { return prepare_threads(1, true); }});
  list.push_back(Workload{"blit_8x1024_two_threads",
                          "the same eight BitBlts, four by each of two threads into their own contexts", false, false,
                          [] { return prepare_threads(2, true); }});
  // The machine's own limit: the same bytes copied by memcpy, by one thread and by two.
  list.push_back(Workload{"memcpy_8x4MiB_one_thread", "eight memcpy of 4 MiB by one thread", false, false,
                          [] { return prepare_threads(1, false); }});
  list.push_back(Workload{"memcpy_8x4MiB_two_threads", "the same eight memcpy, four by each of two threads", false,
                          false, [] { return prepare_threads(2, false); }});
}

}  // namespace veneer::bench
