// Conversion of row spans between the monochrome, 24-bit and 32-bit formats, with the rules
// Win32 applies in blits. Each pairing has its own loop; monochrome sources and targets move
// a byte of eight pixels at a time where they can.
#include "gdi/raster.h"

namespace veneer::headless::gdi::raster {

void copy_bits(std::uint8_t* dst, int dst_bit, const std::uint8_t* src, int src_bit, int count) {
  if (count <= 0) return;
  dst += dst_bit >> 3;
  dst_bit &= 7;
  src += src_bit >> 3;
  src_bit &= 7;
  if (dst_bit == src_bit) {
    // Same alignment: whole bytes in the middle, masked edges.
    int first = 8 - dst_bit;
    if (count <= first) {
      std::uint8_t mask = static_cast<std::uint8_t>((0xffu >> dst_bit) & (0xffu << (first - count)));
      *dst = static_cast<std::uint8_t>((*dst & ~mask) | (*src & mask));
      return;
    }
    if (dst_bit) {
      std::uint8_t mask = static_cast<std::uint8_t>(0xffu >> dst_bit);
      *dst = static_cast<std::uint8_t>((*dst & ~mask) | (*src & mask));
      ++dst;
      ++src;
      count -= first;
    }
    std::size_t whole = static_cast<std::size_t>(count) / 8;
    std::memmove(dst, src, whole);
    dst += whole;
    src += whole;
    count -= static_cast<int>(whole * 8);
    if (count) {
      std::uint8_t mask = static_cast<std::uint8_t>(0xff00u >> count);
      *dst = static_cast<std::uint8_t>((*dst & ~mask) | (*src & mask));
    }
    return;
  }
  // Different alignment: build each output byte from two source bytes.
  int out = dst_bit;
  int in = src_bit;
  while (count > 0) {
    int room = 8 - out;
    int n = count < room ? count : room;
    // The next n source bits, left-aligned in a 16-bit window.
    unsigned window = (static_cast<unsigned>(src[0]) << 8) | (n > 8 - in ? src[1] : 0u);
    unsigned bits = (window << in) & 0xffffu;  // source bits now start at bit 15
    std::uint8_t value = static_cast<std::uint8_t>((bits >> 8) >> out);
    std::uint8_t mask = static_cast<std::uint8_t>(((0xff00u >> n) & 0xffu) >> out);
    *dst = static_cast<std::uint8_t>((*dst & ~mask) | (value & mask));
    count -= n;
    out += n;
    in += n;
    if (out == 8) {
      out = 0;
      ++dst;
    }
    src += in >> 3;
    in &= 7;
  }
}

namespace {

void mono_to_colour(const std::uint8_t* src, int sx, int count, std::uint8_t* out, int dst_bpp,
                    const ConversionColors& c) {
  if (dst_bpp == 32) {
    auto* o = out;
    for (int i = 0; i < count; ++i, o += 4) {
      int x = sx + i;
      std::uint32_t v = ((src[x >> 3] >> (7 - (x & 7))) & 1u) ? c.one : c.zero;
      std::memcpy(o, &v, 4);
    }
  } else {
    for (int i = 0; i < count; ++i) {
      int x = sx + i;
      std::uint32_t v = ((src[x >> 3] >> (7 - (x & 7))) & 1u) ? c.one : c.zero;
      out[3 * i] = static_cast<std::uint8_t>(v);
      out[3 * i + 1] = static_cast<std::uint8_t>(v >> 8);
      out[3 * i + 2] = static_cast<std::uint8_t>(v >> 16);
    }
  }
}

// Colour to monochrome, eight pixels gathered into a byte before it is stored.
template <int SrcBpp>
void colour_to_mono(const std::uint8_t* src, int sx, int count, std::uint8_t* out, int out_bit,
                    std::uint32_t background) {
  constexpr int step = SrcBpp / 8;
  const std::uint8_t* p = src + static_cast<std::size_t>(sx) * step;
  int bit = out_bit;
  std::uint8_t* o = out;
  unsigned acc = 0;
  int pending = 0;  // bits gathered in acc for the current byte
  auto flush = [&](int first_bit) {
    std::uint8_t mask = static_cast<std::uint8_t>(((0xff00u >> pending) & 0xffu) >> first_bit);
    std::uint8_t value = static_cast<std::uint8_t>((acc << (8 - pending)) >> first_bit);
    *o = static_cast<std::uint8_t>((*o & ~mask) | (value & mask));
  };
  int first_bit = bit;
  for (int i = 0; i < count; ++i, p += step) {
    std::uint32_t v;
    if constexpr (SrcBpp == 32)
      std::memcpy(&v, p, 4);
    else
      v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
          (static_cast<std::uint32_t>(p[2]) << 16);
    acc = (acc << 1) | (v == background ? 1u : 0u);
    ++pending;
    if (first_bit + pending == 8) {
      flush(first_bit);
      ++o;
      acc = 0;
      pending = 0;
      first_bit = 0;
    }
  }
  if (pending) flush(first_bit);
}

}  // namespace

void convert_span(const std::uint8_t* src, int src_bpp, int sx, int count, std::uint8_t* out, int dst_bpp, int out_bit,
                  const ConversionColors& colors) {
  if (count <= 0) return;
  if (src_bpp == dst_bpp) {
    if (src_bpp == 1)
      copy_bits(out, out_bit, src, sx, count);
    else
      std::memmove(out, src + static_cast<std::size_t>(sx) * (src_bpp / 8),
                   static_cast<std::size_t>(count) * (src_bpp / 8));
    return;
  }
  if (src_bpp == 1) return mono_to_colour(src, sx, count, out, dst_bpp, colors);
  if (dst_bpp == 1) {
    if (src_bpp == 32)
      colour_to_mono<32>(src, sx, count, out, out_bit, colors.source_background);
    else
      colour_to_mono<24>(src, sx, count, out, out_bit, colors.source_background & 0xffffff);
    return;
  }
  if (src_bpp == 24) {  // 24 to 32: the top byte becomes 0
    const std::uint8_t* p = src + static_cast<std::size_t>(sx) * 3;
    for (int i = 0; i < count; ++i, p += 3, out += 4) {
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
      out[3] = 0;
    }
  } else {  // 32 to 24: the top byte is dropped
    const std::uint8_t* p = src + static_cast<std::size_t>(sx) * 4;
    for (int i = 0; i < count; ++i, p += 4, out += 3) {
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
    }
  }
}

}  // namespace veneer::headless::gdi::raster
