// Loading and unloading the library registers it with the framework and takes it out again.
#include <gtest/gtest.h>

#include <veneer/framework/afx.h>
#ifndef _WIN32
#include <veneer/headless/testing.h>
#endif

namespace {

int links_of(HMODULE module) {
  int n = 0;
  for (CDynLinkLibrary* link = AfxGetFirstDynLinkLibrary(); link; link = link->m_pNextDLL)
    if (link->m_hModule == module) ++n;
  return n;
}

int chain_length() {
  int n = 0;
  for (CDynLinkLibrary* link = AfxGetFirstDynLinkLibrary(); link; link = link->m_pNextDLL) ++n;
  return n;
}

const char* library_base_name() {
  const char* path = VENEER_LIBRARY_FILE;
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

TEST(ModuleLifecycle, LoadRegistersAndUnloadUnregisters) {
  ASSERT_EQ(GetModuleHandleA(library_base_name()), nullptr) << "the library must not be loaded yet";
  const int before = chain_length();
  for (int round = 0; round < 2; ++round) {
    HMODULE module = LoadLibraryA(VENEER_LIBRARY_FILE);
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    EXPECT_EQ(GetModuleHandleA(library_base_name()), module);
    EXPECT_EQ(links_of(module), 1);
    EXPECT_EQ(chain_length(), before + 1);
    // An export can be looked up by its decorated name.
    EXPECT_NE(GetProcAddress(module, "_Z16AfxEncryptString8CStringT"), nullptr);
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_EQ(links_of(module), 0);
    EXPECT_EQ(chain_length(), before);
    EXPECT_EQ(GetModuleHandleA(library_base_name()), nullptr) << "the library stayed loaded";
  }
}

TEST(ModuleLifecycle, AFailedRegistrationFailsTheLoad) {
#ifdef _WIN32
  GTEST_SKIP() << "needs the headless platform's fault hook";
#else
  using namespace veneer::headless::testing;
  const auto live = live_objects(ObjectKind::GlobalMemory);
  const int before = chain_length();
  fail_nth_creation(ObjectKind::GlobalMemory, 1);
  HMODULE module = LoadLibraryA(VENEER_LIBRARY_FILE);
  clear_faults();
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  EXPECT_EQ(chain_length(), before);
  EXPECT_EQ(live_objects(ObjectKind::GlobalMemory), live);
  EXPECT_EQ(GetModuleHandleA(library_base_name()), nullptr) << "a failed load must not stay loaded";
  // The next load succeeds again.
  module = LoadLibraryA(VENEER_LIBRARY_FILE);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(links_of(module), 1);
  FreeLibrary(module);
  EXPECT_EQ(live_objects(ObjectKind::GlobalMemory), live);
#endif
}

}  // namespace
