// Kernel basics of the headless platform: last error, the module loader and global memory.
#pragma once

#include <cstring>

#include <veneer/headless/types.h>

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_PARTIAL_COPY 299L
#define ERROR_NOACCESS 998L
#define ERROR_FILE_INVALID 1006L
#define ERROR_DLL_INIT_FAILED 1114L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_NOT_LOCKED 158L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_NOT_ENOUGH_QUOTA 1816L

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#define MoveMemory(destination, source, length) std::memmove((destination), (source), (length))
#define CopyMemory(destination, source, length) std::memcpy((destination), (source), (length))
#define FillMemory(destination, length, fill) std::memset((destination), (fill), (length))
#define ZeroMemory(destination, length) std::memset((destination), 0, (length))

typedef BOOL(WINAPI* HEADLESS_MODULE_ENTRY)(HINSTANCE, DWORD, LPVOID);

extern "C" {
HEADLESS_API DWORD WINAPI GetLastError();
HEADLESS_API void WINAPI SetLastError(DWORD code);

// Loads a shared object and runs its module entry (see HeadlessRunModuleEntry); a module
// whose entry fails at process attach is unloaded again and the call fails with
// ERROR_DLL_INIT_FAILED, as on Win32.
HEADLESS_API HMODULE WINAPI LoadLibraryA(LPCSTR file_name);
HEADLESS_API BOOL WINAPI FreeLibrary(HMODULE module);
// A null name gives the main program; a built-in system module ("user32.dll") gives its
// pseudo-module; a loaded shared object is found by its file name.
HEADLESS_API HMODULE WINAPI GetModuleHandleA(LPCSTR module_name);
HEADLESS_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR proc_name);

// The headless loader's counterpart of a DLL's entry point. A shared object calls it from
// its load hook (reason DLL_PROCESS_ATTACH) and its unload hook (DLL_PROCESS_DETACH); the
// platform runs the entry, remembers a failed attach, and skips the detach of a module whose
// attach failed. A failed attach during LoadLibraryA fails that call; a failed attach of a
// module loaded with the program ends the process, as Win32 does.
HEADLESS_API BOOL WINAPI HeadlessRunModuleEntry(HMODULE self, HEADLESS_MODULE_ENTRY entry, DWORD reason);
// The module handle of the shared object that contains the given address.
HEADLESS_API HMODULE WINAPI HeadlessModuleFromAddress(const void* address);

// Closes a kernel handle (a file, a process, a token); the current-process pseudo-handle closes
// without effect.
HEADLESS_API BOOL WINAPI CloseHandle(HANDLE object);
// The path of the module's file (the program's for a null module), as the host names it.
HEADLESS_API DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size);

#define CP_ACP 0

// The system's ANSI code page (1252 unless a test sets another) and whether a byte begins a
// double-byte character in it.
HEADLESS_API UINT WINAPI GetACP();
HEADLESS_API BOOL WINAPI IsDBCSLeadByte(BYTE test_char);
HEADLESS_API BOOL WINAPI IsDBCSLeadByteEx(UINT code_page, BYTE test_char);

HEADLESS_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
HEADLESS_API HGLOBAL WINAPI GlobalFree(HGLOBAL memory);
HEADLESS_API LPVOID WINAPI GlobalLock(HGLOBAL memory);
HEADLESS_API BOOL WINAPI GlobalUnlock(HGLOBAL memory);
HEADLESS_API SIZE_T WINAPI GlobalSize(HGLOBAL memory);
}
