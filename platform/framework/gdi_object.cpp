#include <cstdint>
#include <new>

#include <veneer/framework/afx_gdi.h>

namespace {

// The temporary wrappers FromHandle hands out, per thread and per class. A wrapper is
// found again by its handle, so asking for the same handle twice gives the same object;
// when every slot is taken the least recently used one is rewrapped. The table is plain
// storage that needs no destructor: the wrappers own nothing, and skipping their
// destructors is what keeps them from deleting the handles they wrap.
//
// Handles are found through a small hash of chains and the slots are kept in order of use in
// a list, so that a wrap costs the same few steps whether the handle is known or new; links
// hold a slot's number plus one, 0 being none, so that the empty table is all zero.
template <class T>
class TemporaryWrappers {
 public:
  constexpr TemporaryWrappers() = default;

  T* wrap(HGDIOBJ handle) {
    if (!handle) return nullptr;
    int slot = find(handle);
    if (slot < 0) {
      if (used_ < kSlots) {
        slot = used_++;
        ::new (static_cast<void*>(storage_[slot])) T();
      } else {
        slot = oldest_ - 1;
        unhash(slot);
        unlink(slot);
      }
      keys_[slot] = handle;
      hash(slot);
    } else {
      unlink(slot);
    }
    link_newest(slot);
    T* wrapper = at(slot);
    wrapper->m_hObject = handle;  // the caller may have detached or deleted it meanwhile
    return wrapper;
  }

 private:
  static constexpr int kSlots = CGdiObject::kTemporarySlots;
  static constexpr int kBucketBits = 6;
  static constexpr int kBuckets = 1 << kBucketBits;
  static_assert(kSlots < 127, "links are signed bytes");

  // A multiplicative hash of every bit of the handle: handles that differ only in their high
  // bits (one table slot reused with a new generation, as a deleted and recreated object gets)
  // must not share a chain.
  static int bucket_of(HGDIOBJ handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    const auto folded = static_cast<std::uint32_t>(value ^ (value >> 16 >> 16));
    return static_cast<int>((folded * 0x9e3779b1u) >> (32 - kBucketBits));
  }
  int find(HGDIOBJ handle) const {
    for (int link = bucket_[bucket_of(handle)]; link != 0; link = chain_[link - 1])
      if (keys_[link - 1] == handle) return link - 1;
    return -1;
  }
  void hash(int slot) {
    std::int8_t& head = bucket_[bucket_of(keys_[slot])];
    chain_[slot] = head;
    head = static_cast<std::int8_t>(slot + 1);
  }
  void unhash(int slot) {
    std::int8_t* link = &bucket_[bucket_of(keys_[slot])];
    while (*link != slot + 1) link = &chain_[*link - 1];
    *link = chain_[slot];
  }
  // The list of use, newest first.
  void unlink(int slot) {
    if (newer_[slot])
      older_[newer_[slot] - 1] = older_[slot];
    else
      newest_ = older_[slot];
    if (older_[slot])
      newer_[older_[slot] - 1] = newer_[slot];
    else
      oldest_ = newer_[slot];
  }
  void link_newest(int slot) {
    newer_[slot] = 0;
    older_[slot] = newest_;
    if (newest_)
      newer_[newest_ - 1] = static_cast<std::int8_t>(slot + 1);
    else
      oldest_ = static_cast<std::int8_t>(slot + 1);
    newest_ = static_cast<std::int8_t>(slot + 1);
  }

  T* at(int i) { return std::launder(reinterpret_cast<T*>(storage_[i])); }

  alignas(T) unsigned char storage_[kSlots][sizeof(T)] = {};
  HGDIOBJ keys_[kSlots] = {};
  std::int8_t bucket_[kBuckets] = {};
  std::int8_t chain_[kSlots] = {};
  std::int8_t newer_[kSlots] = {};
  std::int8_t older_[kSlots] = {};
  std::int8_t newest_ = 0, oldest_ = 0;
  int used_ = 0;
};

// The calling thread's table. Out of line, so that the wrap works through one pointer: with the
// thread-local variable in view the compiler asks for the thread's storage again at every access.
template <class T>
[[gnu::noinline]] TemporaryWrappers<T>& thread_table() {
  constinit thread_local TemporaryWrappers<T> table;
  return table;
}

template <class T>
T* temporary_wrapper(HGDIOBJ handle) {
  return thread_table<T>().wrap(handle);
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
