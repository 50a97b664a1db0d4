// The demo's skin: strips for the frame in an atlas loaded from a BMP file (skin-atlas.bmp,
// shipped beside the program), and sprites for the caption buttons built in code; 24-bit
// bitmaps whose key-coloured (RGB(255, 0, 255)) pixels are transparent.
#pragma once

#include <string>

#include <veneer/framework/afx_gdi.h>
#include <veneer/veneer.h>

namespace demo {

constexpr COLORREF kKey = RGB(255, 0, 255);

// Where each strip lies in the atlas.
struct StripLayout {
  int x, y, width, height, cap;
};
constexpr StripLayout kTitleStrip{0, 0, 40, 30, 8};   // horizontal, rounded top corners
constexpr StripLayout kBottomStrip{0, 30, 40, 8, 8};  // horizontal, rounded bottom corners
constexpr StripLayout kSideStrip{40, 0, 4, 30, 0};    // vertical, default caps
constexpr int kButtonSize = 16;
constexpr int kBadgeSize = 7;

struct Skin {
  CBitmap atlas;
  CBitmap close_button;
  CBitmap maximize_button;
  CBitmap minimize_button;
  CBitmap badge;
};

// Loads the atlas and makes the sprites; false, saying why, when a bitmap cannot be had.
bool build_skin(Skin& skin, const std::string& atlas_path, std::string& error);

}  // namespace demo
