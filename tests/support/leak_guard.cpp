#include "tests/support/leak_guard.h"

namespace veneer::test {

#ifdef _WIN32

LeakGuard::LeakGuard()
    : gdi_objects_(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
      user_objects_(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) {}

std::string LeakGuard::changes() const {
  std::string out;
  DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (gdi != gdi_objects_) out += "GDI objects " + std::to_string(gdi_objects_) + " -> " + std::to_string(gdi) + "; ";
  if (user != user_objects_)
    out += "USER objects " + std::to_string(user_objects_) + " -> " + std::to_string(user) + "; ";
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
