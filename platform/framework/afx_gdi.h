// The framework's graphics objects and device context: thin owners of GDI handles.
//
// A CGdiObject owns the handle it holds and deletes it when destroyed. FromHandle wraps a
// handle in a temporary object that owns nothing: the temporaries live in a small
// per-thread table and are reused, so a temporary stays valid until many other handles of
// its class have been wrapped on the same thread (kTemporarySlots); keep the handle, not
// the pointer, for anything longer than a few calls.
#pragma once

#include <veneer/framework/afx_exceptions.h>
#include <veneer/framework/afx_geometry.h>
#include <veneer/framework/win32_api.h>

class CDC;

class VENEER_FRAMEWORK_API CGdiObject {
 public:
  // Temporaries kept per thread and per class before the least recently used is reused.
  static constexpr int kTemporarySlots = 64;

  CGdiObject() = default;
  virtual ~CGdiObject();  // deletes the held object
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HGDIOBJ() const { return m_hObject; }

  // Takes ownership of the handle. FALSE, and nothing changes, for a null handle or when the
  // object already holds one (the held one is never dropped unnoticed).
  BOOL Attach(HGDIOBJ handle);
  // Gives the handle up without deleting it; the object is empty afterwards.
  HGDIOBJ Detach();
  // Deletes the held object and empties this one; FALSE (and nothing happens) when empty.
  BOOL DeleteObject();
  // The platform's description of the object (GetObject); 0 when empty or on failure.
  int GetObject(int count, LPVOID object) const;

  // A temporary wrapper of the handle that does not own it; null for a null handle.
  static CGdiObject* FromHandle(HGDIOBJ handle);

  HGDIOBJ m_hObject = nullptr;

 protected:
  // Attaches a handle the object has just created; a handle it cannot take is deleted.
  BOOL AttachCreated(HGDIOBJ handle);
};

class VENEER_FRAMEWORK_API CBitmap : public CGdiObject {
 public:
  static CBitmap* FromHandle(HBITMAP handle);

  BOOL CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits);
  // A bitmap in the format of the context's device (or of the bitmap selected in a memory
  // context).
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  // The BITMAP record; 0 when empty or on failure.
  int GetBitmap(BITMAP* bitmap) const;

  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class VENEER_FRAMEWORK_API CRgn : public CGdiObject {
 public:
  static CRgn* FromHandle(HRGN handle);

  BOOL CreateRectRgn(int left, int top, int right, int bottom);

  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

class VENEER_FRAMEWORK_API CFont : public CGdiObject {
 public:
  static CFont* FromHandle(HFONT handle);

  BOOL CreateFontIndirect(const LOGFONTA* font);

  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class VENEER_FRAMEWORK_API CPen : public CGdiObject {
 public:
  CPen() = default;
  // Creates the pen; raises the resource exception (CResourceException*) when the platform
  // cannot make it.
  CPen(int style, int width, COLORREF color);

  static CPen* FromHandle(HPEN handle);

  BOOL CreatePen(int style, int width, COLORREF color);

  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class VENEER_FRAMEWORK_API CDC {
 public:
  CDC() = default;
  virtual ~CDC();  // deletes an attached device context (DeleteDC)
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  // Takes ownership of the device context; FALSE, and nothing changes, for a null handle or
  // when the object already holds one.
  BOOL Attach(HDC dc);
  // Gives the device context up without deleting it.
  HDC Detach();

  // Selects the object's handle (a null object selects a null handle, which fails) and
  // returns a temporary wrapper of the object it replaced, or null when the selection
  // failed. Selecting that wrapper back undoes the selection.
  CBitmap* SelectObject(CBitmap* bitmap);
  CPen* SelectObject(CPen* pen);
  CFont* SelectObject(CFont* font);
  // The same on handles.
  static CGdiObject* SelectGdiObject(HDC dc, HGDIOBJ object);

  // Overridable: a derived context may watch or redirect its colours. Each returns the colour
  // it replaced (CLR_INVALID on failure).
  virtual COLORREF SetBkColor(COLORREF color);
  virtual COLORREF SetTextColor(COLORREF color);

  // Moves the current position; returns the previous one.
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(POINT point) { return MoveTo(point.x, point.y); }
  // A line from the current position up to, not including, the point, with the selected
  // pen; the current position ends at the point.
  BOOL LineTo(int x, int y);
  BOOL LineTo(POINT point) { return LineTo(point.x, point.y); }

  // Draws or measures (DT_CALCRECT) formatted text; defined with the framework's text
  // services.
  int DrawText(LPCSTR text, int count, LPRECT rect, UINT format);

  HDC m_hDC = nullptr;
};
