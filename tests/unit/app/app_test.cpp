#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>
#if !GTEST_OS_WINDOWS
#include <sys/wait.h>
#endif
#include <unistd.h>

#include "app/frame_stats.hpp"
#include "app/log_init.hpp"
#include "app/settings.hpp"
#include "app/start_failure.hpp"
#include "core/log.hpp"
#include "platform/platform.hpp"
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
  return {std::istreambuf_iterator<char>(in), {}};
}
void writeFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
const std::string kHeader = "Quillon Vale Settings File  Version 0.12.0.3\n";
}  // namespace

// A Data folder (even an incomplete one) lets the game start; a missing one, or
// a file in its place, stops it with the path and how to build the data.
TEST(StartFailure, MissingDataFolderIsNamedWithAHowToBuildIt) {
  const fs::path root = freshFolder("data");
  const std::string folder = root.string() + "/";
  const std::string missing = missingDataProblem(folder);
  EXPECT_TRUE(missing.find(folder + "Data") != std::string::npos && missing.find("--target data") != std::string::npos) << missing;
  writeFile(root / "Data", "not a folder");
  EXPECT_FALSE(missingDataProblem(folder).empty());
  fs::remove(root / "Data");
  fs::create_directories(root / "Data");
  EXPECT_EQ(missingDataProblem(folder), "");

  std::ostringstream out;
  reportStartFailure(out, "no window", "X11: The DISPLAY environment variable is missing");
  EXPECT_EQ(out.str(), "Quillon Vale could not start: no window (X11: The DISPLAY environment variable is missing)\n");
  fs::remove_all(root);
}

TEST(Viewport, LayoutForWideEqualAndNarrowWindows) {
  const struct { int w, h; float aspect, stretch; int vpY, vpW, vpH, uiX, uiW; } rows[] = {
      {1920, 1080, 16.0f / 9.0f, 1.0f, 0, 1920, 1080, 0, 1920},  // 16:9 fills the window
      {2000, 1000, 2.0f, 1.125f, 0, 2000, 1000, 111, 1777},      // 2:1 shows more world, interface centred
      {1024, 768, 16.0f / 9.0f, 1.0f, 96, 1024, 576, 0, 1024},   // 4:3 is letterboxed
  };
  for (const auto& r : rows) {
    DisplayLayout d;
    ASSERT_TRUE(computeLayout(r.w, r.h, d)) << r.w;
    EXPECT_FLOAT_EQ(d.aspectRatio, r.aspect) << r.w;
    EXPECT_FLOAT_EQ(d.horizontalStretch, r.stretch) << r.w;
    EXPECT_EQ(std::tuple(d.viewport.y, d.viewport.width, d.viewport.height, d.interfaceRect.x, d.interfaceRect.y,
                         d.interfaceRect.width, d.letterboxed()),
              std::tuple(r.vpY, r.vpW, r.vpH, r.uiX, r.vpY, r.uiW, r.vpY != 0)) << r.w;
  }
  DisplayLayout d;
  d.viewport.width = 123;
  EXPECT_TRUE(!computeLayout(800, 0, d) && d.viewport.width == 123) << "zero height leaves the layout alone";
  EXPECT_EQ(std::tuple(framePeriodMicros(144), framePeriodMicros(10)), std::tuple(6944, 50000)) << "below 20 Hz counts as 20";
  EXPECT_EQ(std::pair(twoDecimals(59.999f), twoDecimals(7.5f)), std::pair(std::string("59.99"), std::string("7.50"))) << "truncated";
}

namespace {
// Frame number of the first report when every frame takes `micros`.
int firstReport(FrameStats& s, int micros) {
  s.beforeRender();
  s.afterRender(micros);
  for (int frame = 1; frame < 200; ++frame) {
    if (s.beforeRender()) return frame;
    s.afterRender(micros);
  }
  return -1;
}
}  // namespace

TEST(FrameStats, FirstReportSlidingWindowAndReset) {
  FrameStats fast;
  EXPECT_EQ(firstReport(fast, 10000), 100) << "100 frames of 10 ms make the first full second";
  EXPECT_NEAR(fast.framesPerSecond(), 100.0f, 0.01f);
  EXPECT_EQ(std::pair(fast.averageMicros(), fast.sampleCount()), (std::pair<int64_t, int>(10000, 60)));
  int later = 0;
  for (int frame = 0; frame < 100; ++frame) fast.afterRender(10000), later += fast.beforeRender();
  EXPECT_EQ(later, 0) << "only the first measurement is reported";

  FrameStats slow;
  EXPECT_EQ(firstReport(slow, 50000), 60);
  EXPECT_NEAR(slow.framesPerSecond(), 20.0f, 0.01f);

  // The sliding window drops the oldest sample; a reset reports again.
  FrameStats s;
  s.beforeRender();
  for (int i = 0; i < 60; ++i) s.afterRender(20000);
  s.beforeRender();  // a full second of 20 ms frames is measured here
  EXPECT_EQ(s.averageMicros(), 20000);
  s.afterRender(10000);
  for (int i = 0; i < 99; ++i) s.beforeRender(), s.afterRender(10000);
  s.beforeRender();  // the next full second only holds 10 ms frames
  EXPECT_EQ(s.averageMicros(), 10000);
  s.requestReset();
  EXPECT_TRUE(s.reportState() == 0 && !s.beforeRender() && s.sampleCount() == 0);
  EXPECT_EQ(FrameStats::reportLine(true, false, 59.999f, 16667),
            "Vertical Sync = true   Frame Limit = false   FPS Measured = 59.99   Avg. Frame Time us Measured = 16667");
}

// The game keeps running after long stalls and on machines that have been up for weeks.
TEST(FrameClock, StallsAndLargeClockValuesStillAdvanceTheGame) {
  const int64_t minute = 60'000'000;
  for (int64_t start : {int64_t{0}, int64_t{3} << 31, int64_t{40} * 24 * 60 * minute}) {
    SCOPED_TRACE(start);
    FrameClock clock(start);
    int64_t now = start;
    const auto frame = [&](int64_t step) {
      now += step;
      clock.tick(now);
      const int64_t elapsed = clock.frameMicros();
      clock.frameRan();
      return elapsed;
    };
    EXPECT_EQ(frame(16'667), 16'667);
    EXPECT_EQ(frame(36 * minute), FrameClock::kMaxFrameMicros) << "a long stall advances one capped step";
    EXPECT_EQ(frame(16'667), 16'667) << "and the game goes on after it";
    EXPECT_EQ(frame(20'000), 20'000);
    clock.tick(now - 5'000);  // a reading that goes back changes nothing
    EXPECT_EQ(frame(1'000), 1'000);
  }
}

// A plain file where the game's folder should be: the game still logs (to the
// temporary folder, saying why) and writing the settings reports failure.
#if !GTEST_OS_WINDOWS
// The user folder is decided once per process, so this runs in a forked child.
TEST(LogRotation, AnUnusableUserFolderMovesTheLogToTheTempFolder) {
  const fs::path home = freshFolder("unusable_home"), tmp = freshFolder("unusable_tmp");
  fs::create_directories(home / "Documents");
  writeFile(home / "Documents" / "Quillon Vale", "not a folder");
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setenv("HOME", home.c_str(), 1);
    setenv("TMPDIR", tmp.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    initLog();
    const bool settingsRefused = !saveSettingsFile();
    logLine("still logging");
    _exit(!platform::userDataFolderUsable() && settingsRefused ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the folder counted as usable, or the settings as written";
  const std::string log = readFile(tmp / "Quillon Vale Logs" / "Log Newest.log");
  const std::string said = "ERROR: The user data folder \"" + (home / "Documents" / "Quillon Vale").string();
  EXPECT_TRUE(log.find(said) != std::string::npos && log.find("still logging") != std::string::npos) << log;
  EXPECT_EQ(readFile(home / "Documents" / "Quillon Vale"), "not a folder");
}
#endif

// The first run writes only the newest log, with its header and system report;
// the twelfth keeps ten old logs and drops the oldest.
TEST(LogRotation, FirstRunWritesOnlyTheNewestLogTheTwelfthKeepsTenOldOnesAndGapsMoveUp) {
  const fs::path dir = freshFolder("log_runs");
  for (int run = 1; run <= 12; ++run) {
    initLogIn(dir.string()), logLine("run " + std::to_string(run)), disableLog();
    if (run > 1) continue;
    const std::string text = readFile(dir / "Log Newest.log");
    EXPECT_EQ(text.rfind("Quillon Vale Log File  Version 0.12.0.3\n\nOS: ", 0), 0u) << text;
    EXPECT_NE(text.find(" MB Free\n\nFound file path of program.  Absolute path to folder is being used.\nrun 1\n"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(dir / "Log Old 1.log"));
  }
  for (auto [file, run] : {std::pair{"Newest", "run 12"}, {"Old 1", "run 11"}, {"Old 10", "run 2\n"}})
    EXPECT_NE(readFile(dir / ("Log " + std::string(file) + ".log")).find(run), std::string::npos) << file;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 11);

  // A gap in the numbering moves up one each run.
  const fs::path gap = freshFolder("log_gap");
  for (const char* n : {"Newest", "Old 1", "Old 2", "Old 4"}) writeFile(gap / ("Log " + std::string(n) + ".log"), n);
  rotateLogs(gap.string());
  for (auto [file, was] : {std::pair{"Old 1", "Newest"}, {"Old 2", "Old 1"}, {"Old 3", "Old 2"}, {"Old 5", "Old 4"}})
    EXPECT_EQ(readFile(gap / ("Log " + std::string(file) + ".log")), was);
  EXPECT_FALSE(fs::exists(gap / "Log Old 4.log") || fs::exists(gap / "Log Newest.log"));

  // A folder that cannot exist (its parent is a file) disables logging silently.
  initLogIn((gap / "Log Old 1.log" / "Logs").string());
  EXPECT_FALSE(logEnabled());
  logLine("goes nowhere");
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
  std::string path() const { return (dir_ / "settings.txt").string(); }
  // Writes `text`, loads and applies it; returns what load said about full screen.
  bool loadText(Settings& s, const std::string& text, bool audio = true) {
    writeFile(path(), text);
    const bool full = s.load(path());
    s.apply(audio);
    return full;
  }
  fs::path dir_;
};

TEST_F(SettingsFile, WriteThenReadRoundTrip) {
  Settings a;
  a.musicVolume = 0.35f, a.soundVolume = 0.05f, a.reservedValue = 2, a.fullScreen = false;
  LogCapture log;
  a.save(path(), false, true);
  EXPECT_TRUE(log.contains("Settings file saved correctly."));
  EXPECT_EQ(readFile(path()), kHeader + "0.35\n0.05\n2\n0\n0\n1\n0\n");
  Settings b;
  EXPECT_FALSE(loadText(b, readFile(path())));
  EXPECT_TRUE(b.loaded && !b.verticalSync && b.frameLimit);
  EXPECT_EQ(std::tuple(b.musicVolume, b.soundVolume, b.reservedValue), std::tuple(0.35f, 0.05f, 2));

  LogCapture quiet;
  EXPECT_FALSE(a.save((dir_ / "missing-folder" / "settings.txt").string(), true, false));
  EXPECT_FALSE(quiet.contains("Settings file saved correctly.")) << "an unwritable file logs nothing";
}

TEST_F(SettingsFile, MissingFileHeaderOnlyClampingAndDamage) {
  LogCapture log;
  Settings missing;
  EXPECT_TRUE(missing.load(path()) && !missing.loaded) << "no file means full screen";
  EXPECT_TRUE(log.contains("ERROR: Couldn't load the settings file."));
  missing.apply(true);
  EXPECT_TRUE(!log.contains("Settings were set correctly.") && missing.verticalSync && !missing.frameLimit);

  Settings header;
  EXPECT_TRUE(loadText(header, kHeader));
  EXPECT_TRUE(header.loaded && header.verticalSync) << "a header alone counts as loaded";
  EXPECT_TRUE(log.contains("Settings were set correctly."));

  // Volumes clamp, and stay as chosen without a sound device so that saving does not
  // reset them; reserved values above 2 are left alone, negative ones become 0;
  // binary junk and a NaN volume poison nothing. Every row starts from reserved 1.
  const struct { std::string text; bool audio, loaded; float music, sound; int reserved, second; } rows[] = {
      {kHeader + "1.7\n-0.2\n0\n0\n1\n0\n0\n", true, true, 1.0f, 0.0f, 0, 0},
      {kHeader + "0.4\n0.6\n0\n0\n1\n0\n0\n", false, true, 0.4f, 0.6f, 0, 0},
      {kHeader + "1\n1\n7\n0\n1\n0\n-3\n", true, true, 1.0f, 1.0f, 1, 0},
      {kHeader + "1\n1\n-4\n", true, true, 1.0f, 1.0f, 0, 0},
      {std::string("\x89PNG\r\n\x1a\n\0\0garbage", 18), true, false, 1.0f, 1.0f, 1, 0},
      {kHeader + "nan\n", true, false, 1.0f, 1.0f, 1, 0}};
  for (const auto& r : rows) {
    Settings s;
    s.reservedValue = 1;
    loadText(s, r.text, r.audio);
    EXPECT_EQ(std::tuple(s.loaded, s.musicVolume, s.soundVolume, s.reservedValue, s.secondReservedValue),
              std::tuple(r.loaded, r.music, r.sound, r.reserved, r.second))
        << r.text;
  }
}

TEST_F(SettingsFile, OldVersionFullScreenValuesAndGarbageLines) {
  // Files before 0.10 have no reserved values: their lines are skipped, the positions kept.
  const struct { const char* version; int reserved; } rows[] = {{"0.9.99.9", 0}, {"0.10.0.0", 2}, {"1.2.0.0", 2}};
  for (const auto& r : rows) {
    Settings old;
    EXPECT_FALSE(loadText(old, std::string("Quillon Vale Settings File  Version ") + r.version + "\n0.5\n0.25\n2\n0\n0\n1\n5\n"));
    EXPECT_EQ(old.reservedValue, r.reserved) << r.version;
    EXPECT_TRUE(!old.verticalSync && old.frameLimit && old.soundVolume == 0.25f) << r.version;
  }
  Settings two, zero;
  EXPECT_TRUE(loadText(two, kHeader + "1\n1\n0\n2\n")) << "full screen 2 means full screen";
  EXPECT_FALSE(loadText(zero, kHeader + "1\n1\n0\n0\n"));

  // A garbage line logs and keeps what was read.
  LogCapture log;
  Settings s;
  EXPECT_TRUE(loadText(s, kHeader + "0.4\nabc\n0\n0\n0\n0\n0\n"));  // full screen keeps its default
  EXPECT_TRUE(log.contains("ERROR: Exception thrown couldn't load the settings file") && !s.loaded);
  EXPECT_EQ(std::pair(s.musicVolumeAsRead, s.musicVolume), std::pair(0.4f, 1.0f)) << "read, not applied";
}
