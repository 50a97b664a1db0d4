// OpenCV's way of two scenes, one thread, on the same DIB sections' memory: gray as BGR to
// gray and back, and the keyed block as inRange and a masked copy.
#include <memory>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "bench/drawing_workload.h"
#include "bench/scenes.h"
#include "bench/workloads.h"

namespace veneer::bench {

namespace {

// The section's rows as a matrix, without a copy.
cv::Mat wrap(const Dib& dib, int width, int height, int type) {
  return cv::Mat(height, width, type, dib.bits, dib.stride);
}

struct GrayState {
  GrayState() { cv::setNumThreads(1); }
  Dib target{picture(kGrayWidth, kGrayHeight), 24};
  cv::Mat gray;  // kept, so that no run allocates
  explicit operator bool() const { return static_cast<bool>(target); }
  void draw() {
    cv::Mat bgr = wrap(target, kGrayWidth, kGrayHeight, CV_8UC3);
    cv::cvtColor(bgr, gray, cv::COLOR_BGR2GRAY);
    cv::cvtColor(gray, bgr, cv::COLOR_GRAY2BGR);
  }
  Pixels read() const { return target.read(); }
};

struct KeyedState {
  KeyedState() { cv::setNumThreads(1); }
  Dib target{picture(KeyedBlock::kTargetWidth, KeyedBlock::kTargetHeight), 32};
  Dib skin{keyed_block_skin(), 32};
  cv::Mat key_mask, keep_mask;
  explicit operator bool() const { return target && skin; }
  void draw() {
    const int side = KeyedBlock::kSide;
    const cv::Mat from = wrap(skin, KeyedBlock::kSkinSide, KeyedBlock::kSkinSide,
                              CV_8UC4)(cv::Rect(KeyedBlock::kSourceX, KeyedBlock::kSourceY, side, side));
    cv::Mat to = wrap(target, KeyedBlock::kTargetWidth, KeyedBlock::kTargetHeight,
                      CV_8UC4)(cv::Rect(KeyedBlock::kDestX, KeyedBlock::kDestY, side, side));
    // The key in B, G, R order; the fourth byte is not part of the colour.
    cv::inRange(from, cv::Scalar(255, 0, 255, 0), cv::Scalar(255, 0, 255, 255), key_mask);
    cv::bitwise_not(key_mask, keep_mask);
    from.copyTo(to, keep_mask);
  }
  Pixels read() const { return target.read(); }
};

}  // namespace

void add_opencv_workloads(std::vector<Workload>& list) {
  // OpenCV rounds its weighted sum where the library truncates each of its three products:
  // over all 2^24 colours its gray is the library's or up to 3 levels brighter.
  list.push_back(Workload{"opencv_gray_1920x1080", "OpenCV cvtColor BGR2GRAY then GRAY2BGR, 1 thread, in place", false,
                          false, prepare_drawing<GrayState>, [] { return check_drawing<GrayState>(library_gray, 3); }});
  list.push_back(Workload{"opencv_trans_64", "OpenCV inRange of the key, then copyTo through the inverted mask", false,
                          false, prepare_drawing<KeyedState>,
                          [] { return check_drawing<KeyedState>(library_keyed_block, 0); }});
}

}  // namespace veneer::bench
