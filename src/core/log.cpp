#include "core/log.hpp"

#include <cstdio>

namespace qv {
namespace {
struct LogState {
  std::string path;
  LogFileOpener open = nullptr;
  bool enabled = false;
  LogCapture* capture = nullptr;  // the innermost live capture
};
LogState& state() {
  static LogState s;
  return s;
}
}  // namespace

void setLogFile(const std::string& path, LogFileOpener open) {
  state().path = path;
  state().open = open;
  state().enabled = true;
}

void disableLog() { state().enabled = false; }

bool logEnabled() { return state().enabled || state().capture != nullptr; }

const std::string& logFilePath() { return state().path; }

void logLine(std::string_view text) {
  LogState& s = state();
  for (LogCapture* c = s.capture; c; c = c->outer_) {
    c->lines_.append(text);
    c->lines_.push_back('\n');
  }
  if (!s.enabled) return;
  if (std::FILE* f = s.open ? s.open(s.path, "ab") : std::fopen(s.path.c_str(), "ab")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fputc('\n', f);
    std::fclose(f);
  }
}

LogCapture::LogCapture() : outer_(state().capture) { state().capture = this; }
LogCapture::~LogCapture() {
  // Captures end in reverse order of their start in practice; unlink from
  // wherever this one sits so an out-of-order end cannot leave a dangling link.
  for (LogCapture** link = &state().capture; *link; link = &(*link)->outer_) {
    if (*link == this) {
      *link = outer_;
      break;
    }
  }
}
std::string LogCapture::text() const { return lines_; }
bool LogCapture::contains(std::string_view needle) const { return text().find(needle) != std::string::npos; }
int LogCapture::count(std::string_view needle) const {
  const std::string t = text();
  int n = 0;
  for (size_t p = t.find(needle); p != std::string::npos; p = t.find(needle, p + needle.size())) ++n;
  return n;
}
void LogCapture::clear() { lines_.clear(); }

}  // namespace qv
