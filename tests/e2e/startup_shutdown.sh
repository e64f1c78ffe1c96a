#!/usr/bin/env bash
# Starts the real game as a player would (fresh home folder, no settings, a
# display), waits for the first screen, keeps a screenshot, closes the window
# like a window manager and checks the log from header to last line. A second
# run must rotate the first log.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
fresh_home
LOGDIR="$USER_DIR/Logs"

run_once() {  # run_once <screenshot name> [program]
  start_game "${2:-$GAME}"
  shot "$1"
  close_politely
}

run_once e2e_first_run
head -n 1 "$LOG" | grep -qx 'Quillon Vale Log File  Version 0.12.0.3' || fail "bad header"
check_order <<'LINES'
Found file path of program.  Absolute path to folder is being used.
ERROR: Couldn't load the settings file.
GLFW window created correctly
Finished loading Scene "Gameplay With Error Message"
Settings file saved correctly.
Finished transitioning in for Scene "Gameplay With Early Access"
Main game loop stopped
Shader programs deleted
glfwTerminate successful
Reached end of program
LINES
grep -q '^ERROR: ' "$LOG" && { grep '^ERROR: ' "$LOG" | grep -vF "ERROR: Couldn't load the settings file." && fail "unexpected ERROR lines"; }
SETTINGS="$HOME_DIR/Documents/Quillon Vale/settings.txt"
[ "$(wc -l < "$SETTINGS")" -eq 8 ] || fail "settings file should have eight lines"

# Second run: the first log is rotated, the settings file is read this time.
cp "$LOG" "$HOME_DIR/first.log"
run_once e2e_second_run
[ -f "$LOGDIR/Log Old 1.log" ] || fail "first log was not rotated"
cmp -s "$LOGDIR/Log Old 1.log" "$HOME_DIR/first.log" || fail "Log Old 1.log is not the first run's log"
grep -qF 'Settings file loaded.' "$LOG" || fail "second run did not read the settings"
grep -qF 'Settings were set correctly.' "$LOG" || fail "second run did not apply the settings"
# Third run: the game copied beside an empty Data folder. Every missing file is
# an ERROR line, nothing crashes, and the window still closes cleanly.
NODATA="$HOME_DIR/nodata"
mkdir -p "$NODATA/Data"
cp "$GAME" "$NODATA/quillon-vale"
run_once e2e_missing_data "$NODATA/quillon-vale"
grep -qF 'ERROR: LodePNG error filename = "Menu Screenshot.png"' "$LOG" || fail "missing backdrop not reported"
grep -qF 'ERROR: SDL mixer couldn'"'"'t load music filename = "Quillon Vale - Track 1.ogg"' "$LOG" \
  || grep -qF 'ERROR: Couldn'"'"'t SDL_INIT_AUDIO' "$LOG" || fail "missing music not reported"

# Fourth run: no Data folder at all. The game says so on standard error, with
# how to build the data, logs it, opens no window and exits non-zero.
rmdir "$NODATA/Data"
"$NODATA/quillon-vale" >"$HOME_DIR/stdout.txt" 2>"$HOME_DIR/stderr.txt"
rc=$?
[ $rc -ne 0 ] || fail "exit code 0 without a Data folder"
grep -q '^Quillon Vale could not start: there is no Data folder at ".*Data"' "$HOME_DIR/stderr.txt" \
  || fail "no reason on standard error without a Data folder: $(cat "$HOME_DIR/stderr.txt")"
grep -qF -- '--target data' "$HOME_DIR/stderr.txt" || fail "no hint how to build the data"
grep -q '^ERROR: there is no Data folder' "$LOG" || fail "the missing Data folder is not logged"
grep -qF 'GLFW loaded correctly' "$LOG" && fail "a window was attempted without data"
tail -n 1 "$LOG" | grep -qx 'Reached end of program' || fail "the run without a Data folder did not end cleanly"

# Fifth run: no display at all. The window cannot be made: the log keeps its
# lines, standard error carries the reason, and the exit code is not 0.
env -u DISPLAY -u WAYLAND_DISPLAY "$GAME" >"$HOME_DIR/stdout.txt" 2>"$HOME_DIR/stderr.txt"
rc=$?
[ $rc -ne 0 ] || fail "exit code 0 without a display"
grep -q '^Quillon Vale could not start: .*GLFW NOT loaded correctly (.*DISPLAY' "$HOME_DIR/stderr.txt" \
  || fail "no reason on standard error without a display: $(cat "$HOME_DIR/stderr.txt")"
check_order <<'LINES'
ERROR: GLFW NOT loaded correctly
ERROR: Problem loading OpenGL
Reached end of program
LINES
echo "1 passed, 0 failed"
