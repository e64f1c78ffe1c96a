#pragma once

namespace qv {
// Starts the log, runs the game and returns the process exit code.
int programEntry();
}  // namespace qv
