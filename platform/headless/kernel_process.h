// Processes of the headless platform: identities, process handles, the memory of a process
// (reserved, committed and protected pages, read and written across the process boundary)
// and the process-status counters with the working-set trim.
#pragma once

#include <veneer/headless/types.h>

#define ERROR_INVALID_ADDRESS 487L

typedef BOOL* PBOOL;
typedef DWORD* PDWORD;

#define PROCESS_TERMINATE 0x0001
#define PROCESS_VM_OPERATION 0x0008
#define PROCESS_VM_READ 0x0010
#define PROCESS_VM_WRITE 0x0020
#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_SET_QUOTA 0x0100
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#define PROCESS_ALL_ACCESS 0x001FFFFF

#define MEM_COMMIT 0x00001000
#define MEM_RESERVE 0x00002000
#define MEM_DECOMMIT 0x00004000
#define MEM_RELEASE 0x00008000

#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define PAGE_EXECUTE 0x10
#define PAGE_EXECUTE_READ 0x20
#define PAGE_EXECUTE_READWRITE 0x40

// The process-status counters, in Win32's layout: 40 bytes in a 32-bit process, 72 in a
// 64-bit one.
typedef struct _PROCESS_MEMORY_COUNTERS {
  DWORD cb;
  DWORD PageFaultCount;
  SIZE_T PeakWorkingSetSize;
  SIZE_T WorkingSetSize;
  SIZE_T QuotaPeakPagedPoolUsage;
  SIZE_T QuotaPagedPoolUsage;
  SIZE_T QuotaPeakNonPagedPoolUsage;
  SIZE_T QuotaNonPagedPoolUsage;
  SIZE_T PagefileUsage;
  SIZE_T PeakPagefileUsage;
} PROCESS_MEMORY_COUNTERS, *PPROCESS_MEMORY_COUNTERS;

static_assert(sizeof(PROCESS_MEMORY_COUNTERS) == (sizeof(void*) == 8 ? 72 : 40));

extern "C" {
HEADLESS_API DWORD WINAPI GetCurrentProcessId();
HEADLESS_API DWORD WINAPI GetCurrentThreadId();
// The pseudo-handle (-1) that stands for the calling process in every process call.
HEADLESS_API HANDLE WINAPI GetCurrentProcess();
HEADLESS_API HANDLE WINAPI OpenProcess(DWORD access, BOOL inherit_handle, DWORD process_id);
HEADLESS_API BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64);

HEADLESS_API LPVOID WINAPI VirtualAllocEx(HANDLE process, LPVOID address, SIZE_T size, DWORD allocation_type,
                                          DWORD protect);
HEADLESS_API BOOL WINAPI VirtualFreeEx(HANDLE process, LPVOID address, SIZE_T size, DWORD free_type);
HEADLESS_API BOOL WINAPI VirtualProtectEx(HANDLE process, LPVOID address, SIZE_T size, DWORD new_protect,
                                          PDWORD old_protect);
HEADLESS_API LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocation_type, DWORD protect);
HEADLESS_API BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD free_type);
HEADLESS_API BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size, DWORD new_protect, PDWORD old_protect);
// Copies up to the first page that cannot be read: a short read fails with
// ERROR_PARTIAL_COPY and stores the count of bytes copied, as Win32 does.
HEADLESS_API BOOL WINAPI ReadProcessMemory(HANDLE process, LPCVOID address, LPVOID buffer, SIZE_T size,
                                           SIZE_T* bytes_read);
HEADLESS_API BOOL WINAPI WriteProcessMemory(HANDLE process, LPVOID address, LPCVOID buffer, SIZE_T size,
                                            SIZE_T* bytes_written);

// The working set of the real process is its resident size; both limits (SIZE_T)-1 trim
// it: the freed memory that the heap still holds goes back to the system.
HEADLESS_API BOOL WINAPI GetProcessMemoryInfo(HANDLE process, PPROCESS_MEMORY_COUNTERS counters, DWORD size);
HEADLESS_API BOOL WINAPI SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum);
}
