#include "tests/support/tray_builder.h"

#include <cstdint>
#include <cstring>

namespace veneer::test {
namespace {

struct IconRecordHead {
  HWND owner;
  UINT id;
};

// The records of a 32-bit process, for a builder that plays one beside 64-bit code (the
// headless platform can say a process is 32-bit; a real 64-bit process never is).
struct IconRecordHead32 {
  std::uint32_t owner;
  std::uint32_t id;
};
struct Button32 {
  std::int32_t bitmap, command;
  std::uint8_t state, style, reserved[2];
  std::uint32_t data;
  std::int32_t string;
};

bool builds_32_bit_records() {
  BOOL wow64 = FALSE;
  return sizeof(void*) == 8 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The toolbar's own procedure, wrapped to count button requests and to tell what a request
// asked it to claim. One tray at a time.
struct Claims {
  WNDPROC toolbar_proc = nullptr;
  std::int32_t count = 0;
  bool item_rect = false;
  RECT item{};
  std::uint32_t button_requests = 0;
};
Claims claims;

LRESULT CALLBACK claiming_toolbar(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == TB_GETBUTTON) ++claims.button_requests;
  if (message == TB_BUTTONCOUNT && claims.count != 0) return claims.count;
  if (message == TB_GETITEMRECT && claims.item_rect && lparam) {
    std::memcpy(reinterpret_cast<void*>(lparam), &claims.item, sizeof claims.item);
    return TRUE;
  }
  return CallWindowProcA(claims.toolbar_proc, window, message, wparam, lparam);
}

void register_tray_class(const char* name) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  RegisterClassA(&wc);  // a second build finds it registered
}

HWND child(const char* cls, HWND parent, int x, int y, int w, int h, DWORD extra_style = 0) {
  return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | extra_style, x, y, w, h, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

TrayReport TrayBuilder::build(const TrayRequest& request) {
  destroy();
  TrayReport report;
  report.process_id = GetCurrentProcessId();
  if (request.count > max_tray_icons) return report;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  register_tray_class("Shell_TrayWnd");
  register_tray_class("TrayNotifyWnd");
  register_tray_class("SysPager");

  // Shown without activation, as a taskbar is: the foreground stays where it was.
  taskbar_ = CreateWindowExA(WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, tray_screen_top - 4, 1024, 40, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND notify = child("TrayNotifyWnd", taskbar_, tray_screen_left, 4, 300, 32);
  HWND pager = nullptr, toolbar = nullptr;
  HWND toolbar_parent = notify;
  if (request.shape != TrayShape::NoPager) {
    pager = child("SysPager", notify, 20, 2, request.pager_width, 28);
    toolbar_parent = pager;
  }
  if (request.shape != TrayShape::NoToolbar)
    toolbar = child(TOOLBARCLASSNAMEA, toolbar_parent, 4, 2, 250, 24,
                    CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_FLAT);
  ShowWindow(taskbar_, SW_SHOWNA);
  report.taskbar = reinterpret_cast<std::uintptr_t>(taskbar_);
  report.notify = reinterpret_cast<std::uintptr_t>(notify);
  report.pager = reinterpret_cast<std::uintptr_t>(pager);
  report.toolbar = reinterpret_cast<std::uintptr_t>(toolbar);
  if (!taskbar_ || !notify || (request.shape != TrayShape::NoPager && !pager)) return report;
  if (!toolbar) {
    report.ok = request.shape == TrayShape::NoToolbar;
    return report;
  }

  // Two pages of records: whole records at the start of the first; a record cut short sits
  // across the end of the first page, and the second page is then made inaccessible.
  const SIZE_T page = 4096;
  records_ = VirtualAlloc(nullptr, 2 * page, MEM_COMMIT, PAGE_READWRITE);
  if (!records_) return report;
  auto* base = static_cast<unsigned char*>(records_);
  bool cut = false;
  const bool narrow = builds_32_bit_records();
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, narrow ? sizeof(Button32) : sizeof(TBBUTTON), 0);
  for (std::uint32_t i = 0; i < request.count; ++i) {
    const TrayIconEntry& entry = request.icons[i];
    const std::size_t handle_size = narrow ? 4 : sizeof(HWND);
    unsigned char* record = entry.cut_short ? base + page - handle_size : base + 32 * i;
    cut = cut || entry.cut_short;
    TBBUTTON button{};
    button.iBitmap = static_cast<int>(i);
    button.idCommand = 100 + static_cast<int>(i);
    button.fsState = TBSTATE_ENABLED | (entry.hidden ? TBSTATE_HIDDEN : 0);
    button.fsStyle = BTNS_BUTTON;
    button.dwData = reinterpret_cast<DWORD_PTR>(record);
    button.iString = -1;
    if (narrow) {
      const IconRecordHead32 head{static_cast<std::uint32_t>(entry.owner), entry.id};
      std::memcpy(record, &head, sizeof head);
      const Button32 b{button.iBitmap,
                       button.idCommand,
                       button.fsState,
                       button.fsStyle,
                       {0, 0},
                       static_cast<std::uint32_t>(button.dwData),
                       -1};
      SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
    } else {
      const IconRecordHead head{reinterpret_cast<HWND>(static_cast<std::uintptr_t>(entry.owner)), entry.id};
      std::memcpy(record, &head, sizeof head);
      SendMessageA(toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
  }
  DWORD old = 0;
  if (cut) VirtualProtect(base + page, page, PAGE_NOACCESS, &old);
  for (std::uint32_t i = 0; i < request.count; ++i) {
    RECT r{};
    if (SendMessageA(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) {
      MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&r), 2);
      report.icon_rects[i] = r;
    }
  }
  claims = Claims{};
  claims.count = request.claimed_count;
  claims.item_rect = request.claim_item_rect != 0;
  claims.item = request.claimed_item_rect;
  claims.toolbar_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(toolbar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&claiming_toolbar)));
  report.ok = claims.toolbar_proc != nullptr;
  return report;
}

std::uint32_t TrayBuilder::button_requests() const { return claims.button_requests; }

void TrayBuilder::destroy() {
  if (taskbar_ && IsWindow(taskbar_)) DestroyWindow(taskbar_);
  taskbar_ = nullptr;
  if (records_) VirtualFree(records_, 0, MEM_RELEASE);
  records_ = nullptr;
}

}  // namespace veneer::test
