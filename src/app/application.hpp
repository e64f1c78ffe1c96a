#pragma once

namespace qv {
// Starts the log, runs the game and returns the process exit code.
int programEntry();
// Starts the frame-rate measurement again (after a change of window mode,
// vertical sync or frame limit), so the next report speaks of the new state.
void resetFrameStatistics();
}  // namespace qv
