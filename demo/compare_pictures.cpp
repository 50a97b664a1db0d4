// Compares two pictures of the demo pixel for pixel, outside a masked rectangle (the title's
// glyphs, which each platform's font rasteriser draws its own way). Prints the differing
// pixels' count and exits non-zero when there are any.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "demo/picture_file.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 7) {
    std::fprintf(stderr, "usage: veneer-compare-pictures A.bmp B.bmp [mask-left mask-top mask-right mask-bottom]\n");
    return 2;
  }
  demo::Picture a, b;
  if (!demo::read_bmp(argv[1], a) || !demo::read_bmp(argv[2], b)) {
    std::fprintf(stderr, "cannot read the pictures\n");
    return 2;
  }
  if (a.width != b.width || a.height != b.height) {
    std::fprintf(stderr, "sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width, b.height);
    return 1;
  }
  long mask[4] = {0, 0, 0, 0};
  if (argc == 7)
    for (int i = 0; i < 4; ++i) mask[i] = std::strtol(argv[3 + i], nullptr, 10);
  long differing = 0, masked = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      bool in_mask = x >= mask[0] && x < mask[2] && y >= mask[1] && y < mask[3];
      std::size_t i = static_cast<std::size_t>(y) * a.width + x;
      if (in_mask) {
        ++masked;
      } else if (a.pixels[i] != b.pixels[i]) {
        if (differing < 10) std::printf("differs at (%d, %d): %08x %08x\n", x, y, a.pixels[i], b.pixels[i]);
        ++differing;
      }
    }
  }
  std::printf("%ld differing pixels; %ld masked (title glyphs)\n", differing, masked);
  return differing == 0 ? 0 : 1;
}
