// The one header through which the library reaches its platform: Win32 (or the headless
// platform's implementation of the same subset) and the application framework.
#pragma once

#include "frame/host_path.h"
#include <veneer/framework/afx.h>
#include <veneer/framework/win32_api.h>
