#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "audio/audio.hpp"
#include "core/log.hpp"
#include "core/random.hpp"

using namespace qv;

namespace {
int g_plays = 0;
bool countPlay(MusicTrack&) {
  ++g_plays;
  return true;
}
void resetPlaylist(int tracks, bool secondMissing) {
  static int fakeMusic = 0;
  playlist() = PlaylistState{};
  for (int i = 0; i < tracks; ++i) playlist().tracks.push_back({secondMissing && i == 1 ? nullptr : &fakeMusic, "t" + std::to_string(i)});
  g_plays = 0;
}
}  // namespace

TEST(Playlist, BothTracksPlayOncePerCycleWithShortThenLongPauses) {
  rng::seed(99);
  resetPlaylist(2, false);
  const int first = stepPlaylist(0.016f, false, countPlay);
  ASSERT_GE(first, 0);  // the first track starts on the first frame
  EXPECT_TRUE(playlist().gapTimer >= 3.0f && playlist().gapTimer <= 5.0f) << playlist().gapTimer;
  // Still playing: nothing happens and the gap does not count down.
  EXPECT_EQ(stepPlaylist(10.0f, true, countPlay), -1);
  EXPECT_GE(playlist().gapTimer, 3.0f);
  // Ended: the gap runs out, then the other track of the cycle plays.
  EXPECT_EQ(stepPlaylist(2.0f, false, countPlay), -1);
  EXPECT_EQ(stepPlaylist(4.0f, false, countPlay), 1 - first);
  // The cycle is complete: 3 to 5 minutes.
  EXPECT_TRUE(playlist().gapTimer >= 180.0f && playlist().gapTimer <= 300.0f) << playlist().gapTimer;
  EXPECT_EQ(g_plays, 2);
}

TEST(Playlist, AMissingTrackIsASilentDrawThatStillCountsTheGapAndAnEmptyListDoesNothing) {
  rng::seed(5);
  resetPlaylist(2, true);
  int silentDraws = 0;
  for (int frame = 0; frame < 20000; ++frame) silentDraws += stepPlaylist(0.05f, false, countPlay) == 1;
  EXPECT_TRUE(silentDraws > 0 && g_plays > 0) << silentDraws << " " << g_plays;
  EXPECT_LE(std::abs(g_plays - silentDraws), 1);  // each cycle draws both once
  resetPlaylist(0, false);
  EXPECT_EQ(stepPlaylist(1.0f, false, countPlay), -1) << "an empty playlist does nothing";
}

TEST(Audio, DummyDeviceStartsLoadsAndShutsDownWithItsLogLinesAndWithoutItAllIsANoOp) {
  SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
  LogCapture log;
  ASSERT_TRUE(startAudio());
  EXPECT_TRUE(log.contains("SDL_INIT_AUDIO Successful") && log.contains("SDL Using audio driver = dummy")) << log.text();
  MusicTrack missing = loadMusic("No Such Track.ogg");
  EXPECT_TRUE(missing.music == nullptr && missing.fileName == "No Such Track.ogg");
  EXPECT_TRUE(log.contains("ERROR: SDL mixer couldn't load music filename = \"No Such Track.ogg\""));
  SoundEffect click;
  loadSound(click, "No Such Click.ogg", 0.11f);
  EXPECT_NEAR(click.volume, 0.159f, 0.001f) << "a button click asks for 0.11 and plays at about 0.159";
  playSound(click);  // no chunk: nothing, no crash
  EXPECT_FALSE(soundPlaying(click));
  applyMusicVolume(1.7f);
  EXPECT_FLOAT_EQ(musicVolume(), 1.0f);
  playlist() = PlaylistState{};
  log.clear();
  shutDownAudio();
  EXPECT_EQ(log.text(), "SDL mixer deallocated music tracks\nMix_CloseAudio successful\nSDL_Quit successful\n");
  EXPECT_FALSE(audioRuns());

  // Without a device everything is a no-op.
  MusicTrack t = loadMusic("Quillon Vale - Track 1.ogg");
  EXPECT_TRUE(t.music == nullptr && t.fileName.empty());
  SoundEffect e;
  loadSound(e, "Button Click.ogg", 2.0f);
  EXPECT_FLOAT_EQ(e.volume, 1.0f);  // clamped
  playSound(e);
  log.clear();
  shutDownAudio();
  EXPECT_EQ(log.text(), "");
}
