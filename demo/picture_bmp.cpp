#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "demo/picture_file.h"

namespace demo {
namespace {

constexpr std::uint32_t kFileHeader = 14, kInfoHeader = 40;

void put16(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
std::uint32_t get32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

}  // namespace

bool write_bmp(const std::string& path, const Picture& picture) {
  File f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f) return false;
  const std::uint32_t data = static_cast<std::uint32_t>(picture.pixels.size() * 4);
  unsigned char header[kFileHeader + kInfoHeader] = {};
  header[0] = 'B';
  header[1] = 'M';
  put32(header + 2, kFileHeader + kInfoHeader + data);
  put32(header + 10, kFileHeader + kInfoHeader);
  put32(header + 14, kInfoHeader);
  put32(header + 18, static_cast<std::uint32_t>(picture.width));
  put32(header + 22, static_cast<std::uint32_t>(-picture.height));  // top-down
  put16(header + 26, 1);
  put16(header + 28, 32);
  put32(header + 34, data);
  if (std::fwrite(header, sizeof header, 1, f.get()) != 1) return false;
  for (std::uint32_t p : picture.pixels) {
    unsigned char px[4];
    put32(px, p);  // blue, green, red, alpha
    if (std::fwrite(px, 4, 1, f.get()) != 1) return false;
  }
  return std::fclose(f.release()) == 0;
}

bool read_bmp(const std::string& path, Picture& picture) {
  File f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return false;
  unsigned char header[kFileHeader + kInfoHeader];
  if (std::fread(header, sizeof header, 1, f.get()) != 1 || header[0] != 'B' || header[1] != 'M') return false;
  const auto width = static_cast<std::int32_t>(get32(header + 18));
  const auto height = static_cast<std::int32_t>(get32(header + 22));
  if (get16(header + 28) != 32 || width <= 0 || height >= 0 || width > 16384 || -height > 16384) return false;
  if (std::fseek(f.get(), static_cast<long>(get32(header + 10)), SEEK_SET) != 0) return false;
  picture.width = width;
  picture.height = -height;
  picture.pixels.resize(static_cast<std::size_t>(width) * picture.height);
  for (std::uint32_t& p : picture.pixels) {
    unsigned char px[4];
    if (std::fread(px, 4, 1, f.get()) != 1) return false;
    p = get32(px);
  }
  return true;
}

}  // namespace demo
