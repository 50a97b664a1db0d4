// Paints the demo's skinned window through Veneer's exports and cuts it to its skin region.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <veneer/framework/win32_api.h>

namespace demo {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, rows top to bottom; alpha 0 outside the region
  RECT text_box{};                    // where the title's glyphs were drawn
};

// Paints a width x height window with the title; on failure returns false and says why.
bool paint_window(int width, int height, const std::string& title, Picture& picture, std::string& error);

}  // namespace demo
