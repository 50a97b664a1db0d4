// veneer-demo: draws a complete skinned window through Veneer's exports and writes it as a
// picture, transparent outside the window's skin region.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo/picture_file.h"
#include "demo/window_painter.h"

namespace {

constexpr int kMinWidth = 120, kMinHeight = 80, kMaxSide = 8192;

void usage(std::FILE* to) {
  std::fprintf(to,
               "usage: veneer-demo [--out FILE] [--size WxH] [--title TEXT]\n"
               "  --out FILE    picture to write (.png or .bmp; default veneer-demo.%s)\n"
               "  --size WxH    window size, %dx%d to %dx%d (default 640x400)\n"
               "  --title TEXT  the caption (default \"Veneer\")\n"
               "  --help        this text\n",
               demo::png_supported() ? "png" : "bmp", kMinWidth, kMinHeight, kMaxSide, kMaxSide);
}

bool parse_size(const char* text, int& width, int& height) {
  char* end = nullptr;
  long w = std::strtol(text, &end, 10);
  if (end == text || (*end != 'x' && *end != 'X')) return false;
  const char* rest = end + 1;
  long h = std::strtol(rest, &end, 10);
  if (end == rest || *end != '\0') return false;
  if (w < kMinWidth || h < kMinHeight || w > kMaxSide || h > kMaxSide) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

bool ends_with(const std::string& s, const char* suffix) {
  std::size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = demo::png_supported() ? "veneer-demo.png" : "veneer-demo.bmp";
  std::string title = "Veneer";
  int width = 640, height = 400;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool has_value = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      usage(stdout);
      return 0;
    } else if (arg == "--out" && has_value) {
      out = argv[++i];
    } else if (arg == "--title" && has_value) {
      title = argv[++i];
    } else if (arg == "--size" && has_value) {
      if (!parse_size(argv[++i], width, height)) {
        std::fprintf(stderr, "veneer-demo: bad size \"%s\": expected WxH from %dx%d to %dx%d\n", argv[i], kMinWidth,
                     kMinHeight, kMaxSide, kMaxSide);
        return 2;
      }
    } else {
      std::fprintf(stderr, "veneer-demo: unknown or incomplete option \"%s\"\n", arg.c_str());
      usage(stderr);
      return 2;
    }
  }

  demo::Picture picture;
  std::string error;
  if (!demo::paint_window(width, height, title, picture, error)) {
    std::fprintf(stderr, "veneer-demo: %s\n", error.c_str());
    return 1;
  }
  bool png = ends_with(out, ".png") || ends_with(out, ".PNG");
  if (png && !demo::png_supported()) {
    std::fprintf(stderr, "veneer-demo: this build writes BMP only\n");
    return 2;
  }
  if (!(png ? demo::write_png(out, picture) : demo::write_bmp(out, picture))) {
    std::fprintf(stderr, "veneer-demo: cannot write \"%s\"\n", out.c_str());
    return 1;
  }
  std::printf("wrote %s (%dx%d); title text box %ld %ld %ld %ld\n", out.c_str(), width, height,
              static_cast<long>(picture.text_box.left), static_cast<long>(picture.text_box.top),
              static_cast<long>(picture.text_box.right), static_cast<long>(picture.text_box.bottom));
  return 0;
}
