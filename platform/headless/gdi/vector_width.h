// The width of the vectors the raster loops run on. Every build has loops over 16-byte blocks
// (SSE2 on x86, whatever the compiler makes of them elsewhere); x86 builds also carry the same
// loops compiled for 32-byte blocks (AVX2), taken when the processor has them. The choice is
// made once per call through a table of row functions, never per row or pixel.
// Internal to the platform.
#pragma once

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VENEER_WIDE_VECTORS 1
// On a function: compiled for AVX2 whatever the build's own target is. Only called after
// wide_vectors() said yes.
#define VENEER_WIDE_TARGET __attribute__((target("avx2")))
#else
#define VENEER_WIDE_VECTORS 0
#define VENEER_WIDE_TARGET
#endif

// The row loops' helpers that take or give whole vectors are always inlined into loops compiled
// for the width they use. The compilers' note that a 32-byte value passed to or from a function
// compiled without AVX changes the ABI concerns a call that never happens; it is off from here
// on in the files that include this header (the raster loops' own).
#if defined(__clang__)
#if __has_warning("-Wpsabi")
#pragma clang diagnostic ignored "-Wpsabi"
#endif
#elif defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace veneer::headless::gdi::raster {

// Whether the 32-byte loops may run: the processor has AVX2 and no test has held the loops to
// 16 bytes.
bool wide_vectors();

}  // namespace veneer::headless::gdi::raster
