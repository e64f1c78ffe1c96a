#include "app/log_init.hpp"

#include <cstdio>
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

bool initLogIn(const std::string& folder) {
  platform::makeFolder(folder);
  rotateLogs(folder);
  const std::string& programMessage = platform::programFolderMessage();
  const std::string path = newestLog(folder);
  {
    std::ofstream out = platform::openOutput(path, std::ios::binary | std::ios::trunc);
    if (!out) {
      disableLog();
      return false;
    }
    out << kGameName << " Log File" << "  Version " << kVersionText << "\n";
    if (!out) {
      disableLog();
      return false;
    }
  }
  setLogFile(path, &platform::openFile);
  logLine("");
  logLine(platform::osLine());
  logLine(platform::processorLine());
  logLine(platform::memoryLine());
  logLine("");
  logLine(programMessage);
  return true;
}

void initLog() {
  const std::string& user = platform::userDataFolder();
  if (platform::userDataFolderUsable() && initLogIn(platform::userDataPath("Logs"))) return;
  // The player still gets a game (saves will report that they fail) and we still get a log.
  const std::string fallback = platform::tempFolder() + "Quillon Vale Logs";
  if (initLogIn(fallback)) {
    logLine("ERROR: The user data folder \"", user, "\" can't be used; saves and settings can't be written. "
            "This log is in \"", fallback, "\".");
    return;
  }
  std::fprintf(stderr, "Quillon Vale: neither \"%s\" nor \"%s\" can be written; logging is off.\n", user.c_str(),
               fallback.c_str());
}

}  // namespace qv
