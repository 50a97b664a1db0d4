#include <cstdint>
#include <cstring>

#include "frame/platform.h"
#include "frame/tray_layout.h"
#include <veneer/veneer.h>

namespace {

// The library's own value for "all access": the one every Windows version accepts.
constexpr DWORD process_all_access = 0x1F0FFF;
constexpr SIZE_T preset_count = static_cast<SIZE_T>(-1);

typedef HRESULT(WINAPI* NotifyIconGetRectProc)(const NOTIFYICONIDENTIFIER*, RECT*);

unsigned long long read_unsigned(const unsigned char* bytes, std::size_t size) {
  unsigned long long v = 0;
  for (std::size_t i = size; i-- > 0;) v = (v << 8) | bytes[i];  // little-endian
  return v;
}

// Current shells draw the tray without the toolbar chain; they answer for the icon's place
// themselves. The entry point exists only on newer shells, so it is looked up at each call.
int ask_shell(HWND owner, int icon_id, CRect& rect) {
  HMODULE shell = GetModuleHandleA("shell32.dll");
  FARPROC entry = shell ? GetProcAddress(shell, "Shell_NotifyIconGetRect") : nullptr;
  if (!entry) return 0;
  NOTIFYICONIDENTIFIER identifier{};
  identifier.cbSize = sizeof identifier;
  identifier.hWnd = owner;
  identifier.uID = static_cast<UINT>(icon_id);
  RECT found{};
  HRESULT hr = reinterpret_cast<NotifyIconGetRectProc>(reinterpret_cast<void (*)()>(entry))(&identifier, &found);
  if (hr < 0) return 0;
  CopyRect(&rect, &found);
  return 1;
}

// No real tray holds more buttons than this: each icon it shows is a USER object of the
// shell's process, and a process may own at most 10,000 of them (the default quota). A toolbar
// that claims more is not walked; at the cost of a few cross-process calls per button, a
// made-up count of INT_MAX would hold the caller for many minutes.
constexpr int max_tray_buttons = 10000;

// What the walk over the toolbar's buttons came to.
enum class Walk {
  Found,       // the icon's rectangle was copied out
  NotThere,    // every button was read: no match, or the first match is hidden or has no place
  Incomplete,  // no match among the buttons read, but some could not be read or reached
};

// Looks through the tray toolbar's buttons, in index order, for the first whose icon record
// names the owner and identifier. The records live in the tray's process, laid out as that
// process lays them out.
Walk search_toolbar(HWND toolbar, HANDLE process, HWND owner, int icon_id, CRect& rect) {
  const veneer::frame::TrayRecordLayout layout = veneer::frame::tray_record_layout(process);
  const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  if (count > max_tray_buttons) return Walk::Incomplete;
  // The buffer receives a button record, and later an item rectangle.
  void* buffer = VirtualAllocEx(process, nullptr, layout.button_size, MEM_COMMIT, PAGE_READWRITE);
  if (!buffer) return Walk::NotThere;
  Walk walk = Walk::NotThere;
  bool skipped = false;  // a record that could not be read or lies out of this process's reach
  const unsigned long long owner_value = reinterpret_cast<std::uintptr_t>(owner);
  for (int index = 0; index < count; ++index) {
    unsigned char button[32] = {};
    SIZE_T copied = preset_count;
    SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    ReadProcessMemory(process, buffer, button, layout.button_size, &copied);
    unsigned long long record_address = read_unsigned(button + layout.data_offset, layout.pointer_size);
    // A 32-bit process cannot name memory above 4 GiB, where a 64-bit shell keeps its records.
    if (copied < layout.button_size || record_address > UINTPTR_MAX) {
      skipped = true;
      continue;
    }
    unsigned char head[12] = {};
    copied = preset_count;
    ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(record_address)), head,
                      layout.head_size, &copied);
    if (copied < layout.head_size) {
      skipped = true;
      continue;
    }

    // Window handles carry 32 significant bits on every Windows, whatever the pointer width.
    unsigned long long record_owner = read_unsigned(head, layout.pointer_size);
    bool same_owner = layout.pointer_size == 4 || sizeof(void*) == 4
                          ? static_cast<std::uint32_t>(record_owner) == static_cast<std::uint32_t>(owner_value)
                          : record_owner == owner_value;
    auto record_id = static_cast<std::uint32_t>(read_unsigned(head + layout.id_offset, 4));
    if (!same_owner || record_id != static_cast<std::uint32_t>(icon_id)) continue;

    // The first match decides, even when it is hidden.
    skipped = false;
    if (button[layout.state_offset] & TBSTATE_HIDDEN) break;
    RECT item{};
    SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    copied = preset_count;
    ReadProcessMemory(process, buffer, &item, sizeof item, &copied);
    if (copied < sizeof item) break;
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&item), 2);
    CopyRect(&rect, &item);
    walk = Walk::Found;
    break;
  }
  VirtualFreeEx(process, buffer, 0, MEM_RELEASE);
  return skipped ? Walk::Incomplete : walk;
}

}  // namespace

int AfxFindTrayIconPosition(HWND owner, int icon_id, CRect& rect) {
  if (!IsWindow(owner) || icon_id < 0) return 0;
  HWND toolbar = AfxTrayNotifyToolbarWnd();
  if (!toolbar) return ask_shell(owner, icon_id, rect);
  DWORD process_id = 0xFFFFFFFF;
  GetWindowThreadProcessId(toolbar, &process_id);
  if (process_id == 0) return 0;
  HANDLE process = OpenProcess(process_all_access, FALSE, process_id);
  if (!process) return 0;
  const Walk walk = search_toolbar(toolbar, process, owner, icon_id, rect);
  CloseHandle(process);
  // Where the toolbar could not tell, the shell may still know the icon's place.
  if (walk == Walk::Incomplete) return ask_shell(owner, icon_id, rect);
  return walk == Walk::Found ? 1 : 0;
}
