#!/usr/bin/env bash
# The game asked to stop from outside (a session ending, Ctrl+C, a service
# manager) shuts down as its close box would: the frame loop stops, the
# shut-down runs with its log lines, the exit code is 0, within seconds.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
fresh_home
need xdotool

# run_once <signal name> <number>: start, reach the main menu, send the signal, check the ending.
run_once() {
  rm -rf "$HOME_DIR/Documents"
  start_game
  click_notice_ok
  arrived "Main Menu" 30 || fail "SIG$1: no main menu"
  shot "e2e_signal_$1_main_menu"
  kill -s "$1" "$PID"
  ended_cleanly "SIG$1" 5
  check_order <<LINES
Received signal $2, closing the game.
Main game loop stopped
Fonts deleted
glfwTerminate successful
LINES
}

run_once TERM 15
run_once INT 2
echo "1 passed, 0 failed"
