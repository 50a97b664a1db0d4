// Conversion of row spans between the monochrome, 24-bit and 32-bit formats, with the rules
// Win32 applies in blits. Each pairing has its own loop, picked once per call; monochrome
// sources and targets move a byte of eight pixels at a time where they can.
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

template <PixelFormat To>
void mono_to_colour(const std::uint8_t* src, int sx, int count, std::uint8_t* out, const ConversionColors& c) {
  for (int i = 0; i < count; ++i) write_pixel<To>(out, i, read_pixel<PixelFormat::Mono>(src, sx + i) ? c.one : c.zero);
}

// Colour to monochrome, eight pixels gathered into a byte before it is stored.
template <PixelFormat From>
void colour_to_mono(const std::uint8_t* src, int sx, int count, std::uint8_t* out, int out_bit,
                    std::uint32_t background) {
  std::uint8_t* o = out;
  unsigned acc = 0;
  int pending = 0;  // bits gathered in acc for the current byte
  auto flush = [&](int first_bit) {
    std::uint8_t mask = static_cast<std::uint8_t>(((0xff00u >> pending) & 0xffu) >> first_bit);
    std::uint8_t value = static_cast<std::uint8_t>((acc << (8 - pending)) >> first_bit);
    *o = static_cast<std::uint8_t>((*o & ~mask) | (value & mask));
  };
  int first_bit = out_bit;
  for (int i = 0; i < count; ++i) {
    acc = (acc << 1) | (read_pixel<From>(src, sx + i) == background ? 1u : 0u);
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

// Between the colour formats the colour bytes are kept: 24 to 32 makes a 0 top byte, 32 to
// 24 drops it.
template <PixelFormat From, PixelFormat To>
void colour_to_colour(const std::uint8_t* src, int sx, int count, std::uint8_t* out) {
  const std::uint8_t* p = src + static_cast<std::size_t>(sx) * pixel_bytes(From);
  for (int i = 0; i < count; ++i, p += pixel_bytes(From), out += pixel_bytes(To)) {
    out[0] = p[0];
    out[1] = p[1];
    out[2] = p[2];
    if constexpr (To == PixelFormat::Bgrx32) out[3] = 0;
  }
}

template <PixelFormat From, PixelFormat To>
void convert_span(const std::uint8_t* src, int sx, int count, std::uint8_t* out, int out_bit,
                  const ConversionColors& colors) {
  if (count <= 0) return;
  if constexpr (From == To && From == PixelFormat::Mono) {
    copy_bits(out, out_bit, src, sx, count);
  } else if constexpr (From == To) {
    std::memmove(out, src + static_cast<std::size_t>(sx) * pixel_bytes(From),
                 static_cast<std::size_t>(count) * pixel_bytes(From));
  } else if constexpr (From == PixelFormat::Mono) {
    mono_to_colour<To>(src, sx, count, out, colors);
  } else if constexpr (To == PixelFormat::Mono) {
    // A 24-bit pixel has no top byte to compare.
    const std::uint32_t background =
        From == PixelFormat::Bgrx32 ? colors.source_background : colors.source_background & 0xffffff;
    colour_to_mono<From>(src, sx, count, out, out_bit, background);
  } else {
    colour_to_colour<From, To>(src, sx, count, out);
  }
}

template <PixelFormat From>
SpanConversion conversion_from(PixelFormat to) {
  return with_format(to, [](auto t) -> SpanConversion { return &convert_span<From, decltype(t)::value>; });
}

}  // namespace

SpanConversion span_conversion(PixelFormat from, PixelFormat to) {
  return with_format(from, [to](auto f) { return conversion_from<decltype(f)::value>(to); });
}

}  // namespace veneer::headless::gdi::raster
