// Files of the headless platform: host files reached through Win32's file calls, with Win32's
// access and share modes enforced between every open of a file, in this process and in
// others (see file_share.cpp), and Win32's error codes.
#pragma once

#include <veneer/headless/kernel_base.h>

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
#define FILE_READ_DATA 0x0001u
#define FILE_WRITE_DATA 0x0002u
#define FILE_APPEND_DATA 0x0004u
#define FILE_EXECUTE 0x0020u
#define FILE_READ_ATTRIBUTES 0x0080u
#define FILE_WRITE_ATTRIBUTES 0x0100u
#define DELETE 0x00010000u
#define SYNCHRONIZE 0x00100000u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_DEVICE 0x00000040u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_FLAG_WRITE_THROUGH 0x80000000u

#define FILE_TYPE_UNKNOWN 0x0000
#define FILE_TYPE_DISK 0x0001
#define FILE_TYPE_CHAR 0x0002
#define FILE_TYPE_PIPE 0x0003

#define INVALID_FILE_SIZE 0xFFFFFFFFu

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

#define REPLACEFILE_WRITE_THROUGH 0x00000001u
#define REPLACEFILE_IGNORE_MERGE_ERRORS 0x00000002u
#define REPLACEFILE_IGNORE_ACL_ERRORS 0x00000004u

#define FILE_NAME_NORMALIZED 0x0u
#define VOLUME_NAME_DOS 0x0u

// Error codes the file calls give beyond the kernel basics.
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_WRITE_PROTECT 19L
#define ERROR_GEN_FAILURE 31L
#define ERROR_NOT_SAME_DEVICE 17L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_FILE_TOO_LARGE 223L
#define ERROR_BROKEN_PIPE 109L
#define ERROR_PIPE_NOT_CONNECTED 233L
#define ERROR_CANT_RESOLVE_FILENAME 1921L
#define ERROR_UNABLE_TO_REMOVE_REPLACED 1175L
#define ERROR_UNABLE_TO_MOVE_REPLACEMENT 1176L

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME;

typedef struct _BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
} BY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;

typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;

extern "C" {
// Paths are the host's own. Share modes are checked before anything is created or
// truncated, so a refused open never changes the file. FILE_READ_ATTRIBUTES (or no access
// at all) opens a file for its size and attributes only: such an open neither needs nor
// denies any sharing, as on Win32. A file without any write permission bit is a read-only
// file: opening it for writing fails with ERROR_ACCESS_DENIED for every caller, the host's
// superuser included, as on Win32. A new file takes the permission bits its security
// descriptor's DACL grants (see kernel_security.h), else the host's defaults.
HEADLESS_API HANDLE WINAPI CreateFileA(LPCSTR file_name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                       DWORD disposition, DWORD flags_and_attributes, HANDLE template_file);
// Overlapped I/O is not offered: a non-null overlapped fails with ERROR_INVALID_PARAMETER.
HEADLESS_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read, LPOVERLAPPED overlapped);
HEADLESS_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written,
                                   LPOVERLAPPED overlapped);
HEADLESS_API DWORD WINAPI GetFileSize(HANDLE file, LPDWORD size_high);
HEADLESS_API BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
HEADLESS_API DWORD WINAPI GetFileType(HANDLE file);
HEADLESS_API BOOL WINAPI FlushFileBuffers(HANDLE file);

HEADLESS_API BOOL WINAPI DeleteFileA(LPCSTR file_name);
// A rename within one file system; MOVEFILE_REPLACE_EXISTING replaces the target in one
// step, MOVEFILE_WRITE_THROUGH returns only once the rename is on disk.
HEADLESS_API BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags);
// FILE_ATTRIBUTE_READONLY when no write permission bit is set (as Wine shows host files).
HEADLESS_API DWORD WINAPI GetFileAttributesA(LPCSTR file_name);

// Puts the replacement file in the place of the replaced one in one step, as Win32 does: the
// result keeps the replaced file's identity (here its owner and group, given before the
// rename, and its permission bits, given right after it) and the replacement's name is gone. A symbolic link as the
// replaced name stays: the file it names is replaced. Fails, changing neither file, with ERROR_FILE_NOT_FOUND when
// either is missing; ERROR_ACCESS_DENIED for a read-only or a folder as the replaced file, or when the owner and group
// cannot be given (unless REPLACEFILE_IGNORE_ACL_ERRORS); with ERROR_SHARING_VIOLATION while the replacement is open at
// all or the replaced file is open without FILE_SHARE_DELETE (the results Wine gives); ERROR_UNABLE_TO_MOVE_REPLACEMENT
// when the host refuses the rename (another file system, a mount point, a sticky folder). The folder is synced
// afterwards whatever the flags. No backup file: a backup name fails with ERROR_INVALID_PARAMETER.
HEADLESS_API BOOL WINAPI ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,
                                      LPVOID reserved);
// The host's path of the open file, symbolic links resolved (without Win32's "\\?\" prefix:
// host paths have none). The length without the terminating zero, or the size needed with it
// when the buffer is too small; 0 with the last error on failure.
HEADLESS_API DWORD WINAPI GetFinalPathNameByHandleA(HANDLE file, LPSTR path, DWORD size, DWORD flags);
// Attributes (as GetFileAttributesA), times, the device as the volume serial number, size,
// link count and the inode as the file index.
HEADLESS_API BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
}
