#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace qv {

// Sliding window of the last 60 frame times. The first report is written once
// a full second has passed and 60 samples exist; after a settings change the
// state goes back to 0 and the next full measurement is reported again.
class FrameStats {
 public:
  static constexpr int kWindow = 60;

  // One frame: runs the measurement step, then records elapsed. Returns true
  // when the report line should be written this frame.
  bool beforeRender();
  void afterRender(int32_t elapsedMicros);
  void requestReset() { reportState_ = 0; }

  float framesPerSecond() const { return fps_; }
  int32_t averageMicros() const { return average_; }
  int reportState() const { return reportState_; }
  int sampleCount() const { return count_; }
  int32_t oneSecondAccumulator() const { return oneSecond_; }
  static std::string reportLine(bool verticalSync, bool frameLimit, float fps, int32_t averageMicros);

 private:
  std::array<float, kWindow> samples_{};
  int head_ = 0;   // index of the oldest sample
  int count_ = 0;
  float sum_ = 0.0f;
  float fps_ = 0.0f;
  int32_t average_ = 0;
  int32_t oneSecond_ = 0;
  int reportState_ = 0;
  int32_t pendingElapsed_ = 0;
};

}  // namespace qv
