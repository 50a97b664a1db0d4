// Conformance of the file calls, written against Win32: the same expectations hold for real
// Win32 (under Wine) and for the headless platform.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/emulated_wine.h"
#include "tests/support/scratch_dir.h"
#include <veneer/framework/win32_api.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using veneer::test::read_back;
using veneer::test::ScratchDir;
using veneer::test::set_read_only;
using veneer::test::write_bytes;

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Whether an open with these modes is admitted now (the handle is closed again at once);
// the last error tells why not.
bool admitted(const std::string& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
  HANDLE h = open(path, access, share, disposition);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

const char* null_device() {
#ifdef _WIN32
  return "NUL";
#else
  return "/dev/null";
#endif
}

TEST(FileApi, DispositionsCreateOpenAndTruncateAsWin32Does) {
  ScratchDir dir;
  const std::string f = dir.file("f.bin");

  SetLastError(0xdead);
  EXPECT_FALSE(admitted(f, GENERIC_READ, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(admitted(dir.file("no-folder") + "/x", GENERIC_READ, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(admitted(dir.file("no-folder") + "/x", GENERIC_WRITE, 0, CREATE_ALWAYS));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(admitted("", GENERIC_READ, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  // A folder is not a file.
  EXPECT_FALSE(admitted(dir.path(), GENERIC_READ, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  // CREATE_NEW makes the file, and only once.
  HANDLE h = open(f, GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "hello", 5, &n, nullptr));
  EXPECT_EQ(n, 5u);
  CloseHandle(h);
  EXPECT_FALSE(admitted(f, GENERIC_WRITE, 0, CREATE_NEW));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

  // OPEN_ALWAYS keeps the content and says the file was there.
  EXPECT_TRUE(admitted(f, GENERIC_WRITE, 0, OPEN_ALWAYS));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(read_back(f), "hello");
  EXPECT_TRUE(admitted(dir.file("new.bin"), GENERIC_WRITE, 0, OPEN_ALWAYS));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

  // CREATE_ALWAYS truncates and says so too.
  EXPECT_TRUE(admitted(f, GENERIC_WRITE, 0, CREATE_ALWAYS));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(read_back(f), "");
  write_bytes(f, "again");
  EXPECT_TRUE(admitted(f, GENERIC_WRITE, 0, TRUNCATE_EXISTING));
  EXPECT_EQ(read_back(f), "");
}

TEST(FileApi, ReadWriteAndSizesFollowTheHandlesAccess) {
  ScratchDir dir;
  const std::string f = dir.file("data.bin");
  const std::string bytes("a\0b\xff", 4);
  write_bytes(f, bytes);

  HANDLE r = open(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(r, INVALID_HANDLE_VALUE);
  DWORD high = 0xdead;
  EXPECT_EQ(GetFileSize(r, &high), 4u);
  EXPECT_EQ(high, 0u);
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(r, &size));
  EXPECT_EQ(size.QuadPart, 4);
  EXPECT_EQ(GetFileType(r), static_cast<DWORD>(FILE_TYPE_DISK));

  char buffer[16] = {};
  DWORD n = 99;
  ASSERT_TRUE(ReadFile(r, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), bytes);
  ASSERT_TRUE(ReadFile(r, buffer, sizeof buffer, &n, nullptr));  // the end: success, nothing read
  EXPECT_EQ(n, 0u);
  // A read handle does not write or flush.
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(FlushFileBuffers(r));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(r));
  EXPECT_FALSE(CloseHandle(r));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  HANDLE w = open(f, GENERIC_WRITE, 0, OPEN_EXISTING);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFile(w, buffer, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(WriteFile(w, "", 0, &n, nullptr));
  EXPECT_TRUE(WriteFile(w, "XY", 2, &n, nullptr));
  EXPECT_TRUE(FlushFileBuffers(w));
  CloseHandle(w);
  EXPECT_EQ(read_back(f), std::string("XYb\xff", 4));

  // Handles that are not open files are refused.
  EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(GetFileSizeEx(nullptr, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ReadFile(w, buffer, 1, &n, nullptr));  // closed above
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(FileApi, ShareModesAdmitOnlyCompatibleOpens) {
  ScratchDir dir;
  const std::string f = dir.file("shared.txt");
  write_bytes(f, "old");

  // A reader that shares reading admits other such readers, nobody who writes or who
  // refuses to share reading.
  HANDLE reader = open(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(admitted(f, GENERIC_READ, FILE_SHARE_READ));
  EXPECT_FALSE(admitted(f, GENERIC_READ, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(admitted(f, GENERIC_WRITE, share_all));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  // A refused open changes nothing, even one that would truncate.
  EXPECT_FALSE(admitted(f, GENERIC_WRITE, share_all, CREATE_ALWAYS));
  EXPECT_EQ(read_back(f), "old");
  // Attributes alone need no sharing.
  EXPECT_TRUE(admitted(f, FILE_READ_ATTRIBUTES, 0));
  CloseHandle(reader);

  // A writer that shares reading and writing shuts out a reader that will not share writing.
  HANDLE writer = open(f, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(admitted(f, GENERIC_READ, FILE_SHARE_READ));
  EXPECT_TRUE(admitted(f, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
  CloseHandle(writer);

  // An exclusive open excludes everything but attribute queries, and only while it lasts.
  HANDLE exclusive = open(f, GENERIC_READ, 0, OPEN_EXISTING);
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(admitted(f, GENERIC_READ, share_all));
  EXPECT_FALSE(admitted(f, DELETE, share_all));
  HANDLE attributes = open(f, FILE_READ_ATTRIBUTES, share_all, OPEN_EXISTING);
  ASSERT_NE(attributes, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(attributes, nullptr), 3u);
  CloseHandle(attributes);
  CloseHandle(exclusive);
  EXPECT_TRUE(admitted(f, GENERIC_READ | GENERIC_WRITE, 0));
}

// Writers that each create-or-truncate the file, exclusively, and write their own content:
// whoever is admitted starts from an empty file, whatever was written while it waited, so the
// file always holds one writer's content whole. A reader that shares nothing checks each
// version it gets.
TEST(FileApi, CreateAlwaysEmptiesTheFileItIsAdmittedToEvenAfterWaitingOnAnotherWriter) {
  ScratchDir dir;
  const std::string f = dir.file("rewritten.txt");
  const std::string contents[] = {std::string(200000, 'L'), std::string(100, 's')};
  write_bytes(f, contents[0]);
  std::atomic<int> writers_left{2};
  auto writer = [&](const std::string& content) {
    for (int i = 0; i < 10000; ++i) {
      HANDLE h = open(f, GENERIC_WRITE, 0, CREATE_ALWAYS);
      if (h == INVALID_HANDLE_VALUE) continue;  // another open holds it
      DWORD written = 0;
      WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
      CloseHandle(h);
    }
    --writers_left;
  };
  std::thread long_writer(writer, contents[0]), short_writer(writer, contents[1]);
  int checked = 0, mixed = 0;
  std::string got(contents[0].size() + 1, '\0');
  while (writers_left > 0) {
    HANDLE h = open(f, GENERIC_READ, 0, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) continue;
    DWORD read = 0;
    const BOOL ok = ReadFile(h, got.data(), static_cast<DWORD>(got.size()), &read, nullptr);
    CloseHandle(h);
    if (!ok || read == 0) continue;  // between an admitted truncation and its write
    const std::string text = got.substr(0, read);
    ++checked;
    mixed += text != contents[0] && text != contents[1];
  }
  long_writer.join();
  short_writer.join();
  EXPECT_EQ(mixed, 0) << "of " << checked << " reads";
  const std::string last = read_back(f);
  EXPECT_TRUE(last == contents[0] || last == contents[1]) << "a file of " << last.size() << " bytes";
}

TEST(FileApi, DeleteAndRenameRespectOpensAndReplaceInOneStep) {
  ScratchDir dir;
  const std::string f = dir.file("f.txt"), g = dir.file("g.txt");
  write_bytes(f, "fff");
  write_bytes(g, "ggg");

  // Without MOVEFILE_REPLACE_EXISTING an existing target stays.
  EXPECT_FALSE(MoveFileExA(f.c_str(), g.c_str(), 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  // A source held without delete sharing cannot move or go.
  HANDLE held = open(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(MoveFileExA(f.c_str(), g.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileA(f.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(held);
  // An open target is not replaced, even one that shares everything.
  held = open(g, GENERIC_READ, share_all, OPEN_EXISTING);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(MoveFileExA(f.c_str(), g.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(held);
  EXPECT_EQ(read_back(g), "ggg");

  ASSERT_TRUE(MoveFileExA(f.c_str(), g.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(read_back(g), "fff");
  EXPECT_EQ(GetFileAttributesA(f.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(MoveFileExA(f.c_str(), g.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // Folders are neither replaced nor deleted as files.
  EXPECT_FALSE(MoveFileExA(g.c_str(), dir.path().c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(DeleteFileA(dir.path().c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  EXPECT_EQ(GetFileAttributesA(dir.path().c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA(g.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_TRUE(DeleteFileA(g.c_str()));
  EXPECT_FALSE(DeleteFileA(g.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(dir.entry_count(), 0u);
}

TEST(FileApi, DevicesAreCharacterFilesWithoutLength) {
  HANDLE device = open(null_device(), GENERIC_WRITE, 0, OPEN_EXISTING);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileType(device), static_cast<DWORD>(FILE_TYPE_CHAR));
  EXPECT_EQ(GetFileSize(device, nullptr), 0u);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(device, "gone", 4, &n, nullptr));
  EXPECT_EQ(n, 4u);
  // A device is no file of share modes: a second exclusive open is admitted.
  EXPECT_TRUE(admitted(null_device(), GENERIC_WRITE, 0));
  CloseHandle(device);
}

TEST(FileApi, AReadOnlyFileOpensForReadingOnly) {
  ScratchDir dir;
  const std::string f = dir.file("read-only.txt");
  write_bytes(f, "kept");
  ASSERT_TRUE(set_read_only(f, true));
  EXPECT_EQ(GetFileAttributesA(f.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  HANDLE h = open(f, GENERIC_READ, 0, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  BY_HANDLE_FILE_INFORMATION information{};
  ASSERT_TRUE(GetFileInformationByHandle(h, &information));
  EXPECT_EQ(information.dwFileAttributes & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(information.nNumberOfLinks, 1u);
  EXPECT_EQ(information.nFileSizeLow, 4u);
  CloseHandle(h);
  // Windows refuses every caller; Wine lets its host's superuser through (the headless
  // platform keeps to Windows).
  if (!veneer::test::wine_as_host_superuser()) {
    for (DWORD disposition : {DWORD{OPEN_EXISTING}, DWORD{CREATE_ALWAYS}, DWORD{TRUNCATE_EXISTING}}) {
      EXPECT_FALSE(admitted(f, GENERIC_WRITE, share_all, disposition)) << disposition;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
  }
  EXPECT_EQ(read_back(f), "kept");
  ASSERT_TRUE(set_read_only(f, false));
  EXPECT_TRUE(admitted(f, GENERIC_WRITE, 0));
}

TEST(FileApi, ReplaceTakesTheReplacedFilesPlaceOrChangesNothing) {
  ScratchDir dir;
  const std::string f = dir.file("f.txt"), r = dir.file("r.txt");
  write_bytes(f, "old");
  write_bytes(r, "new");
  auto replace = [&](const std::string& replaced) {
    return ReplaceFileA(replaced.c_str(), r.c_str(), nullptr, 0, nullptr, nullptr);
  };
  EXPECT_FALSE(replace(dir.file("missing.txt")));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(set_read_only(f, true));
  EXPECT_FALSE(replace(f));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(set_read_only(f, false));
  // The replaced file held by an open that does not share deletion, or the replacement held
  // at all, refuses.
  HANDLE held = open(f, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  EXPECT_FALSE(replace(f));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(held);
  held = open(r, GENERIC_READ, share_all, OPEN_EXISTING);
  EXPECT_FALSE(replace(f));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(held);
  EXPECT_EQ(read_back(f), "old");
  EXPECT_EQ(read_back(r), "new");

  // A holder that shares deletion keeps what it opened; the name gets the replacement.
  held = open(f, GENERIC_READ, share_all, OPEN_EXISTING);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(replace(f));
  char buffer[8] = {};
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(held, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "old");
  CloseHandle(held);
  EXPECT_EQ(read_back(f), "new");
  EXPECT_EQ(GetFileAttributesA(r.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FileApi, ADaclForTheTokensUserAloneMakesAFileOnlyThatUserOpens) {
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 0;
  EXPECT_FALSE(GetTokenInformation(token, TokenUser, nullptr, 0, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> user(size);
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, user.data(), size, &size));
  EXPECT_TRUE(CloseHandle(token));
  PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;

  DWORD too_small[(sizeof(ACL) + 8) / 4];
  ASSERT_TRUE(InitializeAcl(reinterpret_cast<ACL*>(too_small), sizeof too_small, ACL_REVISION));
  EXPECT_FALSE(AddAccessAllowedAce(reinterpret_cast<ACL*>(too_small), ACL_REVISION, FILE_ALL_ACCESS, sid));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALLOTTED_SPACE_EXCEEDED));
  DWORD acl[(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE) / 4];
  ASSERT_TRUE(InitializeAcl(reinterpret_cast<ACL*>(acl), sizeof acl, ACL_REVISION));
  ASSERT_TRUE(
      AddAccessAllowedAce(reinterpret_cast<ACL*>(acl), ACL_REVISION, FILE_GENERIC_READ | FILE_GENERIC_WRITE, sid));
  SECURITY_DESCRIPTOR descriptor;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<ACL*>(acl), FALSE));
  ASSERT_TRUE(SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED));
  SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};

  ScratchDir dir;
  const std::string f = dir.file("private.txt");
  HANDLE h = CreateFileA(f.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  EXPECT_TRUE(WriteFile(h, "mine", 4, &n, nullptr));
  CloseHandle(h);
#ifndef _WIN32
  struct stat st {};
  ASSERT_EQ(stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the owner's bits only";
#endif

  // The user opens it again, and the platform names it through the handle.
  h = open(f, GENERIC_READ, share_all, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char name[1024];
  const DWORD length = GetFinalPathNameByHandleA(h, name, sizeof name, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  ASSERT_GT(length, 12u);
  ASSERT_LT(length, sizeof name);
  const std::string final_name(name, length);
  EXPECT_TRUE(final_name.ends_with("\\private.txt") || final_name.ends_with("/private.txt")) << final_name;
  // Too small: the size needed, which Windows counts with the terminating zero and Wine's ANSI
  // call without it (measured).
  const DWORD needed = GetFinalPathNameByHandleA(h, name, 4, 0);
  EXPECT_TRUE(needed == length + 1 || needed == length) << needed;
  CloseHandle(h);
  EXPECT_EQ(read_back(f), "mine");
}

}  // namespace
