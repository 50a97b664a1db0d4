// The whole-file helpers: sizes, whole reads and whole, all-or-nothing saves.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratch_dir.h"
#include <veneer/framework/afx.h>
#include <veneer/veneer.h>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <veneer/headless/testing.h>
#endif

namespace {

using veneer::test::read_back;
using veneer::test::ScratchDir;
using veneer::test::set_read_only;
using veneer::test::write_bytes;

std::string str(const CStringT& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }
CStringT cstr(const std::string& s) { return CStringT(s.data(), static_cast<int>(s.size())); }

HANDLE hold(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(GetFileSize, MissingEmptyOrdinaryAndBusyFiles) {
  ScratchDir dir;
  EXPECT_EQ(AfxGetFileSize(cstr(dir.file("missing"))), 0u);
  EXPECT_EQ(AfxGetFileSize(cstr(dir.path())), 0u) << "a folder has no file size";
  EXPECT_EQ(AfxGetFileSize(CStringT()), 0u);
  write_bytes(dir.file("empty"), "");
  EXPECT_EQ(AfxGetFileSize(cstr(dir.file("empty"))), 0u);
  const std::string f = dir.file("ten");
  write_bytes(f, std::string("0123\0"
                             "56789",
                             10));
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 10u);

  // Another open writing the file, even one that shares nothing, does not hide its size.
  HANDLE writer = hold(f, GENERIC_WRITE, 0);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 10u);
  CloseHandle(writer);
}

// Sets a file's length without writing it (sparse where the file system allows). On Windows
// through SetEndOfFile: the 32-bit C runtime's resize extends a file by writing zeros.
bool set_length(const std::string& path, unsigned long long length) {
#ifdef _WIN32
  HANDLE file = hold(path, GENERIC_WRITE, FILE_SHARE_READ);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(length);
  const bool ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
#else
  std::error_code error;
  std::filesystem::resize_file(path, length, error);
  return !error;
#endif
}

TEST(GetFileSize, SizesBeyondFourGibibytesAreReportedAsTheLargest) {
  ScratchDir dir;
  const std::string f = dir.file("sparse");
  write_bytes(f, "");
  if (!set_length(f, (1ull << 32) + 5)) GTEST_SKIP() << "the file system cannot hold a 4 GiB sparse file";
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 0xffffffffu) << "not the low part, 5";
  ASSERT_TRUE(set_length(f, 0xfffffffeull));
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 0xfffffffeu);
}

TEST(ReadFromFile, ReturnsEveryByteOrNothing) {
  ScratchDir dir;
  EXPECT_TRUE(AfxReadFromFile(cstr(dir.file("missing"))).IsEmpty());
  EXPECT_TRUE(AfxReadFromFile(cstr(dir.path())).IsEmpty());
  write_bytes(dir.file("empty"), "");
  EXPECT_TRUE(AfxReadFromFile(cstr(dir.file("empty"))).IsEmpty());

  const std::string f = dir.file("zeros");
  write_bytes(f, std::string("a\0b", 3));
  CStringT content = AfxReadFromFile(cstr(f));
  EXPECT_EQ(content.GetLength(), 3);
  EXPECT_EQ(str(content), std::string("a\0b", 3));

  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  write_bytes(f, big);
  EXPECT_EQ(str(AfxReadFromFile(cstr(f))), big);
}

TEST(ReadFromFile, AFileTooLargeForAStringGivesNothing) {
  ScratchDir dir;
  const std::string f = dir.file("sparse");
  write_bytes(f, "");
  if (!set_length(f, 0x80000000ull)) GTEST_SKIP() << "the file system cannot hold a 2 GiB sparse file";
  EXPECT_TRUE(AfxReadFromFile(cstr(f)).IsEmpty());
  // The file was closed again: it can be opened exclusively.
  HANDLE h = hold(f, GENERIC_READ, 0);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST(SaveToFile, WritesTheContentWholeAndReplacesWhatWasThere) {
  ScratchDir dir;
  const std::string f = dir.file("saved.bin");
  const std::string bytes("head\0\r\n\xff tail", 13);
  AfxSaveToFile(cstr(bytes), cstr(f));  // content first, path second
  EXPECT_EQ(read_back(f), bytes);
  EXPECT_EQ(str(AfxReadFromFile(cstr(f))), bytes);

  AfxSaveToFile(CStringT("short"), cstr(f));
  EXPECT_EQ(read_back(f), "short");
  AfxSaveToFile(CStringT(), cstr(f));
  EXPECT_EQ(read_back(f), "");
  EXPECT_EQ(AfxGetFileSize(cstr(f)), 0u);
  EXPECT_EQ(dir.entry_count(), 1u) << "no temporary file stays behind";

  // A path whose folder does not exist, or that is a folder, is no file to save.
  AfxSaveToFile(CStringT("x"), cstr(dir.file("none") + "/f"));
  AfxSaveToFile(CStringT("x"), cstr(dir.path()));
  EXPECT_EQ(dir.entry_count(), 1u);
}

TEST(SaveToFile, AnExclusiveOpenOfTheTargetMakesReadAndSaveFailCleanly) {
  ScratchDir dir;
  const std::string f = dir.file("held.txt");
  write_bytes(f, "old content");
  for (DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    HANDLE holder = hold(f, GENERIC_READ, share);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(AfxReadFromFile(cstr(f)).IsEmpty()) << "share " << share;
    AfxSaveToFile(CStringT("new content"), cstr(f));  // no effect and no exception
    CloseHandle(holder);                              // (Win32 would not let the check below read it either)
    EXPECT_EQ(read_back(f), "old content");
    EXPECT_EQ(dir.entry_count(), 1u);
  }
  AfxSaveToFile(CStringT("new content"), cstr(f));
  EXPECT_EQ(read_back(f), "new content");
}

TEST(FileHelpers, OddPathsGiveTheFailureResultsAndChangeNothing) {
  ScratchDir dir;
  const std::string f = dir.file("file");
  write_bytes(f, "content");
  std::filesystem::create_directory(dir.file("folder"));
  const std::string separator = "/";  // a separator on every platform
  const std::vector<std::string> paths = {
      "",                                                // nothing at all
      dir.path(),                                        // a folder
      dir.file("folder") + separator,                    // a folder, named with its separator
      dir.file("missing") + separator + "f",             // a folder on the way that does not exist
      f + separator + "f",                               // a file used as a folder
      dir.file(std::string(300, 'n')),                   // a name longer than a file system takes
      dir.path() + separator + std::string(40000, 'x'),  // a path longer than the system takes
  };
  for (const std::string& path : paths) {
    SCOPED_TRACE(path.substr(0, 80));
    EXPECT_EQ(AfxGetFileSize(cstr(path)), 0u);
    EXPECT_TRUE(AfxReadFromFile(cstr(path)).IsEmpty());
    AfxSaveToFile(CStringT("new"), cstr(path));  // no effect, and no exception
  }
  EXPECT_EQ(read_back(f), "content");
  EXPECT_EQ(dir.entry_count(), 2u) << "nothing was created";
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("folder")));
  // A string that goes on past a zero byte names the file before it.
  const std::string counted = f + std::string(1, '\0') + "junk";
  EXPECT_EQ(AfxGetFileSize(cstr(counted)), 7u);
  EXPECT_EQ(str(AfxReadFromFile(cstr(counted))), "content");
  AfxSaveToFile(CStringT("zero"), cstr(counted));
  EXPECT_EQ(read_back(f), "zero");
  EXPECT_EQ(dir.entry_count(), 2u);
}

TEST(SaveToFile, AWriteFailingPartWayRaisesAndKeepsTheOldContent) {
#ifdef _WIN32
  GTEST_SKIP() << "a write is made to fail with a file-size limit, which only the host kernel offers";
#else
  ScratchDir dir;
  const std::string f = dir.file("precious.txt");
  const std::string old_content = "the old content, byte for byte\n";
  write_bytes(f, old_content);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Writes past 4 KiB now fail with EFBIG (the signal that would end the process is off).
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string big(100000, 'n');
    int code = 1;  // no exception reached us
    try {
      AfxSaveToFile(cstr(big), cstr(f));
    } catch (CFileException* e) {
      code = e->m_lOsError != 0 && std::string(e->m_strFileName) == f ? 0 : 2;
      e->Delete();
    }
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no file exception; 2: the exception did not name the file";
  EXPECT_EQ(read_back(f), old_content);
  EXPECT_EQ(dir.entry_count(), 1u) << "the temporary file was not removed";
#endif
}

TEST(SaveToFile, APipeIsWrittenInPlace) {
#ifdef _WIN32
  GTEST_SKIP() << "host pipes have no name in the file system on Windows";
#else
  ScratchDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  AfxSaveToFile(CStringT("through the pipe"), cstr(fifo));
  char buffer[64] = {};
  ssize_t n = read(reader, buffer, sizeof buffer);
  close(reader);
  EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), "through the pipe");
  struct stat st {};
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe was replaced by a file";
  EXPECT_EQ(dir.entry_count(), 1u);
#endif
}

TEST(SaveToFile, AReadOnlyFileIsWrittenByNobody) {
  ScratchDir dir;
  const std::string f = dir.file("read-only.txt");
  write_bytes(f, "kept");
  ASSERT_TRUE(set_read_only(f, true));
  AfxSaveToFile(CStringT("new"), cstr(f));  // no effect, even for the superuser
  EXPECT_EQ(read_back(f), "kept");
  EXPECT_EQ(dir.entry_count(), 1u);
  ASSERT_TRUE(set_read_only(f, false));
}

#ifndef _WIN32
// Ids of users and groups the host need not know: a child process takes them on (setuid and
// setgid), so no account is made.
constexpr uid_t other_user = 4321;
constexpr uid_t third_user = 4322;

// Runs body in a child process, as user (and the group of the same number) when given, and
// gives its exit code: the body's result, 100 when the user could not be taken on, 101 when
// a file exception escaped, 128 + the signal when it was killed.
int in_child(const std::function<int()>& body, uid_t user = static_cast<uid_t>(-1)) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    if (user != static_cast<uid_t>(-1) && (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0))
      _exit(100);
    int code = 101;
    try {
      code = body();
    } catch (CFileException* e) {
      e->Delete();
    }
    _exit(code);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct stat status_of(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st;
}

// Whether a leaf is a name the save gives its temporary files: "~veneer", 16 hexadecimal
// digits, ".tmp".
bool temporary_name(const std::string& leaf) {
  if (leaf.size() != 27 || leaf.rfind("~veneer", 0) != 0 || leaf.substr(23) != ".tmp") return false;
  return leaf.find_first_not_of("0123456789abcdef", 7) == 23;
}
#endif

TEST(SaveToFile, TheFileKeepsItsPermissionsOwnerAndGroup) {
#ifdef _WIN32
  GTEST_SKIP() << "permission bits and owners are the host's; Wine's ReplaceFile keeps none of the replaced "
                  "file's attributes or security (measured)";
#else
  ScratchDir dir;
  const std::string f = dir.file("private.txt");
  write_bytes(f, "old");
  ASSERT_EQ(chmod(f.c_str(), 0600), 0);
  AfxSaveToFile(CStringT("new"), cstr(f));
  EXPECT_EQ(read_back(f), "new");
  EXPECT_EQ(status_of(f).st_mode & 07777, 0600u) << "a private file stays private";

  if (geteuid() != 0) GTEST_SKIP() << "saving another user's file needs the superuser";
  // The superuser saving another user's file leaves it theirs, with its permissions, and their
  // own saves still land afterwards.
  ASSERT_EQ(chown(f.c_str(), other_user, third_user), 0);
  ASSERT_EQ(chmod(f.c_str(), 0640), 0);
  AfxSaveToFile(CStringT("root's"), cstr(f));
  EXPECT_EQ(read_back(f), "root's");
  const struct stat after = status_of(f);
  EXPECT_EQ(after.st_uid, other_user);
  EXPECT_EQ(after.st_gid, third_user);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(in_child(
                [&] {
                  AfxSaveToFile(CStringT("theirs"), cstr(f));
                  return 0;
                },
                other_user),
            0);
  EXPECT_EQ(read_back(f), "theirs");
  EXPECT_EQ(dir.entry_count(), 1u);
#endif
}

TEST(SaveToFile, AFileWithASecondNameIsWrittenInPlaceForBothNames) {
  ScratchDir dir;
  const std::string first = dir.file("first.txt"), second = dir.file("second.txt");
  write_bytes(first, "old");
#ifdef _WIN32
  ASSERT_TRUE(CreateHardLinkA(second.c_str(), first.c_str(), nullptr));
#else
  ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
#endif
  AfxSaveToFile(CStringT("both names"), cstr(second));
  EXPECT_EQ(read_back(first), "both names");
  EXPECT_EQ(read_back(second), "both names");
  EXPECT_EQ(dir.entry_count(), 2u);
}

TEST(SaveToFile, ASymbolicLinkStaysAndTheFileItNamesGetsTheContent) {
#ifdef _WIN32
  GTEST_SKIP() << "making a symbolic link needs a privilege on Windows, and Wine makes none";
#else
  ScratchDir dir;
  std::filesystem::create_directory(dir.file("elsewhere"));
  const std::string real = dir.file("elsewhere/real.txt"), link = dir.file("link.txt");
  write_bytes(real, "old");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink("elsewhere/real.txt", link.c_str()), 0);
  AfxSaveToFile(CStringT("through the link"), cstr(link));
  EXPECT_TRUE(S_ISLNK(status_of(link).st_mode)) << "the link became a file";
  EXPECT_EQ(read_back(real), "through the link");
  EXPECT_EQ(status_of(real).st_mode & 07777, 0640u);
  EXPECT_EQ(dir.entry_count(), 2u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("elsewhere")), {}), 1);

  // A link to a missing file creates that file, as a plain save does.
  const std::string dangling = dir.file("dangling.txt");
  ASSERT_EQ(symlink("elsewhere/new.txt", dangling.c_str()), 0);
  AfxSaveToFile(CStringT("created"), cstr(dangling));
  EXPECT_TRUE(S_ISLNK(status_of(dangling).st_mode));
  EXPECT_EQ(read_back(dir.file("elsewhere/new.txt")), "created");
#endif
}

TEST(SaveToFile, WhereNoNewFileCanTakeTheFilesPlaceItIsWrittenInPlace) {
#ifdef _WIN32
  GTEST_SKIP() << "other users, sticky folders, mounts and the rename fault hook are the host's";
#else
  if (geteuid() != 0) GTEST_SKIP() << "other users and mounts need the superuser";
  ScratchDir dir;
  auto saved_in_place = [](const std::string& path, uid_t user) {
    const struct stat before = status_of(path);
    const int code = in_child(
        [&] {
          AfxSaveToFile(CStringT("saved in place"), cstr(path));
          return 0;
        },
        user);
    const struct stat after = status_of(path);
    return code == 0 && read_back(path) == "saved in place" && after.st_ino == before.st_ino &&
           after.st_uid == before.st_uid && (after.st_mode & 07777) == (before.st_mode & 07777);
  };

  // A folder that takes no new file from the saver (the superuser's, 0755), holding a file
  // the saver may write.
  const std::string theirs = dir.file("theirs.txt");
  write_bytes(theirs, "old");
  ASSERT_EQ(chown(theirs.c_str(), other_user, other_user), 0);
  EXPECT_TRUE(saved_in_place(theirs, other_user));

  // A sticky folder: another user's file that grants everyone write.
  const std::string sticky = dir.file("sticky");
  ASSERT_EQ(mkdir(sticky.c_str(), 01777), 0);
  ASSERT_EQ(chmod(sticky.c_str(), 01777), 0);
  const std::string shared = sticky + "/shared.txt";
  write_bytes(shared, "old");
  ASSERT_EQ(chown(shared.c_str(), third_user, third_user), 0);
  ASSERT_EQ(chmod(shared.c_str(), 0666), 0);
  EXPECT_TRUE(saved_in_place(shared, other_user));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sticky), {}), 1);

  // A rename the host refuses: another file system, a mount point.
  for (int error : {EXDEV, EBUSY}) {
    write_bytes(theirs, "old");
    veneer::headless::testing::fail_nth_rename(1, error);
    EXPECT_TRUE(saved_in_place(theirs, static_cast<uid_t>(-1))) << error;
    veneer::headless::testing::fail_nth_rename(0, 0);
  }

  // In a mount namespace of its own: a file system with no inode left for a temporary file,
  // and a file mounted over the name (the real refusal, EBUSY).
  const int code = in_child([&] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 77;
    const std::string small = dir.file("small");
    mkdir(small.c_str(), 0755);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=1m,nr_inodes=4") != 0) return 77;
    const std::string full = small + "/full.txt";
    write_bytes(full, "old");
    for (int i = 0; i < 8; ++i) write_bytes(small + "/filler" + std::to_string(i), "");  // until no inode is left
    if (open((small + "/one-more").c_str(), O_CREAT | O_WRONLY, 0644) >= 0 || errno != ENOSPC) return 2;
    if (!saved_in_place(full, static_cast<uid_t>(-1))) return 3;

    const std::string source = dir.file("source.txt"), mounted = dir.file("mounted.txt");
    write_bytes(source, "old");
    write_bytes(mounted, "");
    if (mount(source.c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr) != 0) return 77;
    AfxSaveToFile(CStringT("through the mount"), cstr(mounted));
    return read_back(source) == "through the mount" ? 0 : 4;
  });
  if (code == 77) GTEST_SKIP() << "this host allows no mounts here";
  EXPECT_EQ(code, 0) << "2: inodes left; 3: not saved on the full file system; 4: not saved through the mount";
#endif
}

TEST(SaveToFile, KilledAtRandomMomentsItLeavesOneWholeVersionAndNothingOthersCanRead) {
#ifdef _WIN32
  GTEST_SKIP() << "killing a saving child at random moments needs fork";
#else
  ScratchDir dir;
  const std::string f = dir.file("target.bin");
  // Three versions of different lengths and bytes: any mix of two is none of them.
  const std::vector<std::string> versions = {std::string(1 << 20, 'a'), std::string((3 << 20) + 7, 'b'),
                                             std::string((2 << 20) + 3, 'c')};
  write_bytes(f, versions[0]);
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  int leftovers = 0, looks_mid_save = 0, readable_by_others = 0;
  for (int round = 0; round < 40; ++round) {
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) AfxSaveToFile(cstr(versions[1 + i % 2]), cstr(f));
    }
    // Until the random moment, this process looks at the saver's temporary files.
    const auto kill_at = std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 60000);
    while (std::chrono::steady_clock::now() < kill_at) {
      std::error_code error;
      for (const auto& entry : std::filesystem::directory_iterator(dir.path(), error)) {
        struct stat st {};
        if (entry.path() == f || lstat(entry.path().c_str(), &st) != 0) continue;
        ++looks_mid_save;
        if (st.st_mode & 077) ++readable_by_others;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    const std::string content = read_back(f);
    EXPECT_TRUE(content == versions[0] || content == versions[1] || content == versions[2])
        << "round " << round << ": " << content.size() << " bytes, not one whole version (seed " << seed << ")";
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      if (entry.path() == f) continue;
      ++leftovers;
      EXPECT_TRUE(temporary_name(entry.path().filename().string())) << entry.path();
      EXPECT_EQ(status_of(entry.path().string()).st_mode & 077, 0u) << "a left-over file others can read";
      std::filesystem::remove(entry.path());
    }
  }
  EXPECT_EQ(readable_by_others, 0) << "a temporary file others could read while it was written";
  EXPECT_GT(looks_mid_save, 0) << "no temporary file was ever seen: the check above proved nothing";
  std::printf(
      "kill -9, 40 rounds (seed %u): %d left a temporary file; %d looks at a temporary file "
      "mid-save, %d of them readable by others\n",
      seed, leftovers, looks_mid_save, readable_by_others);
#endif
}

TEST(SaveToFile, TwoSaversAndAReaderOnlyEverSeeWholeVersions) {
#ifdef _WIN32
  GTEST_SKIP() << "the processes are made with fork";
#else
  ScratchDir dir, reports;
  const std::string f = dir.file("contended.txt");
  // Version (saver, n): a header naming it, then bytes that follow from it, of a length of
  // its own; any other content is torn.
  auto version = [](int saver, int n) {
    std::string text = std::to_string(saver) + " " + std::to_string(n) + "\n";
    const std::size_t length = 2000 + static_cast<std::size_t>((saver * 7919 + n * 104729) % 60000);
    while (text.size() < length) text.push_back(static_cast<char>('a' + (text.size() * (saver + 1) + n) % 26));
    return text;
  };
  auto whole = [&](const std::string& text, int& saver, int& n) {
    return std::sscanf(text.c_str(), "%d %d", &saver, &n) == 2 && text == version(saver, n);
  };
  write_bytes(f, version(0, 0));
  constexpr int saves = 300;

  // Each saver notes, save by save, whether it landed (L), had no effect because another open
  // held the file (H: an open was refused for sharing) or raised (R).
  std::vector<pid_t> savers;
  for (int saver = 1; saver <= 2; ++saver) {
    std::fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string outcomes;
      for (int n = 1; n <= saves; ++n) {
        const std::size_t refused = veneer::headless::testing::sharing_refusals();
        try {
          AfxSaveToFile(cstr(version(saver, n)), cstr(f));
          outcomes += veneer::headless::testing::sharing_refusals() > refused ? 'H' : 'L';
        } catch (CFileException* e) {
          e->Delete();
          outcomes += 'R';
        }
      }
      write_bytes(reports.file("saver" + std::to_string(saver)), outcomes);
      _exit(0);
    }
    savers.push_back(child);
  }
  // The reader reads until the savers are done: "saver n" for each whole version it got, "-"
  // for a read that got nothing (the file was held), "torn" otherwise.
  int done[2];
  ASSERT_EQ(pipe(done), 0);
  std::fflush(nullptr);
  const pid_t reader = fork();
  ASSERT_GE(reader, 0);
  if (reader == 0) {
    close(done[1]);
    fcntl(done[0], F_SETFL, O_NONBLOCK);
    std::string seen;
    char c;
    while (read(done[0], &c, 1) != 0) {
      const std::string text = str(AfxReadFromFile(cstr(f)));
      int saver = 0, n = 0;
      std::string torn_desc;
      if (!text.empty() && !whole(text, saver, n)) {
        const std::string want = version(saver, n);
        std::size_t at = 0;
        while (at < text.size() && at < want.size() && text[at] == want[at]) ++at;
        torn_desc = "torn len=" + std::to_string(text.size()) + " hdr=" + std::to_string(saver) + "," +
                    std::to_string(n) + " wantlen=" + std::to_string(want.size()) + " diff@" + std::to_string(at);
      }
      seen += text.empty()            ? std::string("-")
              : whole(text, saver, n) ? std::to_string(saver) + " " + std::to_string(n)
                                      : torn_desc;
      seen += "\n";
    }
    write_bytes(reports.file("reader"), seen);
    _exit(0);
  }
  close(done[0]);
  for (pid_t saver : savers) waitpid(saver, nullptr, 0);
  close(done[1]);
  waitpid(reader, nullptr, 0);

  int landed = 0, held = 0, raised = 0;
  std::set<std::pair<int, int> > no_effect;
  for (int saver = 1; saver <= 2; ++saver) {
    const std::string outcomes = read_back(reports.file("saver" + std::to_string(saver)));
    ASSERT_EQ(outcomes.size(), static_cast<std::size_t>(saves));
    for (int n = 1; n <= saves; ++n) {
      const char outcome = outcomes[static_cast<std::size_t>(n - 1)];
      landed += outcome == 'L';
      held += outcome == 'H';
      raised += outcome == 'R';
      if (outcome != 'L') no_effect.insert({saver, n});
    }
  }
  int reads = 0, whole_reads = 0, empty_reads = 0, torn = 0, ghosts = 0;
  std::istringstream lines(read_back(reports.file("reader")));
  for (std::string line; std::getline(lines, line); ++reads) {
    int saver = 0, n = 0;
    if (line == "-") {
      ++empty_reads;
    } else if (std::sscanf(line.c_str(), "%d %d", &saver, &n) == 2) {
      ++whole_reads;
      ghosts += no_effect.count({saver, n}) != 0;  // content of a save that did not land
    } else {
      ++torn;
      std::printf("%s\n", line.c_str());
    }
  }
  int saver = 0, n = 0;
  EXPECT_TRUE(whole(read_back(f), saver, n) && !no_effect.count({saver, n})) << "the file is no landed version";
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(ghosts, 0);
  EXPECT_EQ(raised, 0) << "nothing here makes a write fail";
  EXPECT_GT(whole_reads, 0);
  EXPECT_EQ(dir.entry_count(), 1u);
  std::printf(
      "2 savers x %d saves, 1 reader: %d landed, %d no effect (held), %d raised; %d reads: %d whole, %d "
      "held, %d torn\n",
      saves, landed, held, raised, reads, whole_reads, empty_reads, torn);
#endif
}

}  // namespace
