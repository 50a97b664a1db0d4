// Pictures and surfaces the workloads draw with: skins made of a key colour and ordinary
// pixels, DIB sections holding them, and memory contexts to draw into. Everything is made
// through Win32 calls, so the same set-up runs on Windows and on the headless platform.
#pragma once

#include <cstdint>
#include <vector>

#include <veneer/framework/afx_gdi.h>

namespace veneer::bench {

// The skin key colour as a COLORREF and as a pixel of a 32-bit DIB (0x00RRGGBB); the same
// value, since red and blue are both 255.
inline constexpr COLORREF kKeyColor = RGB(255, 0, 255);
inline constexpr std::uint32_t kKeyPixel = 0x00FF00FF;

// Pixels of a picture, top row first, each 0x00RRGGBB.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> data;

  std::uint32_t& at(int x, int y) { return data[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t at(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x]; }
  std::size_t key_count() const;
};

// Opaque pixels that vary from pixel to pixel and never equal the key.
Pixels picture(int width, int height);
// The picture with 4x4 holes of the key colour: every 4x4 cell of the grid is a hole with
// probability `key_share`, chosen by a fixed hash, so each size always gets the same skin.
Pixels holed_skin(int width, int height, double key_share);
// The picture inside a `border`-pixel key frame whose corners are rounded with `radius`:
// everything outside the rounded rectangle is key.
Pixels rounded_skin(int width, int height, int radius, int border);

// A top-down DIB section holding the pixels, 32 or 24 bits per pixel; null on failure.
// `bits`, when given, receives the section's pixel memory (rows padded to 4 bytes).
HBITMAP make_dib(const Pixels& pixels, int bits_per_pixel, void** bits = nullptr);

// A memory context with a bitmap selected, to draw into or read from. The bitmap is
// selected back out before both are deleted.
class Surface {
 public:
  // Owns `bitmap` (which may be null: then the surface is not usable).
  explicit Surface(HBITMAP bitmap);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  explicit operator bool() const { return dc.m_hDC && selected_; }

  CDC dc;
  CBitmap bitmap;

 private:
  HGDIOBJ previous_ = nullptr;
  bool selected_ = false;
};

// The pixels of a bitmap as a 32-bit top-down picture (through GetDIBits).
Pixels read_pixels(HBITMAP bitmap);

}  // namespace veneer::bench
