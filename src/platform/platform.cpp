#include "platform/platform.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <intrin.h>
#include <io.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shellapi.h>
#include <versionhelpers.h>
#else
#include <cpuid.h>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>
#endif

namespace qv::platform {
namespace {

struct Folders {
  bool programKnown = false;
  std::string program;
  std::string programMessage;
  bool userKnown = false;
  bool userUsable = true;
  std::string user;
};
Folders& folders() {
  static Folders f;
  return f;
}

#ifdef _WIN32
// Our strings are UTF-8; Windows takes paths as UTF-16. Converting at every call
// that names a file keeps a user folder like "C:\Users\Zoë" working, which the
// narrow (ANSI code page) calls would not.
std::wstring wide(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string utf8(const wchar_t* w, size_t len) {
  if (len == 0) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(len), s.data(), n, nullptr, nullptr);
  return s;
}
#endif

std::string withSep(std::string s) {
  // Windows also takes '/' as a separator; doubling it would make "a/\b".
  if (!s.empty() && s.back() != kSep && !(kSep == '\\' && s.back() == '/')) s.push_back(kSep);
  return s;
}

// An installed game keeps its executable in <prefix>/games (or bin) and its
// Data folder in <prefix>/share/quillon-vale; the program folder then becomes
// that shared folder, so every "Data" path below it still holds. A Data folder
// beside the executable (a build folder, an unpacked archive) always wins.
void preferInstalledData(Folders& f) {
  std::error_code ec;
  if (f.program.size() < 2 || std::filesystem::is_directory(f.program + "Data", ec)) return;
  const std::string exeFolder = f.program.substr(0, f.program.size() - 1);
  const size_t cut = exeFolder.find_last_of(kSep);
  if (cut == std::string::npos) return;  // a drive root: no prefix to look in
  const std::string prefix = exeFolder.substr(0, cut + 1);
  const std::string shared = prefix + "share" + kSep + "quillon-vale" + kSep;
  if (!std::filesystem::is_directory(shared + "Data", ec)) return;
  f.program = shared;
  f.programMessage += "\nNo Data folder beside the program; using the installed one in " + shared;
}

void findProgramFolder() {
  Folders& f = folders();
  f.programKnown = true;
#ifdef _WIN32
  std::vector<wchar_t> buf(512);
  for (;;) {
    SetLastError(0);
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    const DWORD err = GetLastError();
    if (n == 0) {
      f.programMessage = "ERROR: Problem finding file path of program, returnValue = 0,  GetLastError() = " +
                         std::to_string(err) +
                         "\nERROR: Problem finding file path of program, trying to use relative path instead";
      return;
    }
    if (n >= buf.size() && (err == ERROR_INSUFFICIENT_BUFFER || err == 0)) {
      buf.resize(buf.size() * 2);
      continue;
    }
    if (n > buf.size()) {
      f.programMessage = "ERROR: Problem finding file path of program, returnValue > size,  GetLastError() = " +
                         std::to_string(err) +
                         "\nERROR: Problem finding file path of program, trying to use relative path instead";
      return;
    }
    const std::string path = utf8(buf.data(), n);
    f.program = path.substr(0, path.find_last_of('\\') + 1);
    break;
  }
#else
  std::vector<char> buf(512);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0) {
      f.programMessage = "ERROR: Problem finding file path of program, returnValue = 0,  GetLastError() = " +
                         std::to_string(errno) +
                         "\nERROR: Problem finding file path of program, trying to use relative path instead";
      return;
    }
    if (static_cast<size_t>(n) >= buf.size()) {
      buf.resize(buf.size() * 2);
      continue;
    }
    std::string path(buf.data(), static_cast<size_t>(n));
    f.program = path.substr(0, path.find_last_of('/') + 1);
    break;
  }
#endif
  f.programMessage = "Found file path of program.  Absolute path to folder is being used.";
  preferInstalledData(f);
}

std::string documentsFolder() {
#ifdef _WIN32
  PWSTR path = nullptr;
  std::string docs;
  if (SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &path) == S_OK && path)
    docs = utf8(path, wcslen(path));
  CoTaskMemFree(path);  // owed even when the call failed
  return docs;
#else
  // The XDG user-dirs file names the documents folder; $HOME/Documents otherwise.
  const char* home = std::getenv("HOME");
  if (!home || !*home) return {};
  const std::string homeStr = home;
  std::string configHome;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) configHome = x;
  else configHome = homeStr + "/.config";
  std::ifstream in(configHome + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    const std::string key = "XDG_DOCUMENTS_DIR=";
    if (line.rfind(key, 0) != 0) continue;
    std::string v = line.substr(key.size());
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    if (v.rfind("$HOME", 0) == 0) v = homeStr + v.substr(5);
    // A documents folder equal to $HOME itself means "not configured".
    if (!v.empty() && v != homeStr && v != homeStr + "/") return v;
  }
  return homeStr + "/Documents";
#endif
}

}  // namespace

const std::string& programFolder() {
  if (!folders().programKnown) findProgramFolder();
  return folders().program;
}

std::string programPath(const std::string& name) { return programFolder() + name; }

const std::string& programFolderMessage() {
  programFolder();
  return folders().programMessage;
}

std::string dataPath(const std::string& sub, const std::string& file) {
  return programPath(std::string("Data") + kSep + sub + kSep + file);
}

namespace {
// A folder we can create files in; a plain file of that name or a read-only folder is not.
bool writableFolder(const std::string& path) {
  if (!isFolder(path)) return false;
#ifdef _WIN32
  return _waccess(wide(path).c_str(), 2) == 0;
#else
  return ::access(path.c_str(), W_OK | X_OK) == 0;
#endif
}
}  // namespace

const std::string& userDataFolder() {
  Folders& f = folders();
  if (!f.userKnown) {
    f.userKnown = true;
    const std::string docs = documentsFolder();
    if (docs.empty()) {
      f.user = programFolder();
    } else {
      makeFolder(docs);
      f.user = withSep(docs) + "Quillon Vale" + kSep;
      makeFolder(f.user);
    }
    f.userUsable = writableFolder(f.user.empty() ? "." : f.user);
  }
  return f.user;
}

std::string userDataPath(const std::string& name) { return userDataFolder() + name; }

bool userDataFolderUsable() {
  userDataFolder();
  return folders().userUsable;
}

std::string tempFolder() {
#ifdef _WIN32
  wchar_t path[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, path);
  if (n > 0 && n <= MAX_PATH) return withSep(utf8(path, n));
  return withSep(programFolder().empty() ? "." : programFolder());
#else
  const char* dir = std::getenv("TMPDIR");
  return withSep(dir && *dir ? dir : "/tmp");
#endif
}

void overrideProgramFolder(const std::string& folder) {
  folders().programKnown = true;
  folders().program = withSep(folder);
  folders().programMessage = "Found file path of program.  Absolute path to folder is being used.";
}

void overrideUserDataFolder(const std::string& folder) {
  folders().userKnown = true;
  folders().user = withSep(folder);
  makeFolder(folders().user);
  folders().userUsable = writableFolder(folders().user);
}

std::string processorLine() {
  unsigned regs[12] = {};
#ifdef _WIN32
  int info[4];
  __cpuid(info, 0x80000000);
  const unsigned highest = static_cast<unsigned>(info[0]);
  if (highest < 0x80000004u) return "ERROR: Processor information couldn't be determined.";
  for (unsigned i = 0; i < 3; ++i) {
    __cpuid(info, static_cast<int>(0x80000002u + i));
    std::memcpy(regs + i * 4, info, 16);
  }
#elif defined(__x86_64__) || defined(__i386__)
  const unsigned highest = __get_cpuid_max(0x80000000u, nullptr);
  if (highest < 0x80000004u) return "ERROR: Processor information couldn't be determined.";
  for (unsigned i = 0; i < 3; ++i) {
    __get_cpuid(0x80000002u + i, &regs[i * 4], &regs[i * 4 + 1], &regs[i * 4 + 2], &regs[i * 4 + 3]);
  }
#else
  return "ERROR: Processor information couldn't be determined.";
#endif
  char brand[49] = {};
  std::memcpy(brand, regs, 48);
  return std::string("Processor: ") + brand;
}

std::string memoryLine() {
#ifdef _WIN32
  MEMORYSTATUSEX status;
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return "ERROR: Memory information couldn't be determined.";
  const unsigned long long total = status.ullTotalPhys >> 20, avail = status.ullAvailPhys >> 20;
#else
  // MemAvailable is what a player would call free; sysinfo's freeram ignores the page cache.
  unsigned long long total = 0, avail = 0;
  bool haveTotal = false, haveAvail = false;
  std::ifstream in("/proc/meminfo");
  std::string key;
  unsigned long long kb;
  std::string unit;
  while (in >> key >> kb >> unit) {
    if (key == "MemTotal:") total = kb >> 10, haveTotal = true;
    if (key == "MemAvailable:") avail = kb >> 10, haveAvail = true;
  }
  if (!haveTotal || !haveAvail) {
    struct sysinfo si;
    if (sysinfo(&si) != 0) return "ERROR: Memory information couldn't be determined.";
    total = (static_cast<unsigned long long>(si.totalram) * si.mem_unit) >> 20;
    avail = (static_cast<unsigned long long>(si.freeram) * si.mem_unit) >> 20;
  }
#endif
  return "Ram: " + std::to_string(total) + " MB Total, " + std::to_string(avail) + " MB Free";
}

std::string osLine() {
#ifdef _WIN32
  struct Test {
    WORD major, minor, sp;
    const char* line;
  };
  static const Test tests[] = {
      {10, 0, 0, "OS: Windows 10 or Newer"},        {6, 3, 0, "OS: Windows 8.1 or Newer"},
      {6, 2, 0, "OS: Windows 8 or Newer"},          {6, 1, 1, "OS: Windows 7 SP1 or Newer"},
      {6, 1, 0, "OS: Windows 7 or Newer"},          {6, 0, 2, "OS: Windows Vista SP2 or Newer"},
      {6, 0, 1, "OS: Windows Vista SP1 or Newer"},  {6, 0, 0, "OS: Windows Vista or Newer"},
      {5, 1, 3, "OS: Windows XP SP3 or Newer"},     {5, 1, 2, "OS: Windows XP SP2 or Newer"},
      {5, 1, 1, "OS: Windows XP SP1 or Newer"},     {5, 1, 0, "OS: Windows XP or Newer"},
  };
  for (const Test& t : tests)
    if (IsWindowsVersionOrGreater(t.major, t.minor, t.sp)) return t.line;
  return "ERROR: OS information couldn't be determined.";
#else
  // The distribution's pretty name reads better than the kernel's, when there is one.
  std::ifstream in("/etc/os-release");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
    std::string v = line.substr(12);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    struct utsname u;
    if (uname(&u) == 0) return "OS: " + v + " (" + u.sysname + " " + u.release + ")";
    return "OS: " + v;
  }
  struct utsname u;
  if (uname(&u) == 0) return std::string("OS: ") + u.sysname + " " + u.release;
  return "ERROR: OS information couldn't be determined.";
#endif
}

std::tm localTime(std::time_t t) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  return local;
}

int64_t nowMicros() {
#ifdef _WIN32
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  // counter × 10^6 overflows after a few days of uptime at a 10 MHz counter;
  // whole seconds and the remainder separately never do.
  const int64_t seconds = c.QuadPart / f.QuadPart, rest = c.QuadPart % f.QuadPart;
  return seconds * 1000000 + rest * 1000000 / f.QuadPart;
#else
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
#endif
}

namespace {
volatile std::sig_atomic_t g_quitSignal = 0;

// Only a flag: nothing else is safe inside a signal handler. (Windows resets
// the handler before calling it, so there too a second request ends the process.)
extern "C" void onQuitSignal(int sig) { g_quitSignal = sig; }
}  // namespace

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#if defined(__has_feature)
#if !__has_feature(address_sanitizer) && !__has_feature(memory_sanitizer)
#define QV_RESERVE_HUGE_PAGE_HEAP 1
#endif
#else
#define QV_RESERVE_HUGE_PAGE_HEAP 1
#endif
#endif

namespace {
#ifdef QV_RESERVE_HUGE_PAGE_HEAP
constexpr size_t kLargestHeapBlock = size_t{32} << 20;

// Start-up fills tens of megabytes at once (decoded pictures, padded textures, the
// GL driver's copies of them), and every 4 KiB page first touched costs a fault: in
// a virtual machine those faults were a third of the time to the first frame. So
// the heap's next stretch is taken now, while nothing else runs, and marked for
// huge pages: a fault then brings in 2 MiB. A huge page is only made where none of
// its 4 KiB pages is in use, so the stretch is lined up with a huge page boundary
// and the pages the heap's own bookkeeping touched are handed back first.
// Everything here only moves where blocks land; any surprise in the layout just
// leaves fewer huge pages.
void reserveHugePageHeap() {
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20, kPage = 4096;
  constexpr uintptr_t kChunkHeader = 2 * sizeof(size_t);
  const auto heapTop = [] { return reinterpret_cast<uintptr_t>(sbrk(0)); };
  const auto topChunkStart = [&] { return heapTop() - mallinfo2().keepcost; };
  // A block the size of the gap below the next boundary, kept for good: it is
  // virtual memory only. A heap block of n bytes spans n + 8 rounded up to 16.
  const uintptr_t top = topChunkStart();
  uintptr_t boundary = (top + kHugePage - 1) & ~(kHugePage - 1);
  if (boundary - top < 64) boundary += kHugePage;
  static void* gap = nullptr;
  gap = std::malloc(boundary - kChunkHeader - top - sizeof(size_t));
  if (reinterpret_cast<uintptr_t>(gap) != top + kChunkHeader) return;
  constexpr int kBlocks = 6;  // the heap grows by this many largest blocks
  void* blocks[kBlocks] = {};
  for (void*& b : blocks) b = std::malloc(kLargestHeapBlock - kPage);
  for (void* b : blocks) std::free(b);
  const uintptr_t end = heapTop() & ~(kPage - 1);
  if (end <= boundary || topChunkStart() != boundary - kChunkHeader) return;
  auto* from = reinterpret_cast<void*>(boundary);
  madvise(from, end - boundary, MADV_HUGEPAGE);
  madvise(from, end - boundary, MADV_DONTNEED);
}
#endif
}  // namespace

void keepFreedMemoryForReuse() {
#ifdef QV_RESERVE_HUGE_PAGE_HEAP
  // Setting either threshold also stops glibc from moving them as it sees large frees.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargestHeapBlock));
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  // One heap for every thread keeps the workers' pictures in the huge pages too.
  mallopt(M_ARENA_MAX, 1);
  reserveHugePageHeap();
#endif
}

void installQuitSignalHandlers() {
#ifdef _WIN32
  std::signal(SIGINT, onQuitSignal);
  std::signal(SIGTERM, onQuitSignal);
#else
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = onQuitSignal;
  sigemptyset(&sa.sa_mask);
  // SA_RESETHAND: if the orderly shut-down hangs, asking again ends the process.
  sa.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction old;
    // Started under nohup, a hang-up is meant to pass unnoticed. (SIGINT is taken
    // even when inherited as ignored, as a background start from a script leaves it.)
    if (sig == SIGHUP && sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(sig, &sa, nullptr);
  }
#endif
}

bool quitSignalReceived() { return g_quitSignal != 0; }
int quitSignalNumber() { return static_cast<int>(g_quitSignal); }

bool openWebPage(const std::string& url) {
#ifdef _WIN32
  const std::wstring w = wide(url);
  return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", w.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
#else
  // Only our own fixed addresses come here, but quote anyway so a stray
  // character can never reach the shell as a command.
  std::string quoted = "'";
  for (char c : url) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  quoted += "'";
  const std::string cmd = "xdg-open " + quoted + " >/dev/null 2>&1 &";
  return std::system(cmd.c_str()) == 0;
#endif
}

bool makeFolder(const std::string& path) {
  // Parents first, so a configured documents folder that does not exist yet still works.
  for (size_t i = 1; i < path.size(); ++i) {
    if (path[i] != '/' && path[i] != '\\') continue;
    const std::string parent = path.substr(0, i);
#ifdef _WIN32
    CreateDirectoryW(wide(parent).c_str(), nullptr);
#else
    mkdir(parent.c_str(), 0755);
#endif
  }
#ifdef _WIN32
  return CreateDirectoryW(wide(path).c_str(), nullptr) != 0;
#else
  return mkdir(path.c_str(), 0755) == 0;
#endif
}

bool fileExists(const std::string& path) { return openInput(path).good(); }

bool removeFile(const std::string& path) {
#ifdef _WIN32
  return DeleteFileW(wide(path).c_str()) != 0;
#else
  return std::remove(path.c_str()) == 0;
#endif
}

bool isFolder(const std::string& path) {
#ifdef _WIN32
  const DWORD a = GetFileAttributesW(wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool renameFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
  // Replaces an existing target as rename does elsewhere.
  return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

std::vector<std::string> fileNamesIn(const std::string& folder, const std::string& extension) {
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(nativePath(folder), ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
#ifdef _WIN32
    const std::wstring w = it->path().filename().wstring();
    std::string name = utf8(w.c_str(), w.size());
#else
    std::string name = it->path().filename().string();
#endif
    const bool matches = name.size() >= extension.size() &&
                         name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
    if (matches) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::filesystem::path nativePath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(wide(path));
#else
  return std::filesystem::path(path);
#endif
}

std::ifstream openInput(const std::string& path, std::ios::openmode mode) {
  return std::ifstream(nativePath(path), mode | std::ios::in);
}

std::ofstream openOutput(const std::string& path, std::ios::openmode mode) {
  return std::ofstream(nativePath(path), mode | std::ios::out);
}

std::FILE* openFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  return _wfopen(wide(path).c_str(), wide(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

bool readFile(const std::string& path, std::vector<unsigned char>& bytes) {
  bytes.clear();
  std::FILE* f = openFile(path, "rb");
  if (!f) return false;
  unsigned char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

std::string atomicTempPath(const std::string& path) { return path + ".tmp"; }

std::string localTimeStamp() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = localTime(now);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H.%M.%S", &local);
  return buf;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string tmp = atomicTempPath(path);
#ifdef _WIN32
  const std::wstring wtmp = wide(tmp), wpath = wide(path);
  HANDLE h = CreateFileW(wtmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(h, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ok = ok && FlushFileBuffers(h);
  ok = CloseHandle(h) && ok;
  ok = ok && MoveFileExW(wtmp.c_str(), wpath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(wtmp.c_str());
  return ok;
#else
  // A temporary file left by a killed run is replaced, never written through
  // (it could be a link pointing anywhere).
  ::unlink(tmp.c_str());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && std::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  // The rename itself lives in the folder; without this a power cut can undo it.
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
#endif
}

}  // namespace qv::platform
