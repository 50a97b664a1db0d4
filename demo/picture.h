// A picture the demo writes or compares: pixels with alpha, and where the title text went.
#pragma once

#include <cstdint>
#include <vector>

#include <veneer/framework/win32_api.h>

namespace demo {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, rows top to bottom; alpha 0 outside the region
  RECT text_box{};                    // where the title's glyphs were drawn
};

}  // namespace demo
