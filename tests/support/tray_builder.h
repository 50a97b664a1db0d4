// Builds a notification area the way a shell does, from windows of the four tray classes and a
// real toolbar whose buttons carry the addresses of icon records (owner window, identifier) in
// the memory of the building process. Win32 calls only: it runs in the Windows helper process
// and, on the headless platform, as a simulated process.
#pragma once

#include <cstdint>
#include <vector>

#include <veneer/framework/win32_api.h>

namespace veneer::test {

enum class TrayShape : std::uint32_t {
  Full,       // "Shell_TrayWnd" > "TrayNotifyWnd" > "SysPager" > "ToolbarWindow32"
  NoPager,    // the toolbar directly in the notification area
  NoToolbar,  // a pager without a toolbar
};

struct TrayIconEntry {
  std::uint64_t owner = 0;  // the owner window's handle value
  std::uint32_t id = 0;
  std::uint32_t hidden = 0;     // the button is hidden
  std::uint32_t cut_short = 0;  // the record's head runs into an inaccessible page
};

constexpr int max_tray_icons = 16;
constexpr int tray_screen_left = 700;  // where the notification area starts on the screen
constexpr int tray_screen_top = 732;

struct TrayRequest {
  TrayShape shape = TrayShape::Full;
  std::int32_t pager_width = 260;
  std::uint32_t count = 0;
  TrayIconEntry icons[max_tray_icons];
  // A toolbar that lies, as any process can make one: when not 0, it answers TB_BUTTONCOUNT
  // with claimed_count; when claim_item_rect is set, every TB_GETITEMRECT with claimed_item_rect.
  std::int32_t claimed_count = 0;
  std::uint32_t claim_item_rect = 0;
  RECT claimed_item_rect{};
};

struct TrayReport {
  std::uint32_t ok = 0;
  std::uint32_t process_id = 0;
  std::uint64_t taskbar = 0, notify = 0, pager = 0, toolbar = 0;
  RECT icon_rects[max_tray_icons] = {};  // on the screen; empty for hidden buttons
  std::uint32_t button_requests = 0;     // TB_GETBUTTON messages the toolbar got since it was built
};

class TrayBuilder {
 public:
  TrayReport build(const TrayRequest& request);
  void destroy();
  std::uint32_t button_requests() const;

 private:
  HWND taskbar_ = nullptr;
  void* records_ = nullptr;
};

}  // namespace veneer::test
