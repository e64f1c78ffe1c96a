#pragma once
#include <string>

namespace qv {

// Rotates the previous logs ("Log Old 1.log" newest .. "Log Old 10.log" oldest),
// starts "Log Newest.log" with the header and the system report. When the user
// data folder cannot be used the log goes to the temporary folder (and says
// why); when no folder can be written, logging is off for the run.
void initLog();
// The same with an explicit folder; false (logging off) when the file cannot be started.
bool initLogIn(const std::string& logFolder);
void rotateLogs(const std::string& logFolder);

}  // namespace qv
