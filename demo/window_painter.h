// Paints the demo's skinned windows through Veneer's exports, and turns what they show into
// pictures.
#pragma once

#include <string>

#include "demo/picture.h"
#include "demo/skin_atlas.h"
#include <veneer/framework/win32_api.h>

namespace demo {

// The main window, width x height, drawn at (0, 0) of the context; returns where the title's
// glyphs went.
RECT paint_main_window(HDC dc, Skin& skin, int width, int height, const std::string& title);
// The notification window: the same frame around a calm body, without text.
void paint_notification(HDC dc, Skin& skin, int width, int height);

// A window's shape: its painting made off screen and cut at the key colour. False when the
// bitmap or region cannot be made.
bool main_window_shape(Skin& skin, int width, int height, const std::string& title, CRgn& shape);
bool notification_shape(Skin& skin, int width, int height, CRgn& shape);

// A window's own painting (PrintWindow), transparent outside its shape; false, saying why, on
// failure.
bool print_window(HWND window, Picture& picture, std::string& error);
// The screen as the desktop shows it (a copy from the screen's context).
bool capture_screen(Picture& picture, std::string& error);

}  // namespace demo
