// Painting of the headless desktop's windows, shared by the window manager's files: update
// regions and the messages that paint them (window_paint.cpp), the windows' surfaces and
// contexts (window_surface.cpp) and the plain frame (window_frame.cpp). Everything here runs
// under platform_lock().
#pragma once

#include "user/desktop_state.h"
#include "user/message_queue.h"

namespace veneer::headless {

// Makes region the rectangle [left, right) x [top, bottom), cut to the int range; empty when
// it has no area (a rectangle that wraps past the end of the int range has none).
void set_region_box(pixman_region32_t& region, long long left, long long top, long long right, long long bottom);

// Whether the window and every ancestor up to the desktop are visible.
bool shown_on_desktop(const Window& w);

// RedrawWindow's work on one window: the RDW_* flags over `area` (client coordinates; null:
// the whole client area), passed on to the children as Win32 does.
void redraw_window(HWND window, const pixman_region32_t* area, UINT flags);
// A WM_PAINT for the calling thread when one of its windows that the filter takes needs
// painting (parents before children, top windows first).
bool take_paint_message(DWORD thread, const MessageFilter& filter, MSG& out);

// A window that was just shown: all of it is invalid, frame and background drawn at once.
void window_shown(HWND window);
// A window that was just hidden: a child's place in its parent is repainted.
void window_hidden(HWND window);
// A window moved or sized: a new size loses a top-level window's pixels, so all of it is
// repainted; a child's old place in its parent is too.
void window_placed(HWND window, const RECT& old_rect);

// A context drawing into a window: its client area (or, whole_window, all of it) on the
// window's surface, less what covers it and outside its shape, and within `limit` (client
// coordinates) when given. Null when no context can be made.
HDC window_context(HWND window, bool whole_window, const pixman_region32_t* limit);

// DefWindowProc's painting: the background filled with the class brush (true when there was
// one), and the plain frame.
bool erase_with_class_brush(HWND window, HDC dc);
void draw_plain_frame(HWND window, HDC dc);
// Draws a shown window's frame again, without a message (a change of foreground).
void redraw_frame(HWND window);

}  // namespace veneer::headless
