#include "tests/support/platform_spy.h"

#include <cstdint>
#include <cstring>

#ifdef _WIN32
#include <set>
#else
#include <veneer/headless/testing.h>
#endif

namespace veneer::test::spy {

namespace {

RECT shell_answer{};

HRESULT WINAPI shell_notify_icon_get_rect(const NOTIFYICONIDENTIFIER*, RECT* rect) {
  *rect = shell_answer;
  return S_OK;
}

}  // namespace

#ifdef _WIN32

namespace {

Animation animation_seen;
unsigned trims_seen = 0;
Flash flash_seen;
bool flash_missing = false;
std::set<HANDLE> handles;
std::set<LPVOID> allocations;

decltype(&DrawAnimatedRects) real_draw_animated_rects;
decltype(&SetProcessWorkingSetSize) real_set_working_set;
decltype(&GetProcAddress) real_get_proc_address;
decltype(&OpenProcess) real_open_process;
decltype(&CloseHandle) real_close_handle;
decltype(&VirtualAllocEx) real_virtual_alloc_ex;
decltype(&VirtualFreeEx) real_virtual_free_ex;
FARPROC real_flash_window_ex;
bool shell_answers = false;

BOOL WINAPI draw_animated_rects(HWND window, int id, const RECT* from, const RECT* to) {
  ++animation_seen.count;
  animation_seen.window = window;
  animation_seen.animation = id;
  if (from) animation_seen.from = *from;
  if (to) animation_seen.to = *to;
  return real_draw_animated_rects(window, id, from, to);
}

BOOL WINAPI set_working_set(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
  if (minimum == static_cast<SIZE_T>(-1) && maximum == static_cast<SIZE_T>(-1)) ++trims_seen;
  return real_set_working_set(process, minimum, maximum);
}

BOOL WINAPI flash_window_ex(PFLASHWINFO info) {
  ++flash_seen.calls;
  flash_seen.window = info->hwnd;
  flash_seen.flags = info->dwFlags;
  flash_seen.count = info->uCount;
  flash_seen.timeout = info->dwTimeout;
  return reinterpret_cast<BOOL(WINAPI*)(PFLASHWINFO)>(reinterpret_cast<void (*)()>(real_flash_window_ex))(info);
}

FARPROC WINAPI get_proc_address(HMODULE module, LPCSTR name) {
  FARPROC real = real_get_proc_address(module, name);
  if (real && reinterpret_cast<std::uintptr_t>(name) >= 0x10000 && std::strcmp(name, "FlashWindowEx") == 0) {
    if (flash_missing) return nullptr;
    real_flash_window_ex = real;
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(flash_window_ex));
  }
  if (shell_answers && reinterpret_cast<std::uintptr_t>(name) >= 0x10000 &&
      std::strcmp(name, "Shell_NotifyIconGetRect") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(shell_notify_icon_get_rect));
  return real;
}

HANDLE WINAPI open_process(DWORD access, BOOL inherit, DWORD id) {
  HANDLE h = real_open_process(access, inherit, id);
  if (h) handles.insert(h);
  return h;
}

BOOL WINAPI close_handle(HANDLE h) {
  handles.erase(h);
  return real_close_handle(h);
}

LPVOID WINAPI virtual_alloc_ex(HANDLE process, LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
  LPVOID p = real_virtual_alloc_ex(process, address, size, type, protect);
  if (p) allocations.insert(p);
  return p;
}

BOOL WINAPI virtual_free_ex(HANDLE process, LPVOID address, SIZE_T size, DWORD type) {
  BOOL ok = real_virtual_free_ex(process, address, size, type);
  if (ok && type == MEM_RELEASE) allocations.erase(address);
  return ok;
}

// Points the module's import of dll!name at the replacement; returns the import's old target.
template <typename F>
bool patch(HMODULE module, const char* dll, const char* name, F replacement, F& original) {
  auto* base = reinterpret_cast<unsigned char*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return false;
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
    if (_stricmp(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
    auto* names =
        reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(by_name->Name), name) != 0) continue;
      DWORD old = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      original = reinterpret_cast<F>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<std::uintptr_t>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      return true;
    }
  }
  return false;
}

}  // namespace

void install() {
  static bool done = false;
  if (done) return;
  done = true;
  HMODULE library = GetModuleHandleA("veneer.dll");
  if (!library) return;
  patch(library, "user32.dll", "DrawAnimatedRects", &draw_animated_rects, real_draw_animated_rects);
  patch(library, "kernel32.dll", "SetProcessWorkingSetSize", &set_working_set, real_set_working_set);
  patch(library, "kernel32.dll", "GetProcAddress", &get_proc_address, real_get_proc_address);
  patch(library, "kernel32.dll", "OpenProcess", &open_process, real_open_process);
  patch(library, "kernel32.dll", "CloseHandle", &close_handle, real_close_handle);
  patch(library, "kernel32.dll", "VirtualAllocEx", &virtual_alloc_ex, real_virtual_alloc_ex);
  patch(library, "kernel32.dll", "VirtualFreeEx", &virtual_free_ex, real_virtual_free_ex);
}

Animation last_animation() { return animation_seen; }
unsigned trims() { return trims_seen; }
Flash last_flash(HWND) { return flash_seen; }
void set_flash_entry_missing(bool missing) { flash_missing = missing; }
void set_shell_icon_rect(const RECT* answer) {
  shell_answers = answer != nullptr;
  if (answer) shell_answer = *answer;
}
long open_process_handles() { return static_cast<long>(handles.size()); }
long remote_allocations() { return static_cast<long>(allocations.size()); }

#else

using namespace veneer::headless::testing;

void install() {}

Animation last_animation() {
  CaptionAnimation a = last_caption_animation();
  return Animation{a.count, a.window, a.animation, a.from, a.to};
}

unsigned trims() { return working_set_trims(); }

Flash last_flash(HWND window) {
  FlashState s = flash_state(window);
  return Flash{s.requests, window, s.flags, s.count, s.timeout};
}

void set_flash_entry_missing(bool missing) {
  if (missing)
    remove_entry_point("user32.dll", "FlashWindowEx");
  else
    restore_entry_point("user32.dll", "FlashWindowEx");
}

void set_shell_icon_rect(const RECT* answer) {
  static bool replaced = false;
  if (answer) shell_answer = *answer;
  if (answer && !replaced)
    replaced = replace_entry_point("shell32.dll", "Shell_NotifyIconGetRect",
                                   reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(shell_notify_icon_get_rect)));
  else if (!answer && replaced)
    replaced = !restore_entry_point("shell32.dll", "Shell_NotifyIconGetRect");
}

long open_process_handles() { return static_cast<long>(live_objects(ObjectKind::ProcessHandle)); }
long remote_allocations() { return static_cast<long>(live_objects(ObjectKind::RemoteAllocation)); }

#endif

}  // namespace veneer::test::spy
