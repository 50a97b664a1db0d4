// How much memory the skin region builder takes: the peak of the heap during one
// AfxCreateSkinRegion call above what was allocated before it, for skins that differ in
// pixel count and in the number of rectangles of their regions. Headless build only: the
// program replaces the C allocator to count every byte the library and the platform take.
//
// Prints a JSON array: one object per skin with its size, the region's rectangle count and
// the peak in bytes.
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/skins.h"
#include <veneer/veneer.h>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace {

std::atomic<long long> live_bytes{0};
std::atomic<long long> peak_bytes{0};

void* counted(void* p) {
  if (p) {
    const long long now = live_bytes += static_cast<long long>(malloc_usable_size(p));
    long long peak = peak_bytes.load(std::memory_order_relaxed);
    while (now > peak && !peak_bytes.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
  }
  return p;
}

void uncount(void* p) {
  if (p) live_bytes -= static_cast<long long>(malloc_usable_size(p));
}

}  // namespace

// The allocator's entry points, all of them, so that every block is counted on the way in
// and on the way out.
extern "C" {
void* malloc(size_t n) { return counted(__libc_malloc(n)); }
void* calloc(size_t n, size_t size) { return counted(__libc_calloc(n, size)); }
void free(void* p) {
  uncount(p);
  __libc_free(p);
}
void* realloc(void* p, size_t n) {
  const long long before = p ? static_cast<long long>(malloc_usable_size(p)) : 0;
  void* q = __libc_realloc(p, n);
  if (!q) return q;  // the old block is untouched (or n was 0 and it was freed)
  live_bytes -= before;
  return counted(q);
}
void* reallocarray(void* p, size_t n, size_t size) {
  if (size && n > static_cast<size_t>(-1) / size) return nullptr;
  return realloc(p, n * size);
}
void* memalign(size_t alignment, size_t n) { return counted(__libc_memalign(alignment, n)); }
void* aligned_alloc(size_t alignment, size_t n) { return memalign(alignment, n); }
int posix_memalign(void** out, size_t alignment, size_t n) {
  void* p = memalign(alignment, n);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}
void* valloc(size_t n) { return memalign(4096, n); }
void* pvalloc(size_t n) { return memalign(4096, (n + 4095) & ~static_cast<size_t>(4095)); }
}

namespace {

struct Probe {
  std::string name;
  veneer::bench::Pixels skin;
};

long long rectangle_count(HRGN region) {
  const DWORD bytes = ::GetRegionData(region, 0, nullptr);
  return bytes >= sizeof(RGNDATAHEADER) ? static_cast<long long>((bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT)) : -1;
}

}  // namespace

int main() {
  using namespace veneer::bench;
  std::vector<Probe> probes;
  probes.push_back({"plain_1024x768", picture(1024, 768)});
  probes.push_back({"plain_4096x3072", picture(4096, 3072)});
  probes.push_back({"holes_1024x768", holed_skin(1024, 768, 0.2)});
  probes.push_back({"holes_4096x3072", holed_skin(4096, 3072, 0.2)});
  probes.push_back({"rounded_1024x768", rounded_skin(1024, 768, 16, 2)});
  probes.push_back({"rounded_4096x3072", rounded_skin(4096, 3072, 16, 2)});

  std::printf("[\n");
  for (std::size_t i = 0; i < probes.size(); ++i) {
    Probe& probe = probes[i];
    CBitmap bitmap;
    bitmap.Attach(make_dib(probe.skin, 32));
    CRgn region;
    // The first call sizes the platform's own caches; the second is the one counted.
    int ok = AfxCreateSkinRegion(&bitmap, &region);
    const long long before = live_bytes.load();
    peak_bytes = before;
    ok = ok && AfxCreateSkinRegion(&bitmap, &region);
    const long long peak = peak_bytes.load() - before;
    std::printf(
        "  {\"name\": \"%s\", \"width\": %d, \"height\": %d, \"ok\": %s, \"rects\": %lld, \"peak_bytes\": %lld}%s\n",
        probe.name.c_str(), probe.skin.width, probe.skin.height, ok ? "true" : "false",
        region.m_hObject ? rectangle_count(static_cast<HRGN>(region.m_hObject)) : -1, peak,
        i + 1 < probes.size() ? "," : "");
    std::vector<std::uint32_t>().swap(probe.skin.data);
  }
  std::printf("]\n");
  return 0;
}
