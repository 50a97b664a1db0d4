// Reads a fuzzer's input as a stream of small decisions; past the end every read is zero,
// so that any input, even an empty one, is a valid case.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veneer::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint32_t u32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
    return v;
  }
  // A coordinate or size: mostly small, sometimes negative, sometimes near the int limits.
  int coordinate() {
    const std::uint8_t kind = byte();
    const int small = static_cast<std::int8_t>(byte());
    switch (kind % 8) {
      case 6:
        return static_cast<int>(u32());
      case 7:
        return small < 0 ? INT32_MIN - small : INT32_MAX - small;
      default:
        return small;
    }
  }
  std::size_t left() const { return pos_ < size_ ? size_ - pos_ : 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace veneer::fuzz
