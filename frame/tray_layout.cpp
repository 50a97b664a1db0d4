#include "frame/tray_layout.h"

namespace veneer::frame {
namespace {

constexpr TrayRecordLayout layout32{20, 8, 12, 4, 8, 4};
constexpr TrayRecordLayout layout64{32, 8, 16, 8, 12, 8};

}  // namespace

TrayRecordLayout tray_record_layout(HANDLE process) {
  const TrayRecordLayout own = sizeof(void*) == 8 ? layout64 : layout32;
  // A 32-bit process on a 64-bit system runs under WOW64. From a 64-bit process, a WOW64
  // process is 32-bit; from a 32-bit process that is itself WOW64, a process that is not is
  // 64-bit; on a 32-bit system every process is 32-bit.
  BOOL target_wow64 = FALSE;
  if (!IsWow64Process(process, &target_wow64)) return own;
  if (sizeof(void*) == 8) return target_wow64 ? layout32 : layout64;
  BOOL self_wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &self_wow64)) return own;
  return self_wow64 && !target_wow64 ? layout64 : layout32;
}

}  // namespace veneer::frame
