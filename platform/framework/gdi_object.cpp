#include <cstdint>
#include <new>

#include <veneer/framework/afx_gdi.h>

namespace {

// The temporary wrappers FromHandle hands out, per thread and per class. A wrapper is
// found again by its handle, so asking for the same handle twice gives the same object;
// when every slot is taken the least recently used one is rewrapped. The table is plain
// storage that needs no destructor: the wrappers own nothing, and skipping their
// destructors is what keeps them from deleting the handles they wrap.
template <class T>
class TemporaryWrappers {
 public:
  constexpr TemporaryWrappers() = default;

  T* wrap(HGDIOBJ handle) {
    if (!handle) return nullptr;
    ++clock_;
    int victim = 0;
    for (int i = 0; i < used_; ++i) {
      if (keys_[i] == handle) {
        last_use_[i] = clock_;
        T* wrapper = at(i);
        wrapper->m_hObject = handle;  // the caller may have detached or deleted it meanwhile
        return wrapper;
      }
      if (last_use_[i] < last_use_[victim]) victim = i;
    }
    if (used_ < CGdiObject::kTemporarySlots) {
      victim = used_++;
      ::new (static_cast<void*>(storage_[victim])) T();
    }
    keys_[victim] = handle;
    last_use_[victim] = clock_;
    T* wrapper = at(victim);
    wrapper->m_hObject = handle;
    return wrapper;
  }

 private:
  T* at(int i) { return std::launder(reinterpret_cast<T*>(storage_[i])); }

  alignas(T) unsigned char storage_[CGdiObject::kTemporarySlots][sizeof(T)] = {};
  HGDIOBJ keys_[CGdiObject::kTemporarySlots] = {};
  std::uint64_t last_use_[CGdiObject::kTemporarySlots] = {};
  std::uint64_t clock_ = 0;
  int used_ = 0;
};

template <class T>
T* temporary_wrapper(HGDIOBJ handle) {
  constinit thread_local TemporaryWrappers<T> table;
  return table.wrap(handle);
}

}  // namespace

// ---- CGdiObject

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ handle) {
  if (!handle || m_hObject) return FALSE;
  m_hObject = handle;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ handle = m_hObject;
  m_hObject = nullptr;
  return handle;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int count, LPVOID object) const {
  if (!m_hObject) return 0;
  return ::GetObjectA(m_hObject, count, object);
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ handle) { return temporary_wrapper<CGdiObject>(handle); }

BOOL CGdiObject::AttachCreated(HGDIOBJ handle) {
  if (!handle) return FALSE;
  if (!Attach(handle)) {
    ::DeleteObject(handle);
    return FALSE;
  }
  return TRUE;
}

// ---- CBitmap

CBitmap* CBitmap::FromHandle(HBITMAP handle) { return temporary_wrapper<CBitmap>(handle); }

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits) {
  if (m_hObject) return FALSE;
  return AttachCreated(::CreateBitmap(width, height, planes, bits_per_pixel, bits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  if (m_hObject) return FALSE;
  return AttachCreated(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}

int CBitmap::GetBitmap(BITMAP* bitmap) const { return GetObject(sizeof(BITMAP), bitmap); }

// ---- CRgn

CRgn* CRgn::FromHandle(HRGN handle) { return temporary_wrapper<CRgn>(handle); }

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
  if (m_hObject) return FALSE;
  return AttachCreated(::CreateRectRgn(left, top, right, bottom));
}

// ---- CFont

CFont* CFont::FromHandle(HFONT handle) { return temporary_wrapper<CFont>(handle); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) {
  if (m_hObject || !font) return FALSE;
  return AttachCreated(::CreateFontIndirectA(font));
}

// ---- CPen

CPen::CPen(int style, int width, COLORREF color) {
  if (!CreatePen(style, width, color)) AfxThrowResourceException();
}

CPen* CPen::FromHandle(HPEN handle) { return temporary_wrapper<CPen>(handle); }

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
  if (m_hObject) return FALSE;
  return AttachCreated(::CreatePen(style, width, color));
}
