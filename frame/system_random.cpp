#include "frame/system_random.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>
#else
#include <unistd.h>
#endif

namespace veneer::frame {

bool system_random(void* buffer, std::size_t size) {
#ifdef _WIN32
  return BCryptGenRandom(nullptr, static_cast<PUCHAR>(buffer), static_cast<ULONG>(size),
                         BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
#else
  return getentropy(buffer, size) == 0;
#endif
}

}  // namespace veneer::frame
