#include "app/settings.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/log.hpp"
#include "core/text_io.hpp"
#include "core/version.hpp"
#include "app/shell.hpp"
#include "audio/audio.hpp"
#include "platform/platform.hpp"
#include "scenes/game_scenes.hpp"
#include "ui/hud.hpp"

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
  std::ifstream in = platform::openInput(path, std::ios::binary);
  // A folder of that name reads as an empty file on some systems; it is no settings file.
  if (!in || platform::isFolder(path)) {
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
  // The player's music volume is kept even on a machine without sound, so one
  // silent run does not overwrite it with the default when the file is written.
  musicVolume = std::clamp(musicVolumeAsRead, 0.0f, 1.0f);
  if (audioRuns) applyMusicVolume(musicVolume);
  soundVolume = std::clamp(soundVolumeAsRead, 0.0f, 1.0f);
  if (reservedValueAsRead >= 0 && reservedValueAsRead <= 2) reservedValue = reservedValueAsRead;
  else if (reservedValueAsRead < 0) reservedValue = 0;
  logLine("Settings were set correctly.");
}

bool Settings::save(const std::string& path, bool verticalSyncBox, bool frameLimitBox) const {
  std::ostringstream out;
  out << header() << "\n"
      << textio::streamDefault(musicVolume) << "\n"
      << textio::streamDefault(soundVolume) << "\n"
      << reservedValue << "\n"
      << (fullScreen ? 1 : 0) << "\n"
      << (verticalSyncBox ? 1 : 0) << "\n"
      << (frameLimitBox ? 1 : 0) << "\n"
      << secondReservedValue << "\n";
  // Replaced in one step: a kill or a full disk mid-write keeps the previous file whole.
  if (!platform::writeFileAtomically(path, out.str())) return false;
  logLine("Settings file saved correctly.");
  return true;
}

// ---------- the settings screen ----------

void applySettingsToScreen(Settings& s, bool audioRuns, Shell* shell) {
  s.apply(audioRuns);
  SceneGameplayWithSettings* screen = gameScenes().settings.get();
  // Without a file the sliders still show the volumes in use rather than their starting 0 %.
  if (screen) {
    screen->musicSlider->setValue(s.loaded ? s.musicVolumeAsRead : s.musicVolume);
    screen->soundSlider->setValue(s.loaded ? s.soundVolumeAsRead : s.soundVolume);
  } else {
    setSoundVolume(s.soundVolume);
  }
  if (screen) {
    screen->verticalSyncBox->checked = s.verticalSync;
    screen->frameLimitBox->checked = s.frameLimit;
  }
  if (shell) shell->setSwapInterval(s.verticalSync ? 1 : 0);
}

void onVolumeSlider(int identifier, float value) {
  Settings& s = settings();
  if (identifier == kMusicVolumeSliderId) {
    s.musicVolume = value;
    applyMusicVolume(value);  // without a device only the number is kept
  } else if (identifier == kSoundVolumeSliderId) {
    s.soundVolume = value;
    setSoundVolume(value);
  }
}

namespace {
struct ClickSounds {
  SoundEffect button;
  SoundEffect slider;
  bool loaded = false;
};
ClickSounds& clickSounds() {
  static ClickSounds c;
  return c;
}
void ensureClicksLoaded() {
  ClickSounds& c = clickSounds();
  if (c.loaded || !audioRuns()) return;
  loadSound(c.button, "Button Click.ogg", 0.11f);
  loadSound(c.slider, "Button Click.ogg", 0.11f);
  c.loaded = true;
}
}  // namespace

void installUiSounds() {
  ensureClicksLoaded();  // now, not on the first click, so no frame stalls on a file read
  UiSoundHooks& h = uiSoundHooks();
  h.volumeSlider = onVolumeSlider;
  h.buttonClick = [] {
    ensureClicksLoaded();
    playSound(clickSounds().button);
  };
  h.sliderClickPlaying = [] { return soundPlaying(clickSounds().slider); };
  h.sliderClick = [](float volume) {
    ensureClicksLoaded();
    if (volume < 0.0f) {
      playSound(clickSounds().slider);
      return;
    }
    // Heard at the level the slider now selects; the player's volume comes back at once.
    const float normal = soundVolume();
    setSoundVolume(volume);
    playSound(clickSounds().slider);
    setSoundVolume(normal);
  };
}

bool saveSettingsFile() {
  const Settings& s = settings();
  return s.save(platform::userDataPath("settings.txt"), s.verticalSync, s.frameLimit);
}

}  // namespace qv
