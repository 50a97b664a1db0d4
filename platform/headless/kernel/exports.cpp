// kernel32's and psapi's entry tables, so that a program can look an entry up by name
// (GetProcAddress) and a test can take one away to play an older platform.
#include "kernel/builtin_modules.h"
#include <veneer/headless/kernel_base.h>
#include <veneer/headless/kernel_file.h>
#include <veneer/headless/kernel_process.h>

namespace veneer::headless {
namespace {

const BuiltinEntry entries[] = {
    {"kernel32.dll", "GetLastError", as_entry(GetLastError)},
    {"kernel32.dll", "SetLastError", as_entry(SetLastError)},
    {"kernel32.dll", "LoadLibraryA", as_entry(LoadLibraryA)},
    {"kernel32.dll", "FreeLibrary", as_entry(FreeLibrary)},
    {"kernel32.dll", "GetModuleHandleA", as_entry(GetModuleHandleA)},
    {"kernel32.dll", "GetProcAddress", as_entry(GetProcAddress)},
    {"kernel32.dll", "GetModuleFileNameA", as_entry(GetModuleFileNameA)},
    {"kernel32.dll", "CloseHandle", as_entry(CloseHandle)},
    {"kernel32.dll", "GlobalAlloc", as_entry(GlobalAlloc)},
    {"kernel32.dll", "GlobalFree", as_entry(GlobalFree)},
    {"kernel32.dll", "GlobalLock", as_entry(GlobalLock)},
    {"kernel32.dll", "GlobalUnlock", as_entry(GlobalUnlock)},
    {"kernel32.dll", "GlobalSize", as_entry(GlobalSize)},
    {"kernel32.dll", "CreateFileA", as_entry(CreateFileA)},
    {"kernel32.dll", "ReadFile", as_entry(ReadFile)},
    {"kernel32.dll", "WriteFile", as_entry(WriteFile)},
    {"kernel32.dll", "GetFileSize", as_entry(GetFileSize)},
    {"kernel32.dll", "GetFileSizeEx", as_entry(GetFileSizeEx)},
    {"kernel32.dll", "GetFileType", as_entry(GetFileType)},
    {"kernel32.dll", "FlushFileBuffers", as_entry(FlushFileBuffers)},
    {"kernel32.dll", "DeleteFileA", as_entry(DeleteFileA)},
    {"kernel32.dll", "MoveFileExA", as_entry(MoveFileExA)},
    {"kernel32.dll", "GetFileAttributesA", as_entry(GetFileAttributesA)},
    {"kernel32.dll", "GetCurrentProcessId", as_entry(GetCurrentProcessId)},
    {"kernel32.dll", "GetCurrentThreadId", as_entry(GetCurrentThreadId)},
    {"kernel32.dll", "GetCurrentProcess", as_entry(GetCurrentProcess)},
    {"kernel32.dll", "OpenProcess", as_entry(OpenProcess)},
    {"kernel32.dll", "IsWow64Process", as_entry(IsWow64Process)},
    {"kernel32.dll", "VirtualAlloc", as_entry(VirtualAlloc)},
    {"kernel32.dll", "VirtualFree", as_entry(VirtualFree)},
    {"kernel32.dll", "VirtualProtect", as_entry(VirtualProtect)},
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
