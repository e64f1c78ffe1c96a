#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace qv {

// The log is one plain file; every line is appended and the file closed again so
// the log survives a crash up to the last line. Until a file is set, lines are dropped.
// `open` is how the file is opened for appending (the platform's opener, which
// understands non-ASCII paths everywhere); std::fopen when none is given.
using LogFileOpener = std::FILE* (*)(const std::string& path, const char* mode);
void setLogFile(const std::string& path, LogFileOpener open = nullptr);
void disableLog();
bool logEnabled();
const std::string& logFilePath();
void logLine(std::string_view text);

namespace detail {
inline void appendPiece(std::string& out, std::string_view s) { out += s; }
inline void appendPiece(std::string& out, const char* s) { out += s; }
inline void appendPiece(std::string& out, const std::string& s) { out += s; }
template <typename T>
  requires std::is_integral_v<T>
void appendPiece(std::string& out, T v) { out += std::to_string(v); }
}  // namespace detail

// logLine("Ram: ", total, " MB Total, ", free, " MB Free") and friends.
template <typename A, typename B, typename... Rest>
void logLine(const A& a, const B& b, const Rest&... rest) {
  if (!logEnabled()) return;
  std::string line;
  detail::appendPiece(line, a);
  detail::appendPiece(line, b);
  (detail::appendPiece(line, rest), ...);
  logLine(std::string_view(line));
}

// Tests read back what was logged without touching the file system. Captures
// nest: every live capture records each line, and each owns its own text.
struct LogCapture {
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  std::string text() const;
  bool contains(std::string_view needle) const;
  int count(std::string_view needle) const;
  void clear();

 private:
  friend void logLine(std::string_view text);
  std::string lines_;
  LogCapture* outer_ = nullptr;
};

}  // namespace qv
