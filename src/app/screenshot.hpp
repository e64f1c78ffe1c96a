#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace qv {

// Screenshots (F12): the finished frame is read back on the frame loop (a
// copy of the pixels, a few milliseconds) and a worker thread turns it into a
// PNG in "Quillon Vale/Screenshots", written atomically, so the frame never
// waits for the encoder. One shot is encoded at a time; a press while one is
// still being written is refused with a message.
namespace screenshot {

// The file <user folder>/Screenshots/Quillon Vale <stamp>.png, or with (2), (3)
// when that name is taken (several shots within one second).
std::string freePath(const std::string& folder, const std::string& stamp);
// Rows bottom first (as GL reads them) to a PNG file; false when encoding or writing fails.
bool writePng(const std::string& path, std::vector<uint8_t> rgbaBottomUp, int width, int height);

}  // namespace screenshot

class ScreenshotTaker {
 public:
  enum class Result { kNone, kSaved, kFailed, kBusy };
  ~ScreenshotTaker();
  // Asks for the next finished frame.
  void request() { requested_ = true; }
  bool requested() const { return requested_; }
  // After the frame is drawn and before it is shown: starts reading the
  // framebuffer into a pixel buffer when a shot was asked for. The read runs
  // behind the frame; collect() picks the pixels up a frame later.
  void captureIfRequested(int framebufferWidth, int framebufferHeight);
  // Before the next frame is drawn: copies the pixels read last frame and
  // hands them to the worker.
  void collect();
  // What happened since the last call (each outcome is reported once).
  Result poll();
  const std::string& lastPath() const { return path_; }
  // Time the frame loop spent on the last shot (starting the read and copying
  // the pixels out) and the worker's encode-and-write time, in microseconds.
  int64_t readMicros() const { return readMicros_; }
  int64_t encodeMicros() const { return encodeMicros_.load(); }
  // Waits for a shot still being written (shut-down).
  void finish();

 private:
  bool requested_ = false;
  bool busyRefused_ = false;
  std::thread worker_;
  std::atomic<int> state_{0};  // 0 idle, 1 writing, 2 saved, 3 failed
  std::string path_;
  int64_t readMicros_ = 0;
  uint32_t pixelBuffer_ = 0;
  size_t pixelBufferBytes_ = 0;
  bool pending_ = false;  // a read into the pixel buffer waits to be collected
  int width_ = 0, height_ = 0;
  std::atomic<int64_t> encodeMicros_{0};
};

ScreenshotTaker& screenshotTaker();

}  // namespace qv
