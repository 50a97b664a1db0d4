// The floors as workloads: each scene drawn by a plain loop over the same DIB sections' rows,
// checked equal to the library's output before it is timed.
#include <memory>

#include "bench/drawing_workload.h"
#include "bench/plain_loops.h"
#include "bench/scenes.h"
#include "bench/workloads.h"

namespace veneer::bench {

namespace {

struct GrayState {
  Dib target{picture(kGrayWidth, kGrayHeight), 24};
  explicit operator bool() const { return static_cast<bool>(target); }
  void draw() const { plain::gray24(target.bits, kGrayWidth, kGrayHeight, target.stride); }
  Pixels read() const { return target.read(); }
};

struct KeyedState {
  Dib target{picture(KeyedBlock::kTargetWidth, KeyedBlock::kTargetHeight), 32};
  Dib skin{keyed_block_skin(), 32};
  explicit operator bool() const { return target && skin; }
  void draw() const {
    plain::keyed_block(skin.row32(0), skin.stride32(), KeyedBlock::kSourceX, KeyedBlock::kSourceY, KeyedBlock::kSide,
                       target.row32(0), target.stride32(), KeyedBlock::kDestX, KeyedBlock::kDestY, kKeyPixel);
  }
  Pixels read() const { return target.read(); }
};

struct SliceState {
  Dib target{picture(ThreeSlice::kTargetWidth, ThreeSlice::kTargetHeight), 32};
  Dib skin{picture(ThreeSlice::kSkinSide, ThreeSlice::kSkinSide), 32};
  explicit operator bool() const { return target && skin; }
  void draw() const {
    plain::three_slice(skin.row32(0), skin.stride32(), ThreeSlice::kSourceX, ThreeSlice::kSourceY,
                       ThreeSlice::kSourceWidth, target.row32(0), target.stride32(), ThreeSlice::kDestY,
                       ThreeSlice::kTargetWidth, ThreeSlice::kHeight, ThreeSlice::kCap);
  }
  Pixels read() const { return target.read(); }
};

struct RunsState {
  explicit RunsState(bool rounded) : skin(region_skin(rounded), 32) {}
  void scan() {
    runs.clear();
    plain::key_runs(skin.row32(0), skin.stride32(), kRegionWidth, kRegionHeight, kKeyPixel, runs);
  }
  Dib skin;
  std::vector<Rect> runs;
};

Prepared prepare_runs(bool rounded) {
  auto s = std::make_shared<RunsState>(rounded);
  if (!s->skin) return {};
  s->scan();  // sizes the list once, as a region keeps its storage between scans
  Prepared p = prepared<RunsState>(s, true, [](RunsState& st) { st.scan(); });
  p.counters.emplace_back("rects", static_cast<double>(s->runs.size()));
  return p;
}

std::string check_runs(bool rounded) {
  RunsState s(rounded);
  if (!s.skin) return "no DIB section";
  s.scan();
  return compare_coverage(library_region(region_skin(rounded)), s.runs, kRegionWidth, kRegionHeight);
}

}  // namespace

void add_plain_workloads(std::vector<Workload>& list) {
  auto add = [&](std::string name, std::string description, std::function<Prepared()> prepare,
                 std::function<std::string()> check) {
    list.push_back(
        Workload{std::move(name), std::move(description), false, false, std::move(prepare), std::move(check)});
  };
  add("plain_gray_1920x1080", "plain loop: the gray formula over the 24-bit rows in place", prepare_drawing<GrayState>,
      [] { return check_drawing<GrayState>(library_gray, 0); });
  add("plain_trans_64", "plain loop: the 64x64 block's non-key pixels copied", prepare_drawing<KeyedState>,
      [] { return check_drawing<KeyedState>(library_keyed_block, 0); });
  add("plain_three_slice_800x30", "plain loop: caps copied, middle stretched by nearest column",
      prepare_drawing<SliceState>, [] { return check_drawing<SliceState>(library_three_slice, 0); });
  add(
      "plain_region_holes_1024x768", "plain loop: non-key runs of each row, 20% key in 4x4 holes",
      [] { return prepare_runs(false); }, [] { return check_runs(false); });
  add(
      "plain_region_rounded_1024x768", "plain loop: non-key runs of each row, rounded skin",
      [] { return prepare_runs(true); }, [] { return check_runs(true); });
}

}  // namespace veneer::bench
