#include "app/settings.hpp"

#include <algorithm>
#include <fstream>

#include "core/log.hpp"
#include "core/text_io.hpp"
#include "core/version.hpp"

namespace qv {

Settings& settings() {
  static Settings s;
  return s;
}

namespace {
std::string header() {
  return std::string(kGameName) + " Settings File" + "  Version " + kVersionText;
}

// Old files (before 0.10) had no reserved values; their lines are skipped.
bool isOldVersion(const std::string& line) {
  const size_t dot = line.find('.');
  if (dot == std::string::npos || dot == 0) return false;
  const char majorChar = line[dot - 1];
  if (majorChar < '0' || majorChar > '9') return false;
  const int major = majorChar - '0';
  const size_t dot2 = line.find('.', dot + 1);
  int minor;
  try {
    minor = textio::toInt(line.substr(dot + 1, dot2 == std::string::npos ? std::string::npos : dot2 - dot - 1));
  } catch (const textio::ParseError&) {
    return false;
  }
  return major == 0 && minor < 10;
}
}  // namespace

bool Settings::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    logLine("ERROR: Couldn't load the settings file.");
    return fullScreen;
  }
  try {
    std::string line;
    const bool old = textio::readLine(in, line) && isOldVersion(line);
    for (int k = 0; k < 7 && textio::readLine(in, line); ++k) {
      switch (k) {
        case 0: musicVolumeAsRead = textio::toFloat(line); break;
        case 1: soundVolumeAsRead = textio::toFloat(line); break;
        case 2:
          if (!old) reservedValueAsRead = textio::toInt(line);
          break;
        case 3: fullScreen = textio::toInt(line) != 0; break;
        case 4: verticalSync = textio::toInt(line) != 0; break;
        case 5: frameLimit = textio::toInt(line) != 0; break;
        case 6:
          if (!old && textio::toInt(line) <= 0) secondReservedValue = 0;
          break;
      }
    }
  } catch (const textio::ParseError&) {
    logLine("ERROR: Exception thrown couldn't load the settings file");
    return fullScreen;
  }
  loaded = true;
  logLine("Settings file loaded.");
  return fullScreen;
}

void Settings::apply(bool audioRuns) {
  if (!loaded) return;
  if (audioRuns) musicVolume = std::clamp(musicVolumeAsRead, 0.0f, 1.0f);
  soundVolume = std::clamp(soundVolumeAsRead, 0.0f, 1.0f);
  if (reservedValueAsRead >= 0 && reservedValueAsRead <= 2) reservedValue = reservedValueAsRead;
  else if (reservedValueAsRead < 0) reservedValue = 0;
  logLine("Settings were set correctly.");
}

void Settings::save(const std::string& path, bool verticalSyncBox, bool frameLimitBox) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return;
  out << header() << "\n"
      << textio::streamDefault(musicVolume) << "\n"
      << textio::streamDefault(soundVolume) << "\n"
      << reservedValue << "\n"
      << (fullScreen ? 1 : 0) << "\n"
      << (verticalSyncBox ? 1 : 0) << "\n"
      << (frameLimitBox ? 1 : 0) << "\n"
      << secondReservedValue << "\n";
  out.close();
  if (!out) return;
  logLine("Settings file saved correctly.");
}

}  // namespace qv
