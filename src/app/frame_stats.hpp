#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace qv {

// Sliding window of the last 60 frame times. The first report is written once
// a full second has passed and 60 samples exist; after a settings change the
// state goes back to 0 and the next full measurement is reported again.
// Every time is 64-bit microseconds: a 32-bit difference wraps after 36 minutes.
class FrameStats {
 public:
  static constexpr int kWindow = 60;

  // One frame: runs the measurement step, then records elapsed. Returns true
  // when the report line should be written this frame.
  bool beforeRender();
  void afterRender(int64_t elapsedMicros);
  void requestReset() { reportState_ = 0; }

  float framesPerSecond() const { return fps_; }
  int64_t averageMicros() const { return average_; }
  int reportState() const { return reportState_; }
  int sampleCount() const { return count_; }
  int64_t oneSecondAccumulator() const { return oneSecond_; }
  static std::string reportLine(bool verticalSync, bool frameLimit, float fps, int64_t averageMicros);

 private:
  std::array<int64_t, kWindow> samples_{};
  int head_ = 0;   // index of the oldest sample
  int count_ = 0;
  int64_t sum_ = 0;
  float fps_ = 0.0f;
  int64_t average_ = 0;
  int64_t oneSecond_ = 0;
  int reportState_ = 0;
};

// The frame loop's clock: microseconds gathered since the last frame ran, from
// a monotonic 64-bit clock. A reading that does not move forward changes nothing.
class FrameClock {
 public:
  // A long stall advances the game by at most this much in one frame.
  static constexpr int64_t kMaxFrameMicros = 50000;

  explicit FrameClock(int64_t now) : last_(now) {}
  void tick(int64_t now) {
    const int64_t d = now - last_;
    if (d > 0) {
      last_ = now;
      accumulator_ += d;
    }
  }
  int64_t accumulator() const { return accumulator_; }
  // This frame's share of the gathered time; the rest of a stall is dropped.
  int64_t frameMicros() const { return accumulator_ < kMaxFrameMicros ? accumulator_ : kMaxFrameMicros; }
  void frameRan() { accumulator_ = 0; }

 private:
  int64_t last_;
  int64_t accumulator_ = 0;
};

}  // namespace qv
