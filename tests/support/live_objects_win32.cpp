#ifdef _WIN32
#include "tests/support/live_objects_win32.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "tests/support/import_hooks.h"

namespace veneer::test::live {
namespace {

// Handles of GDI, kernel objects and remote addresses are separate name spaces.
enum Space { Gdi, Kernel, Remote };

std::mutex lock;
std::map<std::pair<Space, const void*>, Kind> objects;
Counts live_counts;

Space space_of(Kind k) { return k == ProcessHandle || k == FileHandle ? Kernel : k == RemoteAllocation ? Remote : Gdi; }

// Win64 reads a GDI handle by its low 32 bits: a program may release one through a widened
// copy, so GDI handles are noted by those bits.
const void* key_of(const void* handle, Space space) {
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  return space == Gdi ? reinterpret_cast<const void*>(value & 0xffffffffu) : handle;
}

void made(const void* handle, Kind kind) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return;
  std::lock_guard g(lock);
  if (objects.emplace(std::make_pair(space_of(kind), key_of(handle, space_of(kind))), kind).second)
    ++live_counts.n[kind];
}

void released(const void* handle, Space space) {
  std::lock_guard g(lock);
  auto it = objects.find({space, key_of(handle, space)});
  if (it == objects.end()) return;  // made before the hooks, or by a module not followed
  --live_counts.n[it->second];
  objects.erase(it);
}

// One hook per creation call: the real function, then the handle it made noted by kind.
template <int Id, typename F>
struct Creation;
template <int Id, typename R, typename... A>
struct Creation<Id, R(WINAPI*)(A...)> {
  static inline R(WINAPI* real)(A...) = nullptr;
  static inline Kind kind = KindCount;
  static R WINAPI hook(A... a) {
    R r = real(a...);
    made(reinterpret_cast<const void*>(r), kind);
    return r;
  }
};

struct Entry {
  const char* dll;
  const char* name;
  void* hook;
  void** real;
};

template <int Id, typename F>
Entry creation(const char* dll, const char* name, F, Kind kind) {
  using C = Creation<Id, F>;
  C::kind = kind;
  return {dll, name, reinterpret_cast<void*>(&C::hook), reinterpret_cast<void**>(&C::real)};
}
#define CREATION(dll, fn, kind) creation<__COUNTER__>(dll, #fn, &fn, kind)

decltype(&ReleaseDC) real_release_dc;
decltype(&VirtualFreeEx) real_virtual_free_ex;
decltype(&SetClipboardData) real_set_clipboard_data;

// One hook per release call that takes only the handle.
template <int Id, Space S, typename H>
struct Release {
  static inline BOOL(WINAPI* real)(H) = nullptr;
  static BOOL WINAPI hook(H h) {
    BOOL ok = real(h);
    if (ok) released(h, S);
    return ok;
  }
};

template <int Id, Space S, typename H>
Entry release(const char* dll, const char* name, BOOL(WINAPI*)(H)) {
  using R = Release<Id, S, H>;
  return {dll, name, reinterpret_cast<void*>(&R::hook), reinterpret_cast<void**>(&R::real)};
}
#define RELEASE(dll, fn, space) release<__COUNTER__, space>(dll, #fn, &fn)

int WINAPI release_dc(HWND window, HDC dc) {
  int ok = real_release_dc(window, dc);
  if (ok) released(dc, Gdi);
  return ok;
}
BOOL WINAPI virtual_free_ex(HANDLE process, LPVOID address, SIZE_T size, DWORD type) {
  BOOL ok = real_virtual_free_ex(process, address, size, type);
  if (ok && type == MEM_RELEASE) released(address, Remote);
  return ok;
}

// Images loaded from files: bitmaps are counted as any other (icons and cursors are not made
// by the tests).
decltype(&LoadImageA) real_load_image;
HANDLE WINAPI load_image(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  HANDLE image = real_load_image(instance, name, type, cx, cy, flags);
  if (type == IMAGE_BITMAP) made(image, Bitmap);
  return image;
}

// A bitmap given to the clipboard is the system's from then on: it deletes it itself.
HANDLE WINAPI set_clipboard_data(UINT format, HANDLE data) {
  HANDLE placed = real_set_clipboard_data(format, data);
  if (placed) released(placed, Gdi);
  return placed;
}

// A region given to a window is the system's from then on: the window deletes it itself, and
// its handle may come back for a region made later.
decltype(&SetWindowRgn) real_set_window_rgn;
int WINAPI set_window_rgn(HWND window, HRGN region, BOOL redraw) {
  const int set = real_set_window_rgn(window, region, redraw);
  if (set && region) released(region, Gdi);
  return set;
}

std::vector<Entry> entries() {
  const char* gdi = "gdi32.dll";
  const char* user = "user32.dll";
  const char* kernel = "kernel32.dll";
  return {
      CREATION(gdi, CreateCompatibleDC, DeviceContext),
      CREATION(gdi, CreateDCA, DeviceContext),
      CREATION(user, GetDC, DeviceContext),
      CREATION(user, GetWindowDC, DeviceContext),
      CREATION(user, GetDCEx, DeviceContext),
      CREATION(gdi, CreateCompatibleBitmap, Bitmap),
      CREATION(gdi, CreateBitmap, Bitmap),
      CREATION(gdi, CreateBitmapIndirect, Bitmap),
      CREATION(gdi, CreateDIBSection, Bitmap),
      CREATION(gdi, CreateDIBitmap, Bitmap),
      CREATION(gdi, CreateSolidBrush, Brush),
      CREATION(gdi, CreatePatternBrush, Brush),
      CREATION(gdi, CreateBrushIndirect, Brush),
      CREATION(gdi, CreateHatchBrush, Brush),
      CREATION(gdi, CreatePen, Pen),
      CREATION(gdi, CreatePenIndirect, Pen),
      CREATION(gdi, ExtCreatePen, Pen),
      CREATION(gdi, CreateFontA, Font),
      CREATION(gdi, CreateFontIndirectA, Font),
      CREATION(gdi, CreateRectRgn, Region),
      CREATION(gdi, CreateRectRgnIndirect, Region),
      CREATION(gdi, CreateEllipticRgn, Region),
      CREATION(gdi, CreateEllipticRgnIndirect, Region),
      CREATION(gdi, CreateRoundRectRgn, Region),
      CREATION(gdi, CreatePolygonRgn, Region),
      CREATION(gdi, ExtCreateRegion, Region),
      CREATION(kernel, OpenProcess, ProcessHandle),
      CREATION(kernel, CreateFileA, FileHandle),
      CREATION(kernel, VirtualAllocEx, RemoteAllocation),
      RELEASE(gdi, DeleteObject, Gdi),
      RELEASE(gdi, DeleteDC, Gdi),
      {user, "ReleaseDC", reinterpret_cast<void*>(&release_dc), reinterpret_cast<void**>(&real_release_dc)},
      RELEASE(kernel, CloseHandle, Kernel),
      {kernel, "VirtualFreeEx", reinterpret_cast<void*>(&virtual_free_ex),
       reinterpret_cast<void**>(&real_virtual_free_ex)},
      {user, "LoadImageA", reinterpret_cast<void*>(&load_image), reinterpret_cast<void**>(&real_load_image)},
      {user, "SetClipboardData", reinterpret_cast<void*>(&set_clipboard_data),
       reinterpret_cast<void**>(&real_set_clipboard_data)},
      {user, "SetWindowRgn", reinterpret_cast<void*>(&set_window_rgn), reinterpret_cast<void**>(&real_set_window_rgn)},
  };
}

// Imports that make an object: every one of them must be followed, or a leak could hide.
bool makes_objects(const std::string& import) {
  auto starts = [&](const char* prefix) { return import.rfind(prefix, 0) == 0; };
  return starts("gdi32.dll!Create") || starts("gdi32.dll!ExtCreate") || starts("user32.dll!GetDC") ||
         starts("user32.dll!GetWindowDC") || starts("user32.dll!CopyImage") || starts("user32.dll!LoadImage") ||
         starts("user32.dll!LoadBitmap") || starts("kernel32.dll!OpenProcess") || starts("kernel32.dll!CreateFile") ||
         starts("kernel32.dll!VirtualAllocEx");
}

std::string install_hooks() {
  std::string problems;
  const std::vector<Entry> table = entries();
  // The test program, the library and the framework: every place that makes objects in a test.
  const std::pair<const char*, HMODULE> modules[] = {
      {"the test program", GetModuleHandleA(nullptr)},
      {"veneer.dll", GetModuleHandleA("veneer.dll")},
      {"veneer-framework.dll", GetModuleHandleA("veneer-framework.dll")}};
  for (const auto& [label, module] : modules) {
    if (!module) {
      problems += std::string(label) + " is not loaded; ";
      continue;
    }
    for (const std::string& import : hooks::imports_of(module)) {
      if (!makes_objects(import)) continue;
      bool followed = false;
      for (const Entry& e : table) followed = followed || import == std::string(e.dll) + "!" + e.name;
      if (!followed) problems += std::string(label) + " imports " + import + ", which no hook follows; ";
    }
    for (const Entry& e : table) {
      void* real = nullptr;
      if (hooks::patch_import(module, e.dll, e.name, e.hook, &real) && !*e.real) *e.real = real;
    }
  }
  return problems;
}

}  // namespace

const char* kind_name(Kind kind) {
  static const char* const names[] = {"bitmap",         "brush",       "pen",
                                      "font",           "region",      "device context",
                                      "process handle", "file handle", "remote allocation"};
  return kind < KindCount ? names[kind] : "?";
}

const std::string& install() {
  static const std::string problems = install_hooks();
  return problems;
}

Counts counts() {
  std::lock_guard g(lock);
  return live_counts;
}

}  // namespace veneer::test::live
#endif
