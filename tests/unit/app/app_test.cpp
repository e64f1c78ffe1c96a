#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "app/frame_stats.hpp"
#include "app/log_init.hpp"
#include "app/settings.hpp"
#include "core/log.hpp"
#include "render/display.hpp"

namespace fs = std::filesystem;
using namespace qv;

namespace {
fs::path freshFolder(const std::string& name) {
  const fs::path p = fs::temp_directory_path() / ("qv_app_test_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}
std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
void writeFile(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}
}  // namespace

// ---------- viewport ----------

TEST(Viewport, SixteenByNineFillsTheWindowWithZeroBars) {
  DisplayLayout d;
  ASSERT_TRUE(computeLayout(1920, 1080, d));
  EXPECT_EQ(d.viewport.x, 0);
  EXPECT_EQ(d.viewport.y, 0);
  EXPECT_EQ(d.viewport.width, 1920);
  EXPECT_EQ(d.viewport.height, 1080);
  EXPECT_FALSE(d.letterboxed());
  EXPECT_FLOAT_EQ(d.aspectRatio, 16.0f / 9.0f);
  EXPECT_FLOAT_EQ(d.horizontalStretch, 1.0f);
}

TEST(Viewport, WideWindowShowsMoreWorldAndCentresTheInterface) {
  DisplayLayout d;
  ASSERT_TRUE(computeLayout(2000, 1000, d));
  EXPECT_EQ(d.viewport.width, 2000);
  EXPECT_EQ(d.viewport.height, 1000);
  EXPECT_FLOAT_EQ(d.aspectRatio, 2.0f);
  EXPECT_FLOAT_EQ(d.horizontalStretch, 1.125f);
  EXPECT_EQ(d.interfaceRect.width, 1777);
  EXPECT_EQ(d.interfaceRect.x, 111);
  EXPECT_EQ(d.interfaceRect.height, 1000);
}

TEST(Viewport, NarrowWindowIsLetterboxed) {
  DisplayLayout d;
  ASSERT_TRUE(computeLayout(1024, 768, d));
  EXPECT_FLOAT_EQ(d.aspectRatio, 16.0f / 9.0f);
  EXPECT_EQ(d.viewport.width, 1024);
  EXPECT_EQ(d.viewport.height, 576);
  EXPECT_EQ(d.viewport.y, 96);
  EXPECT_TRUE(d.letterboxed());
  EXPECT_EQ(d.interfaceRect.y, d.viewport.y);
  EXPECT_FLOAT_EQ(d.horizontalStretch, 1.0f);
}

TEST(Viewport, ZeroHeightLeavesTheLayoutAlone) {
  DisplayLayout d;
  d.viewport.width = 123;
  EXPECT_FALSE(computeLayout(800, 0, d));
  EXPECT_EQ(d.viewport.width, 123);
}

TEST(Viewport, FramePeriodAndTwoDecimalFormat) {
  EXPECT_EQ(framePeriodMicros(60), 16666);
  EXPECT_EQ(framePeriodMicros(144), 6944);
  EXPECT_EQ(framePeriodMicros(10), 50000);  // below 20 Hz counts as 20
  EXPECT_EQ(framePeriodMicros(0), 50000);
  EXPECT_EQ(twoDecimals(59.999f), "59.99");  // truncated, not rounded
  EXPECT_EQ(twoDecimals(60.0f), "60.00");
  EXPECT_EQ(twoDecimals(61.05f), "61.04");
  EXPECT_EQ(twoDecimals(7.5f), "7.50");
}

// ---------- frame statistics ----------

TEST(FrameStats, FirstReportWaitsForSixtyFramesAndAFullSecond) {
  FrameStats s;
  EXPECT_FALSE(s.beforeRender());  // state 0 -> reset, collecting
  s.afterRender(10000);
  int reports = 0, frameOfReport = -1;
  for (int frame = 1; frame < 200; ++frame) {
    if (s.beforeRender()) {
      ++reports;
      if (frameOfReport < 0) frameOfReport = frame;
    }
    s.afterRender(10000);
  }
  // 100 frames of 10 ms make the first full second; 60 samples exist long before.
  EXPECT_EQ(frameOfReport, 100);
  EXPECT_EQ(reports, 1);  // only the first measurement is reported
  EXPECT_NEAR(s.framesPerSecond(), 100.0f, 0.01f);
  EXPECT_EQ(s.averageMicros(), 10000);
  EXPECT_EQ(s.sampleCount(), 60);
}

TEST(FrameStats, SlowStartMeasuresOnceSixtySamplesExist) {
  FrameStats s;
  s.beforeRender();
  s.afterRender(50000);
  int frameOfReport = -1;
  for (int frame = 1; frame < 100 && frameOfReport < 0; ++frame) {
    if (s.beforeRender()) frameOfReport = frame;
    s.afterRender(50000);
  }
  EXPECT_EQ(frameOfReport, 60);
  EXPECT_NEAR(s.framesPerSecond(), 20.0f, 0.01f);
}

TEST(FrameStats, SlidingWindowDropsTheOldestSampleAndResetReports) {
  FrameStats s;
  s.beforeRender();
  for (int i = 0; i < 60; ++i) s.afterRender(20000);
  s.beforeRender();  // a full second of 20 ms frames is measured here
  EXPECT_EQ(s.averageMicros(), 20000);
  s.afterRender(10000);
  for (int i = 0; i < 99; ++i) {
    s.beforeRender();
    s.afterRender(10000);
  }
  s.beforeRender();  // the next full second only holds 10 ms frames
  EXPECT_EQ(s.averageMicros(), 10000);
  s.requestReset();
  EXPECT_EQ(s.reportState(), 0);
  EXPECT_FALSE(s.beforeRender());
  EXPECT_EQ(s.sampleCount(), 0);
  EXPECT_EQ(FrameStats::reportLine(true, false, 59.999f, 16667),
            "Vertical Sync = true   Frame Limit = false   FPS Measured = 59.99   Avg. Frame Time us Measured = 16667");
}

// ---------- log rotation ----------

TEST(LogRotation, FirstRunCreatesOnlyTheNewestLogWithHeaderAndReport) {
  const fs::path dir = freshFolder("log_first");
  initLogIn(dir.string());
  logLine("hello");
  disableLog();
  EXPECT_TRUE(fs::exists(dir / "Log Newest.log"));
  EXPECT_FALSE(fs::exists(dir / "Log Old 1.log"));
  EXPECT_FALSE(fs::exists(dir / "Log Old 0.log"));
  const std::string text = readFile(dir / "Log Newest.log");
  EXPECT_EQ(text.rfind("Quillon Vale Log File  Version 0.12.0.3\n\nOS: ", 0), 0u) << text;
  EXPECT_NE(text.find("\nProcessor: "), std::string::npos);
  EXPECT_NE(text.find("\nRam: "), std::string::npos);
  EXPECT_NE(text.find(" MB Free\n\nFound file path of program.  Absolute path to folder is being used.\nhello\n"),
            std::string::npos)
      << text;
}

TEST(LogRotation, TwelfthRunKeepsTenOldLogsAndDropsTheOldest) {
  const fs::path dir = freshFolder("log_twelve");
  for (int run = 1; run <= 12; ++run) {
    initLogIn(dir.string());
    logLine("run " + std::to_string(run));
    disableLog();
  }
  EXPECT_NE(readFile(dir / "Log Newest.log").find("run 12"), std::string::npos);
  EXPECT_NE(readFile(dir / "Log Old 1.log").find("run 11"), std::string::npos);
  EXPECT_NE(readFile(dir / "Log Old 10.log").find("run 2\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "Log Old 11.log"));
  int files = 0;
  for (auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, 11);
}

TEST(LogRotation, GapInTheNumberingMovesUpOneEachRun) {
  const fs::path dir = freshFolder("log_gap");
  writeFile(dir / "Log Newest.log", "newest");
  writeFile(dir / "Log Old 1.log", "one");
  writeFile(dir / "Log Old 2.log", "two");
  writeFile(dir / "Log Old 4.log", "four");
  rotateLogs(dir.string());
  EXPECT_EQ(readFile(dir / "Log Old 1.log"), "newest");
  EXPECT_EQ(readFile(dir / "Log Old 2.log"), "one");
  EXPECT_EQ(readFile(dir / "Log Old 3.log"), "two");
  EXPECT_FALSE(fs::exists(dir / "Log Old 4.log"));
  EXPECT_EQ(readFile(dir / "Log Old 5.log"), "four");
  EXPECT_FALSE(fs::exists(dir / "Log Newest.log"));
}

TEST(LogRotation, UnwritableFolderDisablesLoggingSilently) {
  initLogIn("/proc/qv-no-such-folder");
  EXPECT_FALSE(logEnabled());
  logLine("goes nowhere");  // must not crash
}

// ---------- settings ----------

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
  std::string path() const { return (dir_ / "settings.txt").string(); }
  fs::path dir_;
};

TEST_F(SettingsFile, MissingFileMeansFullScreenAndDefaults) {
  LogCapture log;
  Settings s;
  EXPECT_TRUE(s.load(path()));
  EXPECT_FALSE(s.loaded);
  EXPECT_TRUE(log.contains("ERROR: Couldn't load the settings file."));
  s.apply(true);
  EXPECT_FALSE(log.contains("Settings were set correctly."));
  EXPECT_TRUE(s.verticalSync);
  EXPECT_FALSE(s.frameLimit);
}

TEST_F(SettingsFile, WriteThenReadRoundTrip) {
  Settings a;
  a.musicVolume = 0.35f;
  a.soundVolume = 0.05f;
  a.reservedValue = 2;
  a.fullScreen = false;
  LogCapture log;
  a.save(path(), false, true);
  EXPECT_TRUE(log.contains("Settings file saved correctly."));
  EXPECT_EQ(readFile(path()), "Quillon Vale Settings File  Version 0.12.0.3\n0.35\n0.05\n2\n0\n0\n1\n0\n");
  Settings b;
  EXPECT_FALSE(b.load(path()));
  EXPECT_TRUE(b.loaded);
  b.apply(true);
  EXPECT_FLOAT_EQ(b.musicVolume, 0.35f);
  EXPECT_FLOAT_EQ(b.soundVolume, 0.05f);
  EXPECT_EQ(b.reservedValue, 2);
  EXPECT_FALSE(b.verticalSync);
  EXPECT_TRUE(b.frameLimit);
}

TEST_F(SettingsFile, HeaderOnlyKeepsDefaultsButCountsAsLoaded) {
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\n");
  LogCapture log;
  Settings s;
  EXPECT_TRUE(s.load(path()));
  EXPECT_TRUE(s.loaded);
  s.apply(true);
  EXPECT_TRUE(log.contains("Settings were set correctly."));
  EXPECT_FLOAT_EQ(s.musicVolume, 1.0f);
  EXPECT_TRUE(s.verticalSync);
}

TEST_F(SettingsFile, VolumesAreClampedAndMusicSurvivesASilentRun) {
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\n1.7\n-0.2\n0\n0\n1\n0\n0\n");
  Settings s;
  s.load(path());
  s.apply(true);
  EXPECT_FLOAT_EQ(s.musicVolume, 1.0f);
  EXPECT_FLOAT_EQ(s.soundVolume, 0.0f);
  Settings silent;
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\n0.4\n0.6\n0\n0\n1\n0\n0\n");
  silent.load(path());
  silent.apply(false);
  // Without a sound device the player's choice is still kept, so saving does not reset it.
  EXPECT_FLOAT_EQ(silent.musicVolume, 0.4f);
  EXPECT_FLOAT_EQ(silent.soundVolume, 0.6f);
}

TEST_F(SettingsFile, OldVersionSkipsTheReservedLinesButKeepsPositions) {
  writeFile(path(), "Quillon Vale Settings File  Version 0.9.0.1\n0.5\n0.25\n2\n0\n0\n1\n5\n");
  Settings s;
  EXPECT_FALSE(s.load(path()));
  s.apply(true);
  EXPECT_EQ(s.reservedValue, 0);
  EXPECT_FALSE(s.verticalSync);
  EXPECT_TRUE(s.frameLimit);
  EXPECT_FLOAT_EQ(s.soundVolume, 0.25f);
}

TEST_F(SettingsFile, FullScreenValueTwoMeansFullScreen) {
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\n1\n1\n0\n2\n");
  Settings s;
  EXPECT_TRUE(s.load(path()));
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\n1\n1\n0\n0\n");
  Settings w;
  EXPECT_FALSE(w.load(path()));
}

TEST_F(SettingsFile, GarbageLineLogsAndKeepsWhatWasRead) {
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\n0.4\nabc\n0\n0\n0\n0\n0\n");
  LogCapture log;
  Settings s;
  EXPECT_TRUE(s.load(path()));  // full screen keeps its default
  EXPECT_TRUE(log.contains("ERROR: Exception thrown couldn't load the settings file"));
  EXPECT_FALSE(s.loaded);
  EXPECT_FLOAT_EQ(s.musicVolumeAsRead, 0.4f);
  s.apply(true);
  EXPECT_FLOAT_EQ(s.musicVolume, 1.0f);  // not applied
}

TEST_F(SettingsFile, ReservedValuesAndDamagedFiles) {
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\n1\n1\n7\n0\n1\n0\n-3\n");
  Settings s;
  s.reservedValue = 1;
  s.load(path());
  s.apply(true);
  EXPECT_EQ(s.reservedValue, 1);  // above 2: unchanged
  EXPECT_EQ(s.secondReservedValue, 0);
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\n1\n1\n-4\n");
  Settings n;
  n.reservedValue = 2;
  n.load(path());
  n.apply(true);
  EXPECT_EQ(n.reservedValue, 0);
  // Binary junk and a NaN volume must not poison the values.
  writeFile(path(), std::string("\x89PNG\r\n\x1a\n\0\0garbage", 18));
  Settings junk;
  junk.load(path());
  EXPECT_FALSE(junk.loaded);
  writeFile(path(), "Quillon Vale Settings File  Version 0.12.0.3\nnan\n");
  Settings nan;
  nan.load(path());
  nan.apply(true);
  EXPECT_FLOAT_EQ(nan.musicVolume, 1.0f);
}

TEST_F(SettingsFile, UnwritableFileWritesAndLogsNothing) {
  LogCapture log;
  Settings s;
  s.save((dir_ / "missing-folder" / "settings.txt").string(), true, false);
  EXPECT_FALSE(log.contains("Settings file saved correctly."));
}
