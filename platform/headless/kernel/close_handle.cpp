#include "kernel/object_table.h"
#include <veneer/headless/kernel_base.h>

using namespace veneer::headless;

extern "C" BOOL WINAPI CloseHandle(HANDLE object) {
  // GetCurrentProcess() gives the pseudo-handle -1, which needs no closing.
  if (object == INVALID_HANDLE_VALUE) return TRUE;
  Object* o = find_any_object(object);
  if (o && (o->kind == ObjectKind::FileHandle || o->kind == ObjectKind::ProcessHandle ||
            o->kind == ObjectKind::AccessToken)) {
    if (erase_object(object, o->kind)) return TRUE;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
