// kernel32's and psapi's entry tables, so that a program can look an entry up by name
// (GetProcAddress) and a test can take one away to play an older platform.
#include "kernel/builtin_modules.h"
#include <veneer/headless/kernel_process.h>

namespace veneer::headless {
namespace {

const BuiltinEntry entries[] = {
    {"kernel32.dll", "GetCurrentProcessId", as_entry(GetCurrentProcessId)},
    {"kernel32.dll", "GetCurrentThreadId", as_entry(GetCurrentThreadId)},
    {"kernel32.dll", "GetCurrentProcess", as_entry(GetCurrentProcess)},
    {"kernel32.dll", "OpenProcess", as_entry(OpenProcess)},
    {"kernel32.dll", "IsWow64Process", as_entry(IsWow64Process)},
    {"kernel32.dll", "VirtualAllocEx", as_entry(VirtualAllocEx)},
    {"kernel32.dll", "VirtualFreeEx", as_entry(VirtualFreeEx)},
    {"kernel32.dll", "VirtualProtectEx", as_entry(VirtualProtectEx)},
    {"kernel32.dll", "ReadProcessMemory", as_entry(ReadProcessMemory)},
    {"kernel32.dll", "WriteProcessMemory", as_entry(WriteProcessMemory)},
    {"kernel32.dll", "SetProcessWorkingSetSize", as_entry(SetProcessWorkingSetSize)},
    {"kernel32.dll", "K32GetProcessMemoryInfo", as_entry(GetProcessMemoryInfo)},
    {"psapi.dll", "GetProcessMemoryInfo", as_entry(GetProcessMemoryInfo)},
};

const bool registered = register_builtin_entries(entries);

}  // namespace
}  // namespace veneer::headless
