#include "app/frame_stats.hpp"

#include "render/display.hpp"

namespace qv {

bool FrameStats::beforeRender() {
  bool report = false;
  if (reportState_ == 0) {
    count_ = 0;
    head_ = 0;
    sum_ = 0;
    fps_ = 0.0f;
    average_ = 0;
    oneSecond_ = 0;
    reportState_ = 1;
  } else if (oneSecond_ >= 1000000 && count_ == kWindow) {
    average_ = sum_ / kWindow;
    const float seconds = static_cast<float>(sum_) / 1000000.0f;
    if (seconds > 0.0f) {
      fps_ = kWindow / seconds;
      oneSecond_ = 0;
      if (reportState_ == 1) {
        report = true;
        reportState_ = 2;
      }
    }
  }
  return report;
}

void FrameStats::afterRender(int64_t elapsed) {
  oneSecond_ += elapsed;
  if (count_ >= kWindow) {
    sum_ -= samples_[head_];
    head_ = (head_ + 1) % kWindow;
    --count_;
  }
  samples_[(head_ + count_) % kWindow] = elapsed;
  ++count_;
  sum_ += elapsed;
}

std::string FrameStats::reportLine(bool vsync, bool limit, float fps, int64_t avg) {
  return std::string("Vertical Sync = ") + (vsync ? "true" : "false") + "   Frame Limit = " +
         (limit ? "true" : "false") + "   FPS Measured = " + twoDecimals(fps) +
         "   Avg. Frame Time us Measured = " + std::to_string(avg);
}

}  // namespace qv
