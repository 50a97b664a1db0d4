#include "tests/support/scratch_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace veneer::test {

ScratchDir::ScratchDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() /
                         ("veneer-test-" + std::to_string(stamp) + "-" + std::to_string(counter.fetch_add(1)));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("no scratch folder could be made");
}

ScratchDir::~ScratchDir() {
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string ScratchDir::file(const std::string& name) const { return (fs::path(path_) / name).string(); }

std::size_t ScratchDir::entry_count() const {
  std::size_t n = 0;
  for ([[maybe_unused]] auto& entry : fs::directory_iterator(path_)) ++n;
  return n;
}

std::string read_back(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool set_read_only(const std::string& path, bool read_only) {
  std::error_code error;
  fs::permissions(path,
                  read_only
                      ? fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read
                      : fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
                  error);
  return !error;
}

void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace veneer::test
