// Hosts without libpng (the Windows build) write BMP only.
#include "demo/picture_file.h"

namespace demo {
bool png_supported() { return false; }
bool write_png(const std::string&, const Picture&) { return false; }
}  // namespace demo
