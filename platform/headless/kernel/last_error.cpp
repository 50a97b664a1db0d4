#include <veneer/headless/kernel_base.h>

namespace {
thread_local DWORD last_error = ERROR_SUCCESS;
}

extern "C" {
DWORD WINAPI GetLastError() { return last_error; }
void WINAPI SetLastError(DWORD code) { last_error = code; }
}
