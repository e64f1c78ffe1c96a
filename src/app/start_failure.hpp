#pragma once
#include <iosfwd>
#include <string>

namespace qv {

// A start that cannot go on is told to whoever started the game, not only to
// the log: a player running it from a terminal sees why, and scripts see a
// non-zero exit code.
inline constexpr int kStartFailedExitCode = 1;

// Empty when "<programFolder>Data" is a folder; otherwise what is missing and
// how to make it.
std::string missingDataProblem(const std::string& programFolder);

// Writes "Quillon Vale could not start: <reason>" and, when known, the system's
// own words in brackets, as one line to `out`.
void reportStartFailure(std::ostream& out, const std::string& reason, const std::string& systemDetail);

}  // namespace qv
