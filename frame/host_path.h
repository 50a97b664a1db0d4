// How the host spells paths: the one place that knows the separator.
#pragma once

namespace veneer::frame {

// The last path separator in a zero-terminated path as the platform names files ("\" on
// Windows, searched multibyte-aware so that a trail byte of a double-byte character is
// never taken for one; "/" elsewhere), or null when there is none.
const char* last_path_separator(const char* path);

}  // namespace veneer::frame
