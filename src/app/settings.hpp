#pragma once
#include <string>

namespace qv {

// The player's preferences, kept in "settings.txt" as eight lines without keys.
// Until the settings screen exists, its two checkboxes live here as plain flags.
struct Settings {
  float musicVolume = 1.0f;
  float soundVolume = 1.0f;
  float musicVolumeAsRead = 1.0f;
  float soundVolumeAsRead = 1.0f;
  int reservedValue = 0;
  int reservedValueAsRead = 0;
  int secondReservedValue = 0;
  bool fullScreen = true;
  bool verticalSync = true;
  bool frameLimit = false;
  bool loaded = false;

  // Returns the full-screen flag (true when there is no file).
  bool load(const std::string& path);
  // Applies what was read. audioRuns decides whether the music volume is taken.
  void apply(bool audioRuns);
  // Nothing is written (and nothing logged) when the file cannot be opened.
  void save(const std::string& path, bool verticalSyncBox, bool frameLimitBox) const;
};

Settings& settings();

}  // namespace qv
