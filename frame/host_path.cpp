#include "frame/host_path.h"

#ifdef _WIN32
#include <mbstring.h>
#else
#include <cstring>
#endif

namespace veneer::frame {

const char* last_path_separator(const char* path) {
#ifdef _WIN32
  return reinterpret_cast<const char*>(_mbsrchr(reinterpret_cast<const unsigned char*>(path), '\\'));
#else
  return std::strrchr(path, '/');
#endif
}

}  // namespace veneer::frame
