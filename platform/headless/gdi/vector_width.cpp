// Choosing the raster loops' vector width from what the processor offers.
#include "gdi/vector_width.h"

#include <atomic>

#include <veneer/headless/testing.h>

namespace veneer::headless::gdi::raster {
namespace {

bool processor_has_wide_vectors() {
#if VENEER_WIDE_VECTORS
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

std::atomic<bool> wide_allowed{true};

}  // namespace

bool wide_vectors() {
  static const bool available = processor_has_wide_vectors();
  return available && wide_allowed.load(std::memory_order_relaxed);
}

}  // namespace veneer::headless::gdi::raster

bool veneer::headless::testing::allow_wide_vectors(bool allowed) {
  veneer::headless::gdi::raster::wide_allowed.store(allowed, std::memory_order_relaxed);
  return veneer::headless::gdi::raster::wide_vectors();
}
