// LoadImageA on random files. The first byte chooses the call (a DIB section or a device
// bitmap, the file's size or a small one of its own); the rest is the file. Whatever the file
// holds, the call never reads outside it and never makes more pixels than it can justify: a
// file of n bytes describes at most 8n pixels, which become at most 32n bytes of bitmap (a
// stretched one takes the size asked for). A bitmap that comes back has the size asked for, reads back whole
// through GetDIBits and is deleted; nothing is left behind, open file handles included.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include <veneer/framework/win32_api.h>
#include <veneer/headless/testing.h>

namespace {

// The file the input is written to, in a scratch folder of this process removed at exit. The
// name is never destroyed: the exit handler still needs it.
const std::string& bmp_path() {
  static const std::string* const path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/veneer-fuzz-bmp-XXXXXX";
    require(mkdtemp(folder.data()) != nullptr);
    static const std::string* const dir = new std::string(folder);
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(*dir, error);
    });
    return new std::string(folder + "/skin.bmp");
  }();
  return *path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 1 << 20) return 0;
  const std::uint8_t mode = data[0];
  const std::string& path = bmp_path();
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    require(f != nullptr);
    require(std::fwrite(data + 1, 1, size - 1, f) == size - 1);
    require(std::fclose(f) == 0);
  }
  const UINT flags = LR_LOADFROMFILE | (mode & 1 ? LR_CREATEDIBSECTION : 0);
  const int cx = (mode >> 1) & 7, cy = (mode >> 4) & 7;  // 0: the file's size

  // The screen's own pixels are made on first use: not by this call.
  static const bool screen_ready = [] {
    HDC screen = GetDC(nullptr);
    GetPixel(screen, 0, 0);
    ReleaseDC(nullptr, screen);
    return true;
  }();
  require(screen_ready);
  using namespace veneer::headless::testing;
  const LiveCounts before = live_counts();
  const std::uint64_t bytes_before = bitmap_bytes_made();
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, cx * 3, cy * 2, flags));
  const std::uint64_t made = bitmap_bytes_made() - bytes_before;
  if (bitmap) {
    BITMAP record{};
    require(GetObjectA(bitmap, sizeof record, &record) == sizeof record);
    require(record.bmWidth > 0 && record.bmHeight > 0);
    // Each row of the file takes a byte at least, and a byte holds at most 8 pixels.
    const auto n = static_cast<std::uint64_t>(size);
    require(cx ? record.bmWidth == cx * 3 : static_cast<std::uint64_t>(record.bmWidth) <= 8 * n);
    require(cy ? record.bmHeight == cy * 2 : static_cast<std::uint64_t>(record.bmHeight) <= n);
    // Stretching also copies the file's pixels once (StretchDIBits' source).
    const std::uint64_t file_pixels = 32 * n + 64;
    require(made <= static_cast<std::uint64_t>(record.bmWidth + 1) * 4 * static_cast<std::uint64_t>(record.bmHeight) +
                        (cx || cy ? file_pixels : 0));
    if (!cx && !cy) require(made <= file_pixels);
    require((record.bmBits != nullptr) == ((mode & 1) != 0));
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(record.bmWidth) * record.bmHeight);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), record.bmWidth, -record.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    require(GetDIBits(screen, bitmap, 0, static_cast<UINT>(record.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) ==
            record.bmHeight);
    ReleaseDC(nullptr, screen);
    require(DeleteObject(bitmap));
  } else {
    require(made == 0);
    const DWORD error = GetLastError();
    require(error == ERROR_INVALID_DATA || error == ERROR_INVALID_PARAMETER || error == ERROR_FILE_INVALID ||
            error == ERROR_NOT_ENOUGH_MEMORY);
  }
  require(live_counts() == before);
  return 0;
}
