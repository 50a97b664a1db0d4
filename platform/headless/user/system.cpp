// The desktop's system parameters and metrics, and rectangle helpers.
#include <algorithm>

#include "user/desktop_state.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

extern "C" {

BOOL WINAPI SystemParametersInfoA(UINT action, UINT, PVOID pvparam, UINT) {
  std::lock_guard lock(platform_lock());
  switch (action) {
    case SPI_GETWORKAREA:
      if (!pvparam) return FALSE;
      *static_cast<RECT*>(pvparam) = desktop().work_area;
      return TRUE;
    case SPI_SETWORKAREA:
      // Taken as given, as Wine does.
      if (!pvparam) return FALSE;
      desktop().work_area = *static_cast<const RECT*>(pvparam);
      return TRUE;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

int WINAPI GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return screen_width;
    case SM_CYSCREEN:
      return screen_height;
    case SM_CYCAPTION:
      return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CYSMCAPTION:
      return 16;
    case SM_CXMINTRACK:
      return 112;
    case SM_CYMINTRACK:
      return 27;
    case SM_CXMAXTRACK:
      return screen_width + 12;
    case SM_CYMAXTRACK:
      return screen_height + 12;
    case SM_CXMINIMIZED:
      return 160;
    case SM_CYMINIMIZED:
      return 24;
    default:
      return 0;
  }
}

}  // extern "C"
