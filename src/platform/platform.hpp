#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Everything that differs between operating systems lives behind these calls.
namespace qv::platform {

#ifdef _WIN32
inline constexpr char kSep = '\\';
#else
inline constexpr char kSep = '/';
#endif

// The executable's folder with a trailing separator; empty when it cannot be
// found, which makes every data path relative to the working directory.
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

// Tests point both folders somewhere of their own.
void overrideProgramFolder(const std::string& folder);
void overrideUserDataFolder(const std::string& folder);

// System report lines for the log.
std::string osLine();
std::string processorLine();
std::string memoryLine();

// The local date and time as "YYYY-MM-DD HH.MM.SS" (fit for a file name everywhere).
std::string localTimeStamp();

// High-resolution monotonic clock in microseconds.
int64_t nowMicros();

// Opens a web page in the default browser; false when nothing could be started.
bool openWebPage(const std::string& url);

// Small file-system helpers used by log rotation and saving.
bool makeFolder(const std::string& path);
bool fileExists(const std::string& path);
bool removeFile(const std::string& path);
bool renameFile(const std::string& from, const std::string& to);

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
