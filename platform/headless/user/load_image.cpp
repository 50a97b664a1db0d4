// LoadImageA: bitmaps from BMP files, as device bitmaps or DIB sections, at the file's size or
// stretched to the one asked for.
#include <new>
#include <vector>

#include "gdi/objects.h"
#include "user/bmp_file.h"
#include <veneer/headless/gdi.h>
#include <veneer/headless/kernel_base.h>
#include <veneer/headless/kernel_file.h>
#include <veneer/headless/user.h>

using namespace veneer::headless;

namespace {

// The whole file; false with the last error set when it cannot be read.
bool read_file(LPCSTR name, std::vector<std::uint8_t>& bytes) {
  HANDLE file =
      CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  if (high != 0 || size == INVALID_FILE_SIZE) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // no BMP this large can be held
  } else {
    try {
      bytes.resize(size);
      DWORD read = 0;
      ok = ReadFile(file, bytes.data(), size, &read, nullptr) != FALSE;
      if (ok && read != size) {
        ok = false;
        SetLastError(ERROR_INVALID_DATA);  // cut short while it was read
      }
    } catch (const std::bad_alloc&) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
  }
  const DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return ok;
}

// The bitmap Win32 makes for the file: a DIB section of the file's depth (where this GDI has
// it) or a device bitmap, monochrome for a file of black and white and of the screen's depth
// otherwise.
HBITMAP make_target(const user::BmpImage& image, int width, int height, bool dib_section, HDC screen) {
  if (dib_section) {
    const gdi::PixelFormat format = image.black_white  ? gdi::PixelFormat::Mono
                                    : image.bits == 24 ? gdi::PixelFormat::Bgr24
                                                       : gdi::PixelFormat::Bgrx32;
    return gdi::create_dib_section(width, height, format, image.bottom_up);
  }
  if (image.black_white) return CreateBitmap(width, height, 1, 1, nullptr);
  return CreateCompatibleBitmap(screen, width, height);
}

// The image's pixels into the bitmap, stretched when the sizes differ.
bool draw(const user::BmpImage& image, HBITMAP bitmap, int width, int height, HDC screen) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (width == image.width && height == image.height)
    return SetDIBits(screen, bitmap, 0, static_cast<UINT>(height), image.pixels.data(), &info, DIB_RGB_COLORS) ==
           height;
  HDC dc = CreateCompatibleDC(screen);
  if (!dc) return false;
  HGDIOBJ previous = SelectObject(dc, bitmap);
  // Rows and columns are dropped or repeated, never blended, as Win32 was seen to stretch them.
  SetStretchBltMode(dc, COLORONCOLOR);
  const bool ok = previous && StretchDIBits(dc, 0, 0, width, height, 0, 0, image.width, image.height,
                                            image.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY) != 0;
  if (previous) SelectObject(dc, previous);
  DeleteDC(dc);
  return ok;
}

HANDLE fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

extern "C" HANDLE WINAPI LoadImageA(HINSTANCE, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  // This platform has no resources: only files are loaded.
  if (!(flags & LR_LOADFROMFILE)) return fail(ERROR_RESOURCE_NAME_NOT_FOUND);
  if (type != IMAGE_BITMAP || cx < 0 || cy < 0) return fail(ERROR_INVALID_PARAMETER);
  if (!name) return fail(ERROR_PATH_NOT_FOUND);

  user::BmpImage image;
  {
    std::vector<std::uint8_t> bytes;
    if (!read_file(name, bytes)) return nullptr;
    const DWORD error = user::read_bmp(bytes.data(), bytes.size(), image);
    if (error != ERROR_SUCCESS) return fail(error);
  }  // the file's bytes go before the bitmap is made

  const int width = cx ? cx : image.width, height = cy ? cy : image.height;
  HDC screen = GetDC(nullptr);
  if (!screen) return fail(ERROR_NOT_ENOUGH_MEMORY);
  // Making and drawing fail for want of memory or of GDI objects; the error is the call's own
  // where it sets one.
  SetLastError(ERROR_SUCCESS);
  HBITMAP bitmap = make_target(image, width, height, (flags & LR_CREATEDIBSECTION) != 0, screen);
  if (bitmap && !draw(image, bitmap, width, height, screen)) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  const DWORD error = GetLastError();
  ReleaseDC(nullptr, screen);
  if (!bitmap) return fail(error != ERROR_SUCCESS ? error : ERROR_NOT_ENOUGH_MEMORY);
  return bitmap;
}
