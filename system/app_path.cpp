#include <cstring>
#include <mutex>

#include "frame/module_entry.h"
#include <veneer/veneer.h>

namespace {

// Guards the first filling of the cache: two threads making the first call at once must
// neither both write the string nor read it half written. Made when the library is loaded,
// before any call: no guard of a function-local static is taken before the lock itself.
std::mutex app_dir_mutex;

// Windows' longest path, with room: past it the platform cannot name the program.
constexpr DWORD longest_name = 65536;

// The program's full file name, or empty when the platform cannot give it.
CStringT program_file_name() {
  CStringT name;
  for (DWORD size = MAX_PATH; size <= longest_name; size *= 2) {
    // One byte more than offered, zeroed: the text ends in a zero byte even where the
    // platform cuts a long name without one.
    char* buffer = name.GetBuffer(static_cast<int>(size) + 1);
    std::memset(buffer, 0, size + 1);
    const DWORD length = GetModuleFileNameA(nullptr, buffer, size);
    if (length == 0) break;
    if (length < size) {
      name.ReleaseBuffer(static_cast<int>(length));
      return name;
    }
    // It did not fit: ask again with twice the room, never keeping a cut name.
  }
  name.ReleaseBuffer(0);
  return name;
}

}  // namespace

CStringT AfxGetAppPath() {
  std::lock_guard lock(app_dir_mutex);
  CStringT& cache = veneer::frame::app_dir_cache();
  if (cache.IsEmpty()) {
    CStringT name = program_file_name();
    const char* text = name.GetString();
    // The directory keeps its separator and loses the file name; a name without any
    // separator is kept whole.
    if (const char* separator = veneer::frame::last_path_separator(text))
      name = CStringT(text, static_cast<int>(separator - text) + 1);
    cache = name;
  }
  return cache;
}
