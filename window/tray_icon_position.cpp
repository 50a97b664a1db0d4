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

// Looks through the tray toolbar's buttons, in index order, for the first whose icon record
// names the owner and identifier. The records live in the tray's process, laid out as that
// process lays them out.
int search_toolbar(HWND toolbar, HANDLE process, HWND owner, int icon_id, CRect& rect) {
  const veneer::frame::TrayRecordLayout layout = veneer::frame::tray_record_layout(process);
  int result = 0;
  int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
  // The buffer receives a button record, and later an item rectangle.
  void* buffer = VirtualAllocEx(process, nullptr, layout.button_size, MEM_COMMIT, PAGE_READWRITE);
  if (!buffer || count < 1) {
    if (buffer) VirtualFreeEx(process, buffer, 0, MEM_RELEASE);
    CloseHandle(process);
    return 0;
  }
  const unsigned long long owner_value = reinterpret_cast<std::uintptr_t>(owner);
  for (int index = 0; index < count; ++index) {
    unsigned char button[32] = {};
    SIZE_T copied = preset_count;
    SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    ReadProcessMemory(process, buffer, button, layout.button_size, &copied);
    if (copied < layout.button_size) continue;

    unsigned long long record_address = read_unsigned(button + layout.data_offset, layout.pointer_size);
    if (record_address > UINTPTR_MAX) continue;  // out of this process's reach
    unsigned char head[12] = {};
    copied = preset_count;
    ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(record_address)), head,
                      layout.head_size, &copied);
    if (copied < layout.head_size) continue;

    // Window handles carry 32 significant bits on every Windows, whatever the pointer width.
    unsigned long long record_owner = read_unsigned(head, layout.pointer_size);
    bool same_owner = layout.pointer_size == 4 || sizeof(void*) == 4
                          ? static_cast<std::uint32_t>(record_owner) == static_cast<std::uint32_t>(owner_value)
                          : record_owner == owner_value;
    auto record_id = static_cast<std::uint32_t>(read_unsigned(head + layout.id_offset, 4));
    if (!same_owner || record_id != static_cast<std::uint32_t>(icon_id)) continue;

    // The first match decides, even when it is hidden.
    if (button[layout.state_offset] & TBSTATE_HIDDEN) break;
    RECT item{};
    SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    copied = preset_count;
    ReadProcessMemory(process, buffer, &item, sizeof item, &copied);
    if (copied < sizeof item) break;
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&item), 2);
    CopyRect(&rect, &item);
    result = 1;
    break;
  }
  VirtualFreeEx(process, buffer, 0, MEM_RELEASE);
  CloseHandle(process);
  return result;
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
  return search_toolbar(toolbar, process, owner, icon_id, rect);
}
