#pragma once
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

// Everything that differs between operating systems lives behind these calls.
namespace qv::platform {

#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

// The executable's folder with a trailing separator; empty when it cannot be
// found, which makes every data path relative to the working directory. When
// no Data folder sits beside an installed executable (<prefix>/games or
// <prefix>/bin), it is <prefix>/share/quillon-vale/ where the Data was installed.
const std::string& programFolder();
std::string programPath(const std::string& name);
// The message about finding the program folder, written to the log after the system report.
const std::string& programFolderMessage();
// "Data/<sub>/<file>" beside the executable.
std::string dataPath(const std::string& sub, const std::string& file);

// The documents folder + "Quillon Vale" + separator, created when missing; the
// program folder when no documents folder can be found.
const std::string& userDataFolder();
std::string userDataPath(const std::string& name);
// False when the user data folder could not be made or written (a plain file
// in its place, no permission); saving there will fail, so the log goes elsewhere.
bool userDataFolderUsable();
// The system's folder for temporary files, with a trailing separator.
std::string tempFolder();

// Tests point both folders somewhere of their own.
void overrideProgramFolder(const std::string& folder);
void overrideUserDataFolder(const std::string& folder);

// System report lines for the log.
std::string osLine();
std::string processorLine();
std::string memoryLine();

// The local calendar time of `t` (thread-safe on every system).
std::tm localTime(std::time_t t);
// The local date and time as "YYYY-MM-DD HH.MM.SS" (fit for a file name everywhere).
std::string localTimeStamp();

// High-resolution monotonic clock in microseconds.
int64_t nowMicros();

// Keeps freed heap memory in the process instead of handing it back to the system
// at once. A software GL driver allocates and frees its vertex buffers every frame;
// returned each time, those pages are faulted in again on the next frame, which cost
// more than drawing a few hundred units. Where the system allows it, the heap's next
// stretch is also set aside in huge pages, so filling the pictures and textures of
// start-up takes a fault per 2 MiB instead of per 4 KiB. Call once at start, before
// any other thread and any window.
void keepFreedMemoryForReuse();

// Termination requests from outside (SIGTERM, SIGINT, SIGHUP; Ctrl+C on a
// console) only raise a flag; the frame loop reads it and ends the game the
// way the window's close box does. A second request ends the process at once.
void installQuitSignalHandlers();
bool quitSignalReceived();
int quitSignalNumber();  // the signal that asked, 0 before any

// Opens a web page in the default browser; false when nothing could be started.
bool openWebPage(const std::string& url);

// Small file-system helpers used by log rotation and saving.
bool makeFolder(const std::string& path);
bool fileExists(const std::string& path);
bool isFolder(const std::string& path);
// Names (UTF-8, sorted) of the plain files in a folder ending in `extension`; none when it cannot be read.
std::vector<std::string> fileNamesIn(const std::string& folder, const std::string& extension);
bool removeFile(const std::string& path);
// Replaces `to` when it exists.
bool renameFile(const std::string& from, const std::string& to);

// Every file the game opens goes through these: our paths are UTF-8, and on
// Windows the plain stream and fopen calls would read them in the ANSI code page,
// losing a user folder such as "Zoë" or "Łukasz".
std::filesystem::path nativePath(const std::string& path);
std::ifstream openInput(const std::string& path, std::ios::openmode mode = std::ios::in);
std::ofstream openOutput(const std::string& path, std::ios::openmode mode = std::ios::out);
std::FILE* openFile(const std::string& path, const char* mode);
// The whole file; false when it cannot be opened or read.
bool readFile(const std::string& path, std::vector<unsigned char>& bytes);

// Replaces the file at `path` with `bytes` so that a reader only ever sees the
// old file or the complete new one, whatever happens meanwhile (a killed
// process, a full disk, a power cut): the bytes go to "<path>.tmp" in the same
// folder, are flushed to the disk, and the temporary file is then renamed over
// the old one. On any failure the temporary file is removed, the old file is
// left as it was, and false is returned.
bool writeFileAtomically(const std::string& path, std::string_view bytes);
// The name of the temporary file writeFileAtomically uses for `path`.
std::string atomicTempPath(const std::string& path);

}  // namespace qv::platform
