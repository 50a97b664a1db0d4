#include "frame/platform.h"
#include <veneer/veneer.h>

namespace {
constexpr int tray_box_width = 50;
constexpr int centre_threshold = 80;
}  // namespace

HWND AfxTrayNotifyWnd() {
  HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  if (!IsWindow(taskbar)) return nullptr;
  return FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
}

HWND AfxTrayNotifyToolbarWnd() {
  HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  if (!IsWindow(taskbar)) return nullptr;
  HWND notify = FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
  if (!IsWindow(notify)) return nullptr;
  HWND pager = FindWindowExA(notify, nullptr, "SysPager", nullptr);
  if (!IsWindow(pager)) return nullptr;
  HWND toolbar = FindWindowExA(pager, nullptr, "ToolbarWindow32", nullptr);
  return IsWindow(toolbar) ? toolbar : nullptr;
}

void AfxAnimate2Tray(HWND window) {
  if (!IsWindow(window) || !IsWindowVisible(window) || IsIconic(window)) return;
  HWND notify = AfxTrayNotifyWnd();
  if (!IsWindow(notify)) return;
  HWND pager = FindWindowExA(notify, nullptr, "SysPager", nullptr);
  RECT target{};
  GetWindowRect(IsWindow(pager) ? pager : notify, &target);
  // A box 50 pixels wide: centred in a wide area, at the left of a narrow one.
  long long width = static_cast<long long>(target.right) - target.left;
  if (width > centre_threshold) {
    target.left = static_cast<LONG>(target.left + (width - tray_box_width) / 2);
    target.right = target.left + tray_box_width;
  } else if (width > tray_box_width) {
    target.right = target.left + tray_box_width;
  }
  RECT from{};
  GetWindowRect(window, &from);
  DrawAnimatedRects(window, IDANI_CAPTION, &from, &target);
}
