// A fresh folder for one test's files, removed with everything in it afterwards. Each test
// process gets its own, so tests running in parallel never share files.
#pragma once

#include <string>

namespace veneer::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // A name inside the folder, in the platform's own spelling.
  std::string file(const std::string& name) const;
  // Names of the entries in the folder.
  std::size_t entry_count() const;

 private:
  std::string path_;
};

// The whole content of a file read with the C++ library, independently of the platform's
// file calls; "<missing>" when it cannot be opened.
std::string read_back(const std::string& path);
// Writes the bytes with the C++ library.
void write_bytes(const std::string& path, const std::string& bytes);
// Makes a file read-only, or writable again: the read-only attribute on Windows, no write
// permission bit elsewhere. False when the file's permissions cannot be changed.
bool set_read_only(const std::string& path, bool read_only);

}  // namespace veneer::test
