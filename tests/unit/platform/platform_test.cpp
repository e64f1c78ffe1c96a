#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#if !GTEST_OS_WINDOWS
#include <sys/wait.h>
#endif
#include <vector>

#include "platform/platform.hpp"

namespace fs = std::filesystem;
using namespace qv;

TEST(Platform, ProgramFolderIsTheExecutablesFolderWithASeparator) {
  const std::string& folder = platform::programFolder();
  EXPECT_TRUE(folder.ends_with(platform::kSep)) << folder;
  EXPECT_TRUE(fs::exists(fs::path(folder) / "unit_platform") || fs::exists(fs::path(folder) / "unit_platform.exe"));
  EXPECT_EQ(platform::dataPath("Images", "a b.png"), folder + "Data" + platform::kSep + "Images" + platform::kSep + "a b.png");
}

// A player's folder may carry any letters: every helper that names a file takes
// UTF-8, and Windows must see the same name the player does.
TEST(Platform, NonAsciiPathsWorkThroughEveryFileHelper) {
  const std::string base = (fs::temp_directory_path() / ("qv_platform_utf8_" + std::to_string(::getpid()))).string();
  const std::string folder = base + platform::kSep + "Zo\u00eb \u0141ukasz \u5c71" + platform::kSep + "Saves";
  fs::remove_all(platform::nativePath(base));
  ASSERT_TRUE(platform::makeFolder(folder));
  const std::string save = folder + platform::kSep + "Save 1.sav";
  ASSERT_TRUE(platform::writeFileAtomically(save, "first\n"));
  // A second save replaces the first in place; no temporary file is left behind.
  ASSERT_TRUE(platform::writeFileAtomically(save, "second\n"));
  EXPECT_FALSE(platform::fileExists(platform::atomicTempPath(save)));
  std::string line;
  std::getline(platform::openInput(save), line);
  EXPECT_EQ(line, "second");

  platform::openOutput(folder + platform::kSep + "\u00e9t\u00e9.txt") << "summer";
  std::vector<unsigned char> bytes;
  EXPECT_FALSE(platform::readFile(folder + platform::kSep + "missing.txt", bytes));
  // Renaming over an existing file replaces it, as log rotation expects.
  EXPECT_TRUE(platform::renameFile(folder + platform::kSep + "\u00e9t\u00e9.txt", save));
  if (std::FILE* f = platform::openFile(save, "ab")) {
    std::fputs("\nmore", f);
    std::fclose(f);
  }
  ASSERT_TRUE(platform::readFile(save, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "summer\nmore");
  EXPECT_TRUE(platform::removeFile(save));
  EXPECT_FALSE(platform::fileExists(save) || platform::removeFile(save));
  fs::remove_all(platform::nativePath(base));
}

#if GTEST_OS_WINDOWS
TEST(Platform, UserFolderIsInTheDocumentsFolder) {
  const std::string& folder = platform::userDataFolder();
  const std::string tail = std::string(1, platform::kSep) + "Quillon Vale" + platform::kSep;
  ASSERT_GT(folder.size(), tail.size());
  EXPECT_EQ(folder.substr(folder.size() - tail.size()), tail);
  EXPECT_TRUE(fs::is_directory(platform::nativePath(folder)));
}
#else
// The user folder is decided once per process, so each case runs in a forked child.
namespace {
std::string userFolderInChild(const std::string& home) {
  const std::string answer = home + "/folder.txt";
  if (fork() == 0) {
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    std::ofstream(answer) << platform::userDataFolder();
    _exit(0);
  }
  wait(nullptr);
  std::string folder;
  std::getline(std::ifstream(answer), folder);
  return folder;
}
}  // namespace

TEST(Platform, UserFolderFollowsTheXdgDocumentsSetting) {
  const fs::path home = fs::temp_directory_path() / ("qv_home_test_" + std::to_string(::getpid()));
  fs::remove_all(home);
  fs::create_directories(home / ".config");
  std::ofstream(home / ".config" / "user-dirs.dirs") << "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
  EXPECT_EQ(userFolderInChild(home.string()), (home / "Papers" / "Quillon Vale").string() + "/");
  EXPECT_TRUE(fs::is_directory(home / "Papers" / "Quillon Vale"));
  // Without the setting the documents folder is ~/Documents; a setting of $HOME itself means "none".
  std::ofstream(home / ".config" / "user-dirs.dirs", std::ios::trunc) << "XDG_DOCUMENTS_DIR=\"$HOME/\"\n";
  EXPECT_EQ(userFolderInChild(home.string()), (home / "Documents" / "Quillon Vale").string() + "/");
  fs::remove(home / ".config" / "user-dirs.dirs");
  EXPECT_EQ(userFolderInChild(home.string()), (home / "Documents" / "Quillon Vale").string() + "/");
  fs::remove_all(home);
}
#endif

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_ADDRESS_SANITIZER 1
#endif
#endif
// The sanitizer keeps its own heap, which the huge page stretch leaves alone.
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(QV_ADDRESS_SANITIZER)
// Kilobytes of huge pages under the mapping that holds address a.
long hugeKilobytesAround(const void* a) {
  std::ifstream smaps("/proc/self/smaps");
  const auto at = reinterpret_cast<unsigned long>(a);
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    unsigned long lo = 0, hi = 0;
    if (line.find(' ') == line.find('-') + 13 && std::sscanf(line.c_str(), "%lx-%lx ", &lo, &hi) == 2)
      inside = at >= lo && at < hi;
    else if (inside && line.rfind("AnonHugePages:", 0) == 0)
      return std::atol(line.c_str() + 14);
  }
  return -1;
}

// The loading screen's backdrop, padded to 2048 x 2048, lands in huge pages, and
// blocks made around the stretch set aside for them keep their bytes.
TEST(Platform, HeapKeptForReuseHandsOutHugePagesAndStaysSound) {
  std::string mode;
  std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), mode);
  if (mode.empty() || mode.find("[never]") != std::string::npos) GTEST_SKIP() << "huge pages are off here";
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  if (fork() == 0) {
    platform::keepFreedMemoryForReuse();
    std::vector<std::string> small;
    for (int i = 0; i < 300; ++i) small.emplace_back(static_cast<size_t>(i * 37 + 1), static_cast<char>(i));
    std::vector<unsigned char> picture(size_t{2048} * 2048 * 4, 0x5a);
    long huge = hugeKilobytesAround(picture.data());
    for (int i = 0; i < 300; ++i)
      if (small[i] != std::string(static_cast<size_t>(i * 37 + 1), static_cast<char>(i))) huge = -2;
    if (picture.front() != 0x5a || picture.back() != 0x5a) huge = -2;
    _exit(write(fds[1], &huge, sizeof huge) == sizeof huge ? 0 : 1);
  }
  close(fds[1]);
  long huge = -1;
  ASSERT_EQ(read(fds[0], &huge, sizeof huge), static_cast<ssize_t>(sizeof huge));
  close(fds[0]);
  wait(nullptr);
  EXPECT_NE(huge, -2) << "a block lost its bytes";
  // One huge page at least: how many the kernel finds free depends on the machine.
  EXPECT_GE(huge, 2048) << "kilobytes of huge pages under the 16 MiB picture";
}
#endif
