#pragma once
#include <string>

namespace qv {

class Shell;

// The player's preferences, kept in "settings.txt" as eight lines without keys.
// These fields are the truth for the whole run: the settings screen's controls
// show them, and a click on a control is copied back here.
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
  // Applies what was read (volumes clamped to 0..1); the mixer hears the music volume only when audioRuns.
  void apply(bool audioRuns);
  // Replaces the file in one step; false (nothing logged, the old file kept) when it cannot be written.
  bool save(const std::string& path, bool verticalSyncBox, bool frameLimitBox) const;
};

Settings& settings();

// Puts the values read from the file on the settings screen: the volume sliders
// (which snap to their 5 % steps and drive the volumes) and the two checkboxes,
// then switches vertical sync accordingly (shell may be null).
void applySettingsToScreen(Settings& s, bool audioRuns, Shell* shell);
// What the volume sliders do when they move (1302 music, 1303 sound effects).
void onVolumeSlider(int identifier, float value);
// Connects the interface's click sounds and volume sliders to the audio module.
void installUiSounds();
// Writes "settings.txt" with the settings in force.
bool saveSettingsFile();

}  // namespace qv
