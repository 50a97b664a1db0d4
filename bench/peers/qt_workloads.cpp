// Qt's way of the skin regions: QRegion from a QBitmap, timed from the same 32-bit pixels
// (the mask made from the key colour first) and from a mask made once.
#include <QtGui/QBitmap>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QRegion>
#include <clocale>
#include <memory>
#include <string>

#include "bench/scenes.h"
#include "bench/workloads.h"

namespace veneer::bench {

namespace {

// A QBitmap is a pixmap, which needs an application; the offscreen platform needs no
// display. Made once, on first use, and kept for the life of the process.
bool ensure_application() {
  if (QGuiApplication::instance()) return true;
  static int argc = 3;
  static char name[] = "veneer_bench", option[] = "-platform", platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  // The application sets the locale from the environment; the rest of the process (the
  // benchmark's JSON numbers among it) keeps the one it had.
  const std::string locale = std::setlocale(LC_ALL, nullptr);
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  std::setlocale(LC_ALL, locale.c_str());
  return application != nullptr;
}

struct RegionState {
  explicit RegionState(bool rounded) : skin(region_skin(rounded), 32) {}
  // The section's rows as an image, without a copy; its pixels' fourth byte is 0, so the key
  // is compared as the section holds it.
  QImage image() const {
    return QImage(skin.bits, kRegionWidth, kRegionHeight, static_cast<qsizetype>(skin.stride), QImage::Format_RGB32);
  }
  // With MaskInColor the key's pixels end up outside the region QRegion(QBitmap) makes, as
  // the check confirms (with MaskOutColor it finds the region inverted).
  QBitmap mask_from_pixels() const {
    return QBitmap::fromImage(image().createMaskFromColor(kKeyPixel, Qt::MaskInColor));
  }
  Dib skin;
  QBitmap ready_mask;
  QRegion region;
};

std::vector<Rect> rects_of(const QRegion& region) {
  std::vector<Rect> out;
  for (const QRect& r : region) out.push_back(Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
  return out;
}

Prepared prepare(bool rounded, bool from_pixels) {
  if (!ensure_application()) return {};
  auto s = std::make_shared<RegionState>(rounded);
  if (!s->skin) return {};
  s->ready_mask = s->mask_from_pixels();
  Prepared p = from_pixels
                   ? prepared<RegionState>(s, true, [](RegionState& st) { st.region = QRegion(st.mask_from_pixels()); })
                   : prepared<RegionState>(s, true, [](RegionState& st) { st.region = QRegion(st.ready_mask); });
  p.counters.emplace_back("rects", static_cast<double>(QRegion(s->ready_mask).rectCount()));
  return p;
}

// Equivalent: the same pixels covered. Qt splits the area into rectangles its own way, so
// only their number is reported, not compared.
std::string check(bool rounded) {
  if (!ensure_application()) return "no Qt application";
  RegionState s(rounded);
  if (!s.skin) return "no DIB section";
  return compare_coverage(library_region(region_skin(rounded)), rects_of(QRegion(s.mask_from_pixels())), kRegionWidth,
                          kRegionHeight);
}

}  // namespace

void add_qt_workloads(std::vector<Workload>& list) {
  for (bool rounded : {false, true}) {
    const std::string skin = rounded ? "rounded" : "holes";
    list.push_back(Workload{"qt_region_pixels_" + skin + "_1024x768",
                            "Qt QRegion(QBitmap) from the 32-bit pixels: key mask, bitmap, region", false, false,
                            [rounded] { return prepare(rounded, true); }, [rounded] { return check(rounded); }});
    list.push_back(Workload{"qt_region_mask_" + skin + "_1024x768", "Qt QRegion(QBitmap) from a ready 1-bit mask",
                            false, false, [rounded] { return prepare(rounded, false); },
                            [rounded] { return check(rounded); }});
  }
}

}  // namespace veneer::bench
