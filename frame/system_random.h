// The system's random source: the one place that knows which it is.
#pragma once

#include <cstddef>

namespace veneer::frame {

// Fills buffer with size unpredictable bytes (size at most 256) from the system's random
// source (BCryptGenRandom on Windows, getentropy elsewhere); false when it cannot be read.
bool system_random(void* buffer, std::size_t size);

}  // namespace veneer::frame
