#!/usr/bin/env bash
# The game asked to stop from outside (a session ending, Ctrl+C, a service
# manager) shuts down as its close box would: the frame loop stops, the
# shut-down runs with its log lines, the exit code is 0, within seconds.
set -uo pipefail
GAME="$1"
BUILD="$2"
SHOTS="$BUILD/test-screenshots"
mkdir -p "$SHOTS"
HOME_DIR="$(mktemp -d)"
PID=""
cleanup() {
  [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null && kill -9 "$PID"
  rm -rf "$HOME_DIR"
}
trap cleanup EXIT
export HOME="$HOME_DIR"
unset XDG_CONFIG_HOME
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
LOG="$HOME_DIR/Documents/Quillon Vale/Logs/Log Newest.log"

fail() { echo "FAIL: $*"; [ -f "$LOG" ] && { echo "--- log ---"; tail -n 40 "$LOG"; }; exit 1; }
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
command -v xdotool >/dev/null || fail "xdotool is needed"

# run_once <signal name> <number>: start, reach the main menu, send the signal, check the ending.
run_once() {
  rm -rf "$HOME_DIR/Documents"
  "$GAME" >"$HOME_DIR/stdout.txt" 2>&1 &
  PID=$!
  wait_for_line 'Finished transitioning in for Scene "Gameplay With Early Access"' 120 \
    || fail "SIG$1: the early-access notice never finished fading in"
  find_window
  [ -n "$WIN" ] || fail "SIG$1: no window named Quillon Vale"
  click_notice_ok  # "Ok" on the notice
  wait_for_line 'Finished transitioning in for Scene "Main Menu"' 30 || fail "SIG$1: no main menu"
  sleep 0.4
  import -window root "$SHOTS/e2e_signal_$1_main_menu.png" 2>/dev/null || true
  kill -s "$1" "$PID"
  local deadline=$((SECONDS + 5))
  while kill -0 "$PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  kill -0 "$PID" 2>/dev/null && fail "SIG$1: the game was still running 5 s after the signal"
  wait "$PID"
  local rc=$?
  PID=""
  [ $rc -eq 0 ] || fail "SIG$1: exit code $rc"
  local previous=0 line n
  for line in "Received signal $2, closing the game." "Main game loop stopped" "Fonts deleted" \
              "glfwTerminate successful" "Reached end of program"; do
    n="$(grep -nF -- "$line" "$LOG" | head -n 1 | cut -d: -f1)"
    [ -n "$n" ] || fail "SIG$1: missing log line: $line"
    [ "$n" -gt "$previous" ] || fail "SIG$1: log line out of order: $line"
    previous=$n
  done
  tail -n 1 "$LOG" | grep -qx 'Reached end of program' || fail "SIG$1: the log does not end with Reached end of program"
}

run_once TERM 15
run_once INT 2
run_once HUP 1
echo "1 passed, 0 failed"
