#pragma once
#include <memory>
#include <string>
#include <vector>

namespace qv {

// Music and click sounds through SDL_mixer. Audio is optional: without a device
// every call here quietly does nothing and the game runs silent.
struct MusicTrack {
  void* music = nullptr;  // Mix_Music*
  std::string fileName;
  bool playErrorReported = false;
};

struct SoundData {
  void* chunk = nullptr;  // Mix_Chunk*
  std::string fileName;
};

struct SoundEffect {
  std::shared_ptr<SoundData> data;
  float volume = 0.0f;
  bool playErrorReported = false;
  int channel = -1;
};

bool startAudio();
bool audioRuns();
MusicTrack loadMusic(const std::string& fileName);
// Loads and appends the two game tracks, in order.
void loadGameMusic();
void addToPlaylist(MusicTrack track);
void updateMusic(float dt);
void applyMusicVolume(float v);
float musicVolume();
void setSoundVolume(float v);
float soundVolume();
void loadSound(SoundEffect& effect, const std::string& fileName, float volume);
void playSound(SoundEffect& effect);
bool soundPlaying(const SoundEffect& effect);
void shutDownAudio();

// The playlist's inner state, for tests of the shuffle and the pauses.
struct PlaylistState {
  std::vector<MusicTrack> tracks;
  int current = -1;
  float gapTimer = 0.0f;
  std::vector<int> bag;
};
PlaylistState& playlist();
// One playlist step with the "is music playing" answer given; returns the track
// index started (or -1). Used by updateMusic and by tests without a device.
int stepPlaylist(float dt, bool musicPlaying, bool (*play)(MusicTrack&));

}  // namespace qv
