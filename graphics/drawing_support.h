// Pieces shared by the drawing functions: the skin key colour, memory contexts and
// selections that undo themselves, and arithmetic that wraps as the platform's 32-bit
// coordinates do.
#pragma once

#include "frame/platform.h"

namespace veneer::graphics {

// Pixels of this colour are transparent in skin bitmaps: AfxOverlapBitmap draws around
// them and AfxCreateSkinRegion cuts them out of the window's region.
inline constexpr COLORREF kSkinKeyColor = RGB(255, 0, 255);

// Coordinates and sizes are 32-bit values handed to the platform as computed; sums and
// differences of caller values wrap as they would in 32-bit arithmetic instead of
// overflowing.
inline int wrap32(long long value) { return static_cast<int>(value); }

// Attaches a new memory device context compatible with `like` (the screen when null); false
// when none could be made. The CDC deletes it when destroyed.
inline bool open_memory_context(CDC& context, HDC like) { return context.Attach(::CreateCompatibleDC(like)) != FALSE; }

// Selects an object into a device context for the length of a scope and selects the
// previous object back when the scope ends. Declare it after the CDC it selects into, so
// that it is undone before that context is deleted.
class ScopedSelection {
 public:
  ScopedSelection(HDC context, HGDIOBJ object) : context_(context) {
    if (CGdiObject* previous = CDC::SelectGdiObject(context, object)) {
      previous_ = previous->m_hObject;
      selected_ = true;
    }
  }
  ~ScopedSelection() {
    if (selected_) CDC::SelectGdiObject(context_, previous_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

  // False when the object could not be selected (a bitmap selected elsewhere, no context).
  explicit operator bool() const { return selected_; }

 private:
  HDC context_;
  HGDIOBJ previous_ = nullptr;
  bool selected_ = false;
};

}  // namespace veneer::graphics
