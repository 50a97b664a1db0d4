// Colour-keyed drawing through a monochrome mask, and overlays composited with the skin
// key colour. Everything goes through blits; no pixel is touched one at a time.
//
// The mask technique rests on the platform's conversions: a colour source blitted into a
// monochrome bitmap gives 1 where the pixel equals the source context's background colour
// and 0 elsewhere; a monochrome source blitted into colour gives the destination's
// background colour for 1 and its text colour for 0.
#include "frame/platform.h"
#include "graphics/drawing_support.h"
#include <veneer/veneer.h>

using veneer::graphics::kSkinKeyColor;
using veneer::graphics::open_memory_context;
using veneer::graphics::ScopedSelection;
using veneer::graphics::wrap32;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The target's background and text colours, white and black while the mask is applied
// (so that the mask's 1 keeps a target pixel and its 0 clears it), restored on the way out.
// Both go through the target object's own operations, which a derived context may watch.
class MaskColours {
 public:
  explicit MaskColours(CDC* target)
      : target_(target), background_(target->SetBkColor(kWhite)), text_(target->SetTextColor(kBlack)) {}
  ~MaskColours() {
    target_->SetBkColor(background_);
    target_->SetTextColor(text_);
  }
  MaskColours(const MaskColours&) = delete;
  MaskColours& operator=(const MaskColours&) = delete;

 private:
  CDC* target_;
  COLORREF background_;
  COLORREF text_;
};

}  // namespace

void AfxDrawTransBitmap(CDC* target, CBitmap* bitmap, CPoint source, CRect dest, COLORREF key) {
  if (!target || !bitmap || !bitmap->m_hObject) return;
  if (dest.Width() <= 0 || dest.Height() <= 0) return;
  const HDC target_dc = target->m_hDC;
  // Only the part of the destination that can reach the target is drawn, and the working
  // bitmaps are made for that part alone: a destination far larger than the target, or wholly
  // off it, costs no more than what lands. The pixels drawn are the same.
  RECT clip{}, visible{};
  if (::GetClipBox(target_dc, &clip) == ERROR || !::IntersectRect(&visible, &dest, &clip)) return;
  source.x = wrap32(1LL * source.x + visible.left - dest.left);
  source.y = wrap32(1LL * source.y + visible.top - dest.top);
  dest = visible;
  const int w = dest.Width();
  const int h = dest.Height();

  MaskColours colours(target);

  // Working objects, declared so that they go in the reverse order: selections are undone
  // before the bitmaps are deleted, the bitmaps before the contexts.
  CDC image_dc, source_dc, mask_dc;
  if (!open_memory_context(image_dc, target_dc) || !open_memory_context(source_dc, target_dc) ||
      !open_memory_context(mask_dc, target_dc))
    return;
  // The mask is as large as the block, and so is the colour copy: only the block is ever
  // read from the copy, so copying the whole source bitmap would be wasted work.
  CBitmap mask, image;
  if (!mask.CreateBitmap(w, h, 1, 1, nullptr)) return;
  if (!image.Attach(::CreateCompatibleBitmap(target_dc, w, h))) return;

  // Without any one of these selections the blits below would read or write the contexts'
  // own 1x1 bitmaps and smear a half-made block over the target: then nothing is drawn.
  ScopedSelection source_selection(source_dc.m_hDC, bitmap->m_hObject);
  ScopedSelection mask_selection(mask_dc.m_hDC, mask.m_hObject);
  ScopedSelection image_selection(image_dc.m_hDC, image.m_hObject);
  if (!source_selection || !mask_selection || !image_selection) return;

  // The block, in the target's pixel format, so that the key is compared in that format.
  ::BitBlt(image_dc.m_hDC, 0, 0, w, h, source_dc.m_hDC, source.x, source.y, SRCCOPY);
  // Mask: 1 where the block holds the key colour, 0 elsewhere.
  image_dc.SetBkColor(key);
  ::BitBlt(mask_dc.m_hDC, 0, 0, w, h, image_dc.m_hDC, 0, 0, SRCCOPY);
  // Blacken the key-coloured pixels of the copy (the mask's 1 becomes black, 0 white).
  image_dc.SetBkColor(kBlack);
  image_dc.SetTextColor(kWhite);
  ::BitBlt(image_dc.m_hDC, 0, 0, w, h, mask_dc.m_hDC, 0, 0, SRCAND);
  // Clear the target where the block is opaque, then OR the block in.
  ::BitBlt(target_dc, dest.left, dest.top, w, h, mask_dc.m_hDC, 0, 0, SRCAND);
  ::BitBlt(target_dc, dest.left, dest.top, w, h, image_dc.m_hDC, 0, 0, SRCPAINT);
}

void AfxOverlapBitmap(CBitmap* base, CBitmap* overlay, CPoint pos) {
  if (!base || !base->m_hObject || !overlay || !overlay->m_hObject) return;
  BITMAP description{};
  if (!overlay->GetBitmap(&description)) return;
  const CRect dest(pos.x, pos.y, wrap32(1LL * pos.x + description.bmWidth), wrap32(1LL * pos.y + description.bmHeight));

  CDC memory;
  if (!open_memory_context(memory, nullptr)) return;
  // The base is drawn into where it is selected; the context's edges clip the overlay.
  ScopedSelection selection(memory.m_hDC, base->m_hObject);
  if (!selection) return;
  AfxDrawTransBitmap(&memory, overlay, CPoint(0, 0), dest, kSkinKeyColor);
}
