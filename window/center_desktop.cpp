#include "frame/platform.h"
#include <veneer/veneer.h>

namespace {
constexpr int fallback_position = 100;
}

void AfxCenterDesktop(HWND window, int width, int height) {
  if (!IsWindow(window) || width <= 0 || height <= 0) return;
  int x = fallback_position, y = fallback_position;
  RECT work{};
  if (SystemParametersInfoA(SPI_GETWORKAREA, sizeof(RECT), &work, 0)) {
    // Centred within the work area, wherever the work area starts (a taskbar on the left or
    // at the top moves its origin). The sums are taken wide: edges far apart must not wrap.
    long long free_width = static_cast<long long>(work.right) - work.left - width;
    long long free_height = static_cast<long long>(work.bottom) - work.top - height;
    x = static_cast<int>(work.left + free_width / 2);
    y = static_cast<int>(work.top + free_height / 2);
  }
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER);
}
