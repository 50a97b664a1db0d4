// Tokens, SIDs, ACLs and security descriptors: enough for a program to give a new file a DACL
// of its own, and for CreateFileA to turn that DACL into the host file's permission bits.
#include "kernel/security.h"

#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "kernel/object_table.h"
#include <veneer/headless/kernel_file.h>
#include <veneer/headless/kernel_security.h>

namespace veneer::headless {
namespace {

struct TokenObject : Object {
  static constexpr ObjectKind object_kind = ObjectKind::AccessToken;
  explicit TokenObject(uid_t u) : Object(object_kind), uid(u) {}
  uid_t uid;
};

// S-1-22-1-<uid>: a host user, as the "Unix user" authority names it.
constexpr BYTE unix_users_authority = 22;
// S-1-1-0: Everyone.
constexpr BYTE world_authority = 1;

DWORD sid_length(BYTE sub_authorities) { return 8 + 4u * sub_authorities; }

bool valid_sid(const void* sid) {
  const auto* s = static_cast<const SID*>(sid);
  return s && s->Revision == 1 && s->SubAuthorityCount <= 15;
}

// The sub-authorities follow the SID's header; the struct declares room for one only.
const BYTE* sub_authorities(const SID* sid) { return reinterpret_cast<const BYTE*>(sid) + 8; }

// Whether the SID is the one of the given authority (a one-byte value) and sub-authorities.
bool sid_is(const SID* sid, BYTE authority, std::initializer_list<DWORD> subs) {
  if (!valid_sid(sid) || sid->SubAuthorityCount != subs.size()) return false;
  for (int i = 0; i < 5; ++i)
    if (sid->IdentifierAuthority.Value[i] != 0) return false;
  if (sid->IdentifierAuthority.Value[5] != authority) return false;
  return std::memcmp(sub_authorities(sid), subs.begin(), 4 * subs.size()) == 0;
}

bool valid_acl(const ACL* acl) {
  return acl && acl->AclRevision >= ACL_REVISION && acl->AclRevision <= 4 && acl->AclSize >= sizeof(ACL);
}

// Read, write and execute bits (as in the "other" class) for an ACE's access mask.
mode_t bits_for(ACCESS_MASK mask) {
  mode_t bits = 0;
  if (mask & (GENERIC_ALL | GENERIC_READ | FILE_READ_DATA)) bits |= 4;
  if (mask & (GENERIC_ALL | GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA)) bits |= 2;
  if (mask & (GENERIC_ALL | GENERIC_EXECUTE | FILE_EXECUTE)) bits |= 1;
  return bits;
}

}  // namespace

bool creation_mode(const SECURITY_ATTRIBUTES* attributes, mode_t default_mode, mode_t& mode) {
  mode = default_mode;
  if (!attributes || !attributes->lpSecurityDescriptor) return true;
  const auto* descriptor = static_cast<const SECURITY_DESCRIPTOR*>(attributes->lpSecurityDescriptor);
  if (descriptor->Revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return false;
  }
  if (!(descriptor->Control & SE_DACL_PRESENT)) return true;
  const ACL* acl = descriptor->Dacl;
  if (!acl) {  // a null DACL grants everyone everything
    mode = 0666;
    return true;
  }
  if (!valid_acl(acl)) {
    SetLastError(ERROR_INVALID_ACL);
    return false;
  }
  // ACEs in order: the first one that speaks of a bit for a class decides it.
  const uid_t user = geteuid();
  mode_t granted = 0, decided = 0;
  const auto* at = reinterpret_cast<const BYTE*>(acl + 1);
  const auto* end = reinterpret_cast<const BYTE*>(acl) + acl->AclSize;
  for (WORD i = 0; i < acl->AceCount; ++i) {
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(at);
    if (at + sizeof(ACE_HEADER) > end || ace->Header.AceSize < sizeof(ACCESS_ALLOWED_ACE) ||
        at + ace->Header.AceSize > end) {
      SetLastError(ERROR_INVALID_ACL);
      return false;
    }
    at += ace->Header.AceSize;
    if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE && ace->Header.AceType != ACCESS_DENIED_ACE_TYPE) continue;
    const auto* sid = reinterpret_cast<const SID*>(&ace->SidStart);
    if (!valid_sid(sid) ||
        offsetof(ACCESS_ALLOWED_ACE, SidStart) + sid_length(sid->SubAuthorityCount) > ace->Header.AceSize) {
      SetLastError(ERROR_INVALID_ACL);
      return false;
    }
    const mode_t bits = bits_for(ace->Mask);
    mode_t classes = 0;
    if (sid_is(sid, world_authority, {0}))
      classes = bits << 6 | bits << 3 | bits;
    else if (sid_is(sid, unix_users_authority, {1, static_cast<DWORD>(user)}))
      classes = bits << 6;
    if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE) granted |= classes & ~decided;
    decided |= classes;
  }
  mode = granted;
  return true;
}

}  // namespace veneer::headless

using namespace veneer::headless;

extern "C" {

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD, LPHANDLE token) {
  if (!token) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (process != INVALID_HANDLE_VALUE) {  // GetCurrentProcess()
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  HANDLE handle = nullptr;
  {
    std::lock_guard lock(platform_lock());
    handle = create<TokenObject, HANDLE>(geteuid());
  }
  if (!handle) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  *token = handle;
  return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS information_class, LPVOID information,
                                DWORD length, LPDWORD return_length) {
  uid_t uid = 0;
  {
    std::lock_guard lock(platform_lock());
    auto* object = find<TokenObject>(token);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    uid = object->uid;
  }
  if (information_class != TokenUser || !return_length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD needed = sizeof(TOKEN_USER) + sid_length(2);
  *return_length = needed;
  if (length < needed || !information) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* user = static_cast<TOKEN_USER*>(information);
  auto* sid = reinterpret_cast<SID*>(user + 1);
  std::memset(sid, 0, sid_length(2));
  sid->Revision = 1;
  sid->SubAuthorityCount = 2;
  sid->IdentifierAuthority.Value[5] = unix_users_authority;
  const DWORD subs[2] = {1, static_cast<DWORD>(uid)};
  std::memcpy(reinterpret_cast<BYTE*>(sid) + 8, subs, sizeof subs);
  user->User.Sid = sid;
  user->User.Attributes = 0;
  return TRUE;
}

DWORD WINAPI GetLengthSid(PSID sid) {
  return valid_sid(sid) ? sid_length(static_cast<const SID*>(sid)->SubAuthorityCount) : 0;
}

BOOL WINAPI EqualSid(PSID first, PSID second) {
  if (!valid_sid(first) || !valid_sid(second)) {
    SetLastError(ERROR_INVALID_SID);
    return FALSE;
  }
  const DWORD n = GetLengthSid(first);
  SetLastError(ERROR_SUCCESS);
  return n == GetLengthSid(second) && std::memcmp(first, second, n) == 0;
}

BOOL WINAPI InitializeAcl(PACL acl, DWORD length, DWORD revision) {
  if (!acl || length < sizeof(ACL) || length > 0xffff || (length & 3)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (revision < ACL_REVISION || revision > 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memset(acl, 0, sizeof(ACL));
  acl->AclRevision = static_cast<BYTE>(revision);
  acl->AclSize = static_cast<WORD>(length);
  return TRUE;
}

BOOL WINAPI AddAccessAllowedAce(PACL acl, DWORD revision, DWORD access_mask, PSID sid) {
  if (!valid_acl(acl)) {
    SetLastError(ERROR_INVALID_ACL);
    return FALSE;
  }
  if (!valid_sid(sid)) {
    SetLastError(ERROR_INVALID_SID);
    return FALSE;
  }
  if (revision > acl->AclRevision || revision < ACL_REVISION) {
    SetLastError(ERROR_REVISION_MISMATCH);
    return FALSE;
  }
  // The ACEs already there, walked to their end.
  auto* base = reinterpret_cast<BYTE*>(acl);
  std::size_t used = sizeof(ACL);
  for (WORD i = 0; i < acl->AceCount; ++i) used += reinterpret_cast<const ACE_HEADER*>(base + used)->AceSize;
  const DWORD sid_bytes = GetLengthSid(sid);
  const std::size_t ace_size = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + sid_bytes;
  if (used + ace_size > acl->AclSize) {
    SetLastError(ERROR_ALLOTTED_SPACE_EXCEEDED);
    return FALSE;
  }
  auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(base + used);
  ace->Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
  ace->Header.AceFlags = 0;
  ace->Header.AceSize = static_cast<WORD>(ace_size);
  ace->Mask = access_mask;
  std::memcpy(&ace->SidStart, sid, sid_bytes);
  ++acl->AceCount;
  return TRUE;
}

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
  if (revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_UNKNOWN_REVISION);
    return FALSE;
  }
  std::memset(descriptor, 0, sizeof(SECURITY_DESCRIPTOR));
  static_cast<SECURITY_DESCRIPTOR*>(descriptor)->Revision = SECURITY_DESCRIPTOR_REVISION;
  return TRUE;
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl, BOOL defaulted) {
  auto* d = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  if (!d || d->Revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_UNKNOWN_REVISION);
    return FALSE;
  }
  d->Control &= static_cast<SECURITY_DESCRIPTOR_CONTROL>(~(SE_DACL_PRESENT | SE_DACL_DEFAULTED));
  d->Dacl = nullptr;
  if (present) {
    d->Control |= SE_DACL_PRESENT;
    d->Dacl = dacl;
    if (defaulted) d->Control |= SE_DACL_DEFAULTED;
  }
  return TRUE;
}

BOOL WINAPI SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR descriptor, SECURITY_DESCRIPTOR_CONTROL bits_of_interest,
                                         SECURITY_DESCRIPTOR_CONTROL bits_to_set) {
  auto* d = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  if (!d || d->Revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_UNKNOWN_REVISION);
    return FALSE;
  }
  if ((bits_of_interest | bits_to_set) & ~SE_DACL_PROTECTED) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  d->Control =
      static_cast<SECURITY_DESCRIPTOR_CONTROL>((d->Control & ~bits_of_interest) | (bits_to_set & bits_of_interest));
  return TRUE;
}

}  // extern "C"
