// The application directory: the program's folder with its separator, computed once per load
// of the library, safely even when the first calls race.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/emulated_wine.h"
#include "tests/support/scratch_dir.h"
#include <veneer/veneer.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace {

using veneer::test::ScratchDir;

#ifdef _WIN32
constexpr char separator = '\\';
constexpr const char* library_name = "veneer.dll";
#else
constexpr char separator = '/';
constexpr const char* library_name = "libveneer.so";
#endif

std::string str(const CStringT& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

std::string program_folder() {
  char name[4096] = {};
  DWORD n = GetModuleFileNameA(nullptr, name, sizeof name);
  std::string path(name, n);
  return path.substr(0, path.find_last_of(separator) + 1);
}

// A private copy of the library, loaded on its own: its cache starts empty, as after a
// fresh load, whatever the rest of the suite did with the library linked into it.
class FreshLibrary {
 public:
  explicit FreshLibrary(const ScratchDir& dir) {
    char name[4096] = {};
#ifdef _WIN32
    HMODULE linked = GetModuleHandleA(library_name);
#else
    // The linked library goes by its versioned file name; find it by one of its functions.
    HMODULE linked = HeadlessModuleFromAddress(reinterpret_cast<const void*>(&::AfxGetAppPath));
#endif
    if (!linked || GetModuleFileNameA(linked, name, sizeof name) == 0) return;
    static int copies = 0;
    copy_ = dir.file("fresh" + std::to_string(++copies) + "-" + library_name);
    std::error_code error;
    std::filesystem::copy_file(name, copy_, error);
    if (error) return;
    module_ = LoadLibraryA(copy_.c_str());
    if (module_)
      get_app_path_ =
          reinterpret_cast<GetAppPath>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "_Z13AfxGetAppPathv")));
  }
  ~FreshLibrary() {
    if (module_) FreeLibrary(module_);
  }
  FreshLibrary(const FreshLibrary&) = delete;
  FreshLibrary& operator=(const FreshLibrary&) = delete;

  bool loaded() const { return get_app_path_ != nullptr; }
  CStringT AfxGetAppPath() const { return get_app_path_(); }

 private:
  using GetAppPath = CStringT (*)();
  std::string copy_;
  HMODULE module_ = nullptr;
  GetAppPath get_app_path_ = nullptr;
};

TEST(AppPath, IsTheProgramsFolderWithItsSeparatorAndIsCached) {
  const std::string expected = program_folder();
  ASSERT_FALSE(expected.empty());
  ScratchDir dir;
  FreshLibrary fresh(dir);
  ASSERT_TRUE(fresh.loaded());
#ifndef _WIN32
  const auto queries = veneer::headless::testing::module_file_name_queries();
#endif
  const std::string first = str(fresh.AfxGetAppPath());
  const std::string second = str(fresh.AfxGetAppPath());
  EXPECT_EQ(first, expected);
  EXPECT_EQ(second, first);
  EXPECT_EQ(first.back(), separator);
#ifndef _WIN32
  EXPECT_EQ(veneer::headless::testing::module_file_name_queries() - queries, 1u) << "the second call asked again";
#endif
  // The library linked into the suite agrees.
  EXPECT_EQ(str(AfxGetAppPath()), expected);
}

TEST(AppPath, TwoThreadsMakingTheFirstCallGetTheSameAnswer) {
  if (veneer::test::emulated_32bit_wine()) GTEST_SKIP() << "threads do not work under emulated 32-bit Wine";
  const std::string expected = program_folder();
  for (int round = 0; round < 5; ++round) {
    ScratchDir dir;
    FreshLibrary fresh(dir);
    ASSERT_TRUE(fresh.loaded());
#ifndef _WIN32
    const auto queries = veneer::headless::testing::module_file_name_queries();
#endif
    std::atomic<int> ready{0};
    std::string results[2];
    auto call = [&](int i) {
      ready.fetch_add(1);
      while (ready.load() < 2) std::this_thread::yield();
      results[i] = str(fresh.AfxGetAppPath());
    };
    std::thread a(call, 0), b(call, 1);
    a.join();
    b.join();
    EXPECT_EQ(results[0], expected);
    EXPECT_EQ(results[1], expected);
#ifndef _WIN32
    EXPECT_EQ(veneer::headless::testing::module_file_name_queries() - queries, 1u);
#endif
  }
}

#ifndef _WIN32
// The headless platform can name the program anything, which shows how the cache treats
// long names, names without a folder and failures.
class NamedProgram {
 public:
  explicit NamedProgram(const std::string& name) { veneer::headless::testing::set_program_file_name(name.c_str()); }
  ~NamedProgram() { veneer::headless::testing::set_program_file_name(nullptr); }
};

TEST(AppPath, LongNamesAreKeptWholeAndFailuresAreNotCached) {
  ScratchDir dir;
  std::string folder = "/";
  while (folder.size() < 700) folder += "a-rather-long-folder-name/";
  {
    FreshLibrary fresh(dir);
    ASSERT_TRUE(fresh.loaded());
    NamedProgram name(folder + "program");
    EXPECT_EQ(str(fresh.AfxGetAppPath()), folder);
  }
  {
    FreshLibrary fresh(dir);
    ASSERT_TRUE(fresh.loaded());
    NamedProgram name("bare-name");
    EXPECT_EQ(str(fresh.AfxGetAppPath()), "bare-name");
  }
  FreshLibrary fresh(dir);
  ASSERT_TRUE(fresh.loaded());
  {
    NamedProgram failing("");
    EXPECT_TRUE(fresh.AfxGetAppPath().IsEmpty());
  }
  EXPECT_EQ(str(fresh.AfxGetAppPath()), program_folder()) << "a failure must not be cached";
}
#endif

}  // namespace
