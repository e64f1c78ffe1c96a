#include "app/log_init.hpp"

#include <fstream>

#include "core/log.hpp"
#include "core/version.hpp"
#include "platform/platform.hpp"

namespace qv {
namespace {
std::string oldLog(const std::string& folder, int n) {
  return folder + platform::kSep + "Log" + " Old " + std::to_string(n) + ".log";
}
std::string newestLog(const std::string& folder) { return folder + platform::kSep + "Log Newest.log"; }
}  // namespace

void rotateLogs(const std::string& folder) {
  const std::string current = newestLog(folder);
  if (!platform::fileExists(current)) return;
  platform::removeFile(oldLog(folder, 10));
  for (int n = 9; n >= 1; --n) platform::renameFile(oldLog(folder, n), oldLog(folder, n + 1));
  platform::renameFile(current, oldLog(folder, 1));
}

void initLogIn(const std::string& folder) {
  platform::makeFolder(folder);
  rotateLogs(folder);
  const std::string& programMessage = platform::programFolderMessage();
  const std::string path = newestLog(folder);
  {
    std::ofstream out = platform::openOutput(path, std::ios::binary | std::ios::trunc);
    if (!out) {
      disableLog();
      return;
    }
    out << kGameName << " Log File" << "  Version " << kVersionText << "\n";
    if (!out) {
      disableLog();
      return;
    }
  }
  setLogFile(path, &platform::openFile);
  logLine("");
  logLine(platform::osLine());
  logLine(platform::processorLine());
  logLine(platform::memoryLine());
  logLine("");
  logLine(programMessage);
}

void initLog() { initLogIn(platform::userDataPath("Logs")); }

}  // namespace qv
