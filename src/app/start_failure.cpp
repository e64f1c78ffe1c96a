#include "app/start_failure.hpp"

#include <filesystem>
#include <ostream>
#include <system_error>

namespace qv {

std::string missingDataProblem(const std::string& programFolder) {
  const std::filesystem::path data = std::filesystem::path(programFolder.empty() ? "." : programFolder) / "Data";
  std::error_code ec;
  if (std::filesystem::is_directory(data, ec)) return {};
  return "there is no Data folder at \"" + data.string() +
         "\". The pictures, fonts, models and sounds are made from the sources: run ./play.sh, or "
         "cmake --build build --target data, and start the game from the build folder.";
}

void reportStartFailure(std::ostream& out, const std::string& reason, const std::string& systemDetail) {
  out << "Quillon Vale could not start: " << reason;
  if (!systemDetail.empty()) out << " (" << systemDetail << ")";
  out << std::endl;
}

}  // namespace qv
