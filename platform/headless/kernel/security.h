// Inside the headless platform: what a security descriptor passed to CreateFileA means for
// the host file it creates.
#pragma once

#include <sys/types.h>

#include <veneer/headless/kernel_base.h>

namespace veneer::headless {

// The permission bits of a file created with these attributes: default_mode when they carry
// no descriptor or no DACL, else the bits the DACL grants the token's user (owner bits) and
// Everyone (every class). False, with the last error set, for a malformed descriptor.
bool creation_mode(const SECURITY_ATTRIBUTES* attributes, mode_t default_mode, mode_t& mode);

}  // namespace veneer::headless
