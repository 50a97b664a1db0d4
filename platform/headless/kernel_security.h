// Security of the headless platform: the part of advapi32 a program needs to create a file
// only its user may open. The process's token names the host user as the SID S-1-22-1-<uid>
// (the "Unix user" authority); CreateFileA maps the access a new file's DACL grants that user
// and Everyone (S-1-1-0) onto the owner's and the others' permission bits. Group bits come
// from no ACE and stay clear.
#pragma once

#include <veneer/headless/kernel_base.h>

typedef DWORD ACCESS_MASK;
typedef PVOID PSID;
typedef PVOID PSECURITY_DESCRIPTOR;
typedef WORD SECURITY_DESCRIPTOR_CONTROL;

typedef struct _SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
} SID_IDENTIFIER_AUTHORITY;

typedef struct _SID {
  BYTE Revision;
  BYTE SubAuthorityCount;
  SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
  DWORD SubAuthority[1];
} SID;

typedef struct _ACL {
  BYTE AclRevision;
  BYTE Sbz1;
  WORD AclSize;
  WORD AceCount;
  WORD Sbz2;
} ACL, *PACL;

typedef struct _ACE_HEADER {
  BYTE AceType;
  BYTE AceFlags;
  WORD AceSize;
} ACE_HEADER;

typedef struct _ACCESS_ALLOWED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;
} ACCESS_ALLOWED_ACE;

// The absolute form; a self-relative descriptor is not offered.
typedef struct _SECURITY_DESCRIPTOR {
  BYTE Revision;
  BYTE Sbz1;
  SECURITY_DESCRIPTOR_CONTROL Control;
  PSID Owner;
  PSID Group;
  PACL Sacl;
  PACL Dacl;
} SECURITY_DESCRIPTOR;

typedef struct _SID_AND_ATTRIBUTES {
  PSID Sid;
  DWORD Attributes;
} SID_AND_ATTRIBUTES;

typedef struct _TOKEN_USER {
  SID_AND_ATTRIBUTES User;
} TOKEN_USER;

typedef enum _TOKEN_INFORMATION_CLASS { TokenUser = 1 } TOKEN_INFORMATION_CLASS;

#define ACL_REVISION 2
#define SECURITY_DESCRIPTOR_REVISION 1
#define SECURITY_DESCRIPTOR_MIN_LENGTH (sizeof(SECURITY_DESCRIPTOR))
#define SECURITY_MAX_SID_SIZE 68
#define ACCESS_ALLOWED_ACE_TYPE 0
#define ACCESS_DENIED_ACE_TYPE 1
#define SE_DACL_PRESENT 0x0004
#define SE_DACL_DEFAULTED 0x0008
#define SE_DACL_PROTECTED 0x1000

#define READ_CONTROL 0x00020000u
#define WRITE_DAC 0x00040000u
#define STANDARD_RIGHTS_REQUIRED 0x000F0000u
#define FILE_ALL_ACCESS 0x001F01FFu
#define FILE_GENERIC_READ 0x00120089u
#define FILE_GENERIC_WRITE 0x00120116u
#define TOKEN_QUERY 0x0008u

#define ERROR_INVALID_ACL 1336L
#define ERROR_INVALID_SID 1337L
#define ERROR_INVALID_SECURITY_DESCR 1338L
#define ERROR_ALLOTTED_SPACE_EXCEEDED 1344L
#define ERROR_UNKNOWN_REVISION 1305L
#define ERROR_REVISION_MISMATCH 1306L

extern "C" {
// The token of the calling process, asked for with GetCurrentProcess(), closed with
// CloseHandle. Other process handles are not offered: ERROR_INVALID_HANDLE.
HEADLESS_API BOOL WINAPI OpenProcessToken(HANDLE process, DWORD desired_access, LPHANDLE token);
// TokenUser only; other classes fail with ERROR_INVALID_PARAMETER.
HEADLESS_API BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS information_class,
                                             LPVOID information, DWORD length, LPDWORD return_length);
HEADLESS_API BOOL WINAPI InitializeAcl(PACL acl, DWORD length, DWORD revision);
HEADLESS_API BOOL WINAPI AddAccessAllowedAce(PACL acl, DWORD revision, DWORD access_mask, PSID sid);
HEADLESS_API BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
HEADLESS_API BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl,
                                                   BOOL defaulted);
// Sets or clears SE_DACL_PROTECTED; other bits are not offered (ERROR_INVALID_PARAMETER). The
// headless platform has no inheritance, so a protected DACL means what an unprotected one does.
HEADLESS_API BOOL WINAPI SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor,
                                                      SECURITY_DESCRIPTOR_CONTROL bits_of_interest,
                                                      SECURITY_DESCRIPTOR_CONTROL bits_to_set);
HEADLESS_API DWORD WINAPI GetLengthSid(PSID sid);
HEADLESS_API BOOL WINAPI EqualSid(PSID first, PSID second);
}
