#pragma once
#include <string>

namespace qv {

// Rotates the previous logs ("Log Old 1.log" newest .. "Log Old 10.log" oldest),
// starts "Log Newest.log" with the header and the system report. Logging stays
// off for the run when the file cannot be written.
void initLog();
// The same with an explicit folder; used by tests.
void initLogIn(const std::string& logFolder);
void rotateLogs(const std::string& logFolder);

}  // namespace qv
