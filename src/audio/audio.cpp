#include "audio/audio.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>

#include "core/log.hpp"
#include "core/random.hpp"
#include "platform/platform.hpp"

namespace qv {
namespace {
struct AudioState {
  bool on = false;
  float musicVolume = 1.0f;
  float soundVolume = 1.0f;
  std::vector<std::shared_ptr<SoundData>> sounds;
};
AudioState& as() {
  static AudioState s;
  return s;
}

bool playTrack(MusicTrack& t) { return Mix_PlayMusic(static_cast<Mix_Music*>(t.music), 1) == 0; }
}  // namespace

PlaylistState& playlist() {
  static PlaylistState p;
  return p;
}

bool startAudio() {
  // The game handles SIGINT and SIGTERM itself (an orderly shut-down from the frame loop).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    logLine("ERROR: Couldn't SDL_INIT_AUDIO error = ", SDL_GetError());
    return false;
  }
  logLine("SDL_INIT_AUDIO Successful");
  if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) != 0) {
    logLine("ERROR: Couldn't initialize Mix_OpenAudio, Mix_GetError = ", Mix_GetError());
    SDL_Quit();
    return false;
  }
  Mix_AllocateChannels(32);
  logLine("Mix_OpenAudio initialized successfully.  Available audio drivers...");
  for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) logLine(std::to_string(i), " = ", SDL_GetAudioDriver(i));
  const char* driver = SDL_GetCurrentAudioDriver();
  logLine("SDL Using audio driver = ", driver ? driver : "");
  as().on = true;
  return true;
}

bool audioRuns() { return as().on; }

MusicTrack loadMusic(const std::string& name) {
  MusicTrack t;
  if (!as().on) return t;
  t.fileName = name;
  try {
    const std::string path = platform::dataPath("Music", name);
    t.music = Mix_LoadMUS(path.c_str());
    if (!t.music) logLine("ERROR: SDL mixer couldn't load music filename = \"", name, "\"", Mix_GetError());
    else logLine("Music loaded correctly name = \"", name, "\"");
  } catch (...) {
    logLine("ERROR: Exception thrown, SDL mixer couldn't load music filename = \"", name, "\"");
  }
  return t;
}

void addToPlaylist(MusicTrack track) { playlist().tracks.push_back(std::move(track)); }

void loadGameMusic() {
  addToPlaylist(loadMusic("Quillon Vale - Track 1.ogg"));
  addToPlaylist(loadMusic("Quillon Vale - Track 2.ogg"));
}

int stepPlaylist(float dt, bool musicPlaying, bool (*play)(MusicTrack&)) {
  PlaylistState& p = playlist();
  if (p.tracks.empty()) return -1;
  const bool validCurrent = p.current >= 0 && p.current < static_cast<int>(p.tracks.size());
  if (validCurrent && p.tracks[static_cast<size_t>(p.current)].music && musicPlaying) return -1;
  if (p.gapTimer > 0.0f) {
    p.gapTimer -= dt;
    if (p.gapTimer > 0.0f) return -1;
  }
  if (p.bag.empty())
    for (int i = 0; i < static_cast<int>(p.tracks.size()); ++i) p.bag.push_back(i);
  const size_t k = static_cast<size_t>(randInt()) % p.bag.size();
  const int next = p.bag[k];
  p.bag.erase(p.bag.begin() + static_cast<std::ptrdiff_t>(k));
  MusicTrack& t = p.tracks[static_cast<size_t>(next)];
  if (t.music && !play(t) && !t.playErrorReported) {
    logLine("ERROR: SDL mixer couldn't play music filename = \"", t.fileName, "\"", Mix_GetError());
    t.playErrorReported = true;
  }
  p.current = next;
  const float m = p.bag.empty() ? 60.0f : 1.0f;
  p.gapTimer = (2.0f * static_cast<float>(randInt()) / 32767.0f + 3.0f) * m;
  return next;
}

void updateMusic(float dt) {
  if (!as().on) return;
  stepPlaylist(dt, Mix_PlayingMusic() != 0, playTrack);
}

void applyMusicVolume(float v) {
  as().musicVolume = std::clamp(v, 0.0f, 1.0f);
  if (as().on) Mix_VolumeMusic(static_cast<int>(as().musicVolume * 128.0f));
}

float musicVolume() { return as().musicVolume; }
void setSoundVolume(float v) { as().soundVolume = std::clamp(v, 0.0f, 1.0f); }
float soundVolume() { return as().soundVolume; }

void loadSound(SoundEffect& e, const std::string& name, float volume) {
  e.volume = std::clamp(volume * 1.525f * 0.95f, 0.0f, 1.0f);
  e.playErrorReported = false;
  e.channel = -1;
  e.data = std::make_shared<SoundData>();
  e.data->fileName = name;
  if (!as().on) return;
  try {
    const std::string path = platform::dataPath("Sounds", name);
    SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
    Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
    if (!chunk) {
      logLine("ERROR: SDL mixer couldn't load sound filename = \"", name, "\"", Mix_GetError());
      return;
    }
    e.data->chunk = chunk;
    as().sounds.push_back(e.data);
    logLine("Sound loaded correctly name = \"", name, "\"");
  } catch (...) {
    logLine("ERROR: Exception thrown, SDL mixer couldn't load sound filename = \"", name, "\"");
  }
}

void playSound(SoundEffect& e) {
  if (!as().on || !e.data || !e.data->chunk) return;
  const int ch = Mix_PlayChannel(-1, static_cast<Mix_Chunk*>(e.data->chunk), 0);
  if (ch >= 0) {
    Mix_Volume(ch, static_cast<int>(e.volume * 128.0f * as().soundVolume));
  } else if (!e.playErrorReported) {
    logLine("ERROR: SDL mixer couldn't play sound filename = \"", e.data->fileName, "\"", Mix_GetError());
    e.playErrorReported = true;
  }
  e.channel = ch;
}

bool soundPlaying(const SoundEffect& e) { return as().on && e.channel >= 0 && Mix_Playing(e.channel) != 0; }

void shutDownAudio() {
  if (!as().on) return;
  for (MusicTrack& t : playlist().tracks) {
    if (t.music) Mix_FreeMusic(static_cast<Mix_Music*>(t.music));
    t.music = nullptr;
  }
  logLine("SDL mixer deallocated music tracks");
  Mix_HaltChannel(-1);
  for (auto& d : as().sounds) {
    if (!d->chunk) continue;
    Mix_FreeChunk(static_cast<Mix_Chunk*>(d->chunk));
    d->chunk = nullptr;
    logLine("SDL mixer deallocated filename = \"", d->fileName, "\"");
  }
  as().sounds.clear();
  Mix_CloseAudio();
  logLine("Mix_CloseAudio successful");
  SDL_Quit();
  logLine("SDL_Quit successful");
  as().on = false;
}

}  // namespace qv
