#include "app/screenshot.hpp"

#include <lodepng.h>

#include <algorithm>
#include <utility>

#include "core/log.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"

namespace qv {

namespace screenshot {

std::string freePath(const std::string& folder, const std::string& stamp) {
  const std::string base = folder + "Quillon Vale " + stamp, extension = ".png";
  std::string path = base + extension;
  for (int n = 2; platform::fileExists(path) && n < 1000; ++n)
    path = base + " (" + std::to_string(n) + ")" + extension;
  return path;
}

bool writePng(const std::string& path, std::vector<uint8_t> pixels, int width, int height) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height * 4) return false;
  const size_t row = static_cast<size_t>(width) * 4;
  std::vector<uint8_t> swap(row);
  for (int y = 0; y < height / 2; ++y) {
    uint8_t* a = &pixels[static_cast<size_t>(y) * row];
    uint8_t* b = &pixels[static_cast<size_t>(height - 1 - y) * row];
    std::copy_n(a, row, swap.data());
    std::copy_n(b, row, a);
    std::copy_n(swap.data(), row, b);
  }
  // The window has no see-through parts: an opaque picture, whatever alpha the blending left behind.
  for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
  std::vector<unsigned char> png;
  lodepng::State state;
  state.info_raw.colortype = LCT_RGBA;
  state.info_png.color.colortype = LCT_RGB;
  state.encoder.auto_convert = 0;
  // A short window and greedy matching: a third of the default effort, and a frame still shrinks well.
  state.encoder.zlibsettings.windowsize = 1024;
  state.encoder.zlibsettings.lazymatching = 0;
  state.encoder.zlibsettings.nicematch = 64;
  if (lodepng::encode(png, pixels, static_cast<unsigned>(width), static_cast<unsigned>(height), state) != 0)
    return false;
  return platform::writeFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
}

}  // namespace screenshot

ScreenshotTaker& screenshotTaker() {
  static ScreenshotTaker taker;
  return taker;
}

ScreenshotTaker::~ScreenshotTaker() { finish(); }

void ScreenshotTaker::finish() {
  if (worker_.joinable()) worker_.join();
}

void ScreenshotTaker::captureIfRequested(int width, int height) {
  if (!requested_) return;
  requested_ = false;
  if (!gl::contextReady() || width <= 0 || height <= 0 || pending_) return;
  if (state_.load() == 1) {
    busyRefused_ = true;
    return;
  }
  // The frame is finished first, so the time taken below is the read alone
  // (a software renderer would otherwise charge its drawing to the shot).
  glFinish();
  const int64_t start = platform::nowMicros();
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  if (pixelBuffer_ == 0) glGenBuffers(1, &pixelBuffer_);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffer_);
  if (pixelBufferBytes_ != bytes) {
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
    pixelBufferBytes_ = bytes;
  }
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  // Into the buffer object: the call returns at once and the copy finishes
  // while the frame is shown.
  // In the framebuffer's own byte order, which drivers copy without converting;
  // the worker puts red and blue back in place.
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  width_ = width;
  height_ = height;
  pending_ = true;
  readMicros_ = platform::nowMicros() - start;
}

void ScreenshotTaker::collect() {
  if (!pending_ || !gl::contextReady()) return;
  pending_ = false;
  const int64_t start = platform::nowMicros();
  std::vector<uint8_t> pixels(pixelBufferBytes_);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, pixelBuffer_);
  const void* mapped =
      glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(pixelBufferBytes_), GL_MAP_READ_BIT);
  const bool read = mapped != nullptr;
  if (read) std::copy_n(static_cast<const uint8_t*>(mapped), pixelBufferBytes_, pixels.data());
  glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  readMicros_ += platform::nowMicros() - start;

  const std::string folder = platform::userDataPath("Screenshots") + platform::kSep;
  platform::makeFolder(folder);
  path_ = screenshot::freePath(folder, platform::localTimeStamp());
  finish();
  if (!read) {
    state_ = 3;
    return;
  }
  state_ = 1;
  worker_ = std::thread([this, pixels = std::move(pixels), w = width_, h = height_, path = path_]() mutable {
    const int64_t begin = platform::nowMicros();
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) std::swap(pixels[i], pixels[i + 2]);
    const bool ok = screenshot::writePng(path, std::move(pixels), w, h);
    encodeMicros_ = platform::nowMicros() - begin;
    state_ = ok ? 2 : 3;
  });
}

ScreenshotTaker::Result ScreenshotTaker::poll() {
  if (busyRefused_) {
    busyRefused_ = false;
    return Result::kBusy;
  }
  const int s = state_.load();
  if (s != 2 && s != 3) return Result::kNone;
  finish();
  state_ = 0;
  if (s == 2) {
    logLine("Screenshot saved: \"", path_, "\" (read back ", readMicros_, " us, encoded and written in ",
            encodeMicros_.load(), " us)");
    return Result::kSaved;
  }
  logLine("ERROR: Couldn't save the screenshot \"", path_, "\"");
  return Result::kFailed;
}

}  // namespace qv
