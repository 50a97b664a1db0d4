// The whole-file helpers on random content and random paths inside a scratch folder. A step
// saves some bytes to a path, then asks for the size and the content back. Paths that name
// a file give back exactly the bytes written (zero bytes included) and its size; odd paths
// (empty, a folder, a folder with a trailing separator, a missing folder on the way, a file
// used as a folder, a name or a path too long for the system, a file another handle holds
// exclusively, a read-only file) give the failure results: size 0 (the size of a held file
// still shows), an empty read (a read-only file still reads) and a save without any effect. After every step the folder
// holds exactly the files saved so far, with their contents, and no temporary file.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_input.h"
#include <veneer/framework/afx.h>
#include <veneer/veneer.h>

namespace {

namespace fs = std::filesystem;

std::string str(const CStringT& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }
CStringT cstr(const std::string& s) { return CStringT(s.data(), static_cast<int>(s.size())); }

// The scratch folder of this process, removed at exit. It always holds the folder "sub".
// The name is never destroyed: the exit handler still needs it.
const std::string& scratch() {
  static const std::string* const path = [] {
    const char* tmp = std::getenv("TMPDIR");
    auto* name = new std::string(std::string(tmp && *tmp ? tmp : "/tmp") + "/veneer-fuzz-files-XXXXXX");
    require(mkdtemp(name->data()) != nullptr);
    std::atexit([] {
      std::error_code error;
      fs::remove_all(scratch(), error);
    });
    return name;
  }();
  return *path;
}

std::string on_disk(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  require(static_cast<bool>(in));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A name of the scratch folder from the input: short names from a small alphabet, so that
// steps meet each other's files, or any bytes a file name may hold.
std::string leaf(veneer::fuzz::Input& in) {
  const std::uint8_t kind = in.byte();
  std::string name;
  if (kind % 4 == 0) {
    const int length = 1 + in.byte() % 40;
    for (int i = 0; i < length; ++i) {
      char c = static_cast<char>(in.byte());
      if (c == '/' || c == '\0') c = '_';
      name.push_back(c);
    }
  } else {
    static const char alphabet[] = "ab.-_~ ";
    const int length = 1 + in.byte() % 3;
    for (int i = 0; i < length; ++i) name.push_back(alphabet[in.byte() % (sizeof alphabet - 1)]);
  }
  if (name == "." || name == ".." || name == "sub") name = "f" + name;
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 16) return 0;
  veneer::fuzz::Input in(data, size);
  const std::string& root = scratch();
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root)) fs::remove_all(entry.path(), error);
  fs::create_directory(root + "/sub");

  std::map<std::string, std::string> files;  // what the folder must hold
  for (int step = 0; step < 6 && in.left() > 0; ++step) {
    std::string content;
    const std::size_t length = in.byte() % 4 == 0 ? in.u32() % 5000 : in.byte() % 32;
    for (std::size_t i = 0; i < length; ++i) content.push_back(static_cast<char>(in.byte()));

    const std::uint8_t kind = in.byte() % 13;
    std::string path, name;  // name: the file the path reaches, empty when none
    std::string counted;     // the path as the caller's counted string, when it differs
    bool held = false, read_only = false;
    switch (kind) {
      case 0:  // nothing at all
        break;
      case 1:
        path = root;
        break;
      case 2:
        path = root + "/sub";
        break;
      case 3:
        path = root + "/sub/";
        break;
      case 4:
        path = root + "/missing/" + leaf(in);
        break;
      case 5: {  // a file used as a folder
        if (files.empty()) break;
        path = root + "/" + files.begin()->first + "/" + leaf(in);
        break;
      }
      case 6:  // a name longer than any file system allows
        path = root + "/" + std::string(256 + in.byte(), 'n');
        break;
      case 7:  // a path longer than the system takes, through folders that exist
        path = root;
        while (path.size() < 4200) path += "/sub/..";
        path += "/" + leaf(in);
        break;
      case 8: {  // the caller's string goes on past a zero byte: the path ends there
        name = leaf(in);
        path = root + "/" + name;
        counted = path + std::string(1, '\0') + leaf(in);
        break;
      }
      case 9: {  // a file that another handle holds exclusively
        if (files.empty()) break;
        name = files.rbegin()->first;
        path = root + "/" + name;
        held = true;
        break;
      }
      case 10: {  // a read-only file: no one writes it, the superuser included
        if (files.empty()) break;
        name = files.begin()->first;
        path = root + "/" + name;
        read_only = chmod(path.c_str(), 0444) == 0;
        require(read_only);
        break;
      }
      default:
        name = leaf(in);
        path = root + "/" + name;
        break;
    }
    if (kind == 7) name.clear();  // far too long: nothing is reached
    const CStringT target = counted.empty() ? cstr(path) : cstr(counted);

    HANDLE holder = INVALID_HANDLE_VALUE;
    if (held) {
      holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      require(holder != INVALID_HANDLE_VALUE);
    }

    AfxSaveToFile(cstr(content), target);
    const DWORD size_now = AfxGetFileSize(target);
    const std::string read_now = str(AfxReadFromFile(target));

    if (held) {
      // Nothing is written or read past the holder; its size still shows.
      CloseHandle(holder);
      require(size_now == files[name].size());
      require(read_now.empty());
    } else if (read_only) {
      require(chmod(path.c_str(), 0644) == 0);
      require(size_now == files[name].size());
      require(read_now == files[name]);
    } else if (!name.empty()) {
      files[name] = content;
      require(size_now == content.size());
      require(read_now == content);
    } else {
      require(size_now == 0);
      require(read_now.empty());
    }
    require(str(target) == (counted.empty() ? path : counted));  // the caller's string is kept

    // The folder holds exactly the saved files and "sub" (still empty), with their contents.
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
      ++entries;
      const std::string n = entry.path().filename().string();
      if (n == "sub") {
        require(entry.is_directory() && fs::is_empty(entry.path()));
        continue;
      }
      auto it = files.find(n);
      require(it != files.end());
      require(on_disk(entry.path().string()) == it->second);
    }
    require(entries == files.size() + 1);
  }
  return 0;
}
