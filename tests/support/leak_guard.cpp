#include "tests/support/leak_guard.h"

namespace veneer::test {

#ifdef _WIN32

LeakGuard::LeakGuard() {
  live::install();
  counts_ = live::counts();
}

std::string LeakGuard::changes() const {
  std::string out = live::install();
  live::Counts now = live::counts();
  for (int k = 0; k < live::KindCount; ++k) {
    if (now.n[k] != counts_.n[k])
      out += std::string(live::kind_name(static_cast<live::Kind>(k))) + " " + std::to_string(counts_.n[k]) + " -> " +
             std::to_string(now.n[k]) + "; ";
  }
  return out;
}

#else

using namespace veneer::headless::testing;

LeakGuard::LeakGuard() : counts_(live_counts()) {}

std::string LeakGuard::changes() const {
  std::string out;
  LiveCounts now = live_counts();
  for (int k = 0; k < static_cast<int>(ObjectKind::Count); ++k) {
    if (now.counts[k] != counts_.counts[k])
      out += std::string(kind_name(static_cast<ObjectKind>(k))) + " " + std::to_string(counts_.counts[k]) + " -> " +
             std::to_string(now.counts[k]) + "; ";
  }
  return out;
}

#endif

}  // namespace veneer::test
