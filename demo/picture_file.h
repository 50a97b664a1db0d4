// Writing and reading the demo's pictures: 32-bit BMP (top-down, alpha in the fourth byte)
// everywhere, PNG with transparency where libpng is available.
#pragma once

#include <string>

#include "demo/picture.h"

namespace demo {

bool write_bmp(const std::string& path, const Picture& picture);
bool read_bmp(const std::string& path, Picture& picture);
bool png_supported();
bool write_png(const std::string& path, const Picture& picture);

}  // namespace demo
