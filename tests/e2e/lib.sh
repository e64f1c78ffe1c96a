# Shared by the scripts that drive the real game (called as <script> <game> <build>).
# fresh_home sets LOG (the game's log file); start_game sets PID and WIN.
GAME="$1"
BUILD="$2"
SHOTS="$BUILD/test-screenshots"
mkdir -p "$SHOTS"
PID=""

# A player's first start: an empty home folder (removed on exit, the game
# stopped if still running), no settings, no sound card needed.
fresh_home() {
  HOME_DIR="$(mktemp -d)"
  trap '[ -n "$PID" ] && kill -0 "$PID" 2>/dev/null && kill -9 "$PID"; rm -rf "$HOME_DIR"' EXIT
  export HOME="$HOME_DIR"
  unset XDG_CONFIG_HOME
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
  USER_DIR="$HOME_DIR/Documents/Quillon Vale"
  LOG="$USER_DIR/Logs/Log Newest.log"
}
fail() { echo "FAIL: $*"; [ -f "${LOG:-}" ] && { echo "--- log ---"; tail -n 60 "$LOG"; }; exit 1; }
need() { for tool in "$@"; do command -v "$tool" >/dev/null || fail "$tool is needed (tools/ci/install_deps.sh installs it)"; done; }
shot() { sleep 0.4; import -window root "$SHOTS/$1.png" 2>/dev/null || echo "(no screenshot tool)"; }

# Waits until the log holds <text>; fails early when the game has ended.
wait_for_line() {  # wait_for_line <text> <seconds>
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    [ -f "$LOG" ] && grep -qF -- "$1" "$LOG" && return 0
    kill -0 "$PID" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
arrived() { wait_for_line "Finished transitioning in for Scene \"$1\"" "${2:-60}"; }

# Starts the game (or <program>) and waits for the first screen and its window.
start_game() {  # start_game [program]
  "${1:-$GAME}" >"$HOME_DIR/stdout.txt" 2>&1 &
  PID=$!
  arrived "Gameplay With Early Access" 120 || fail "the early-access notice never finished fading in"
  find_window || fail "no window named Quillon Vale"
}

# Waits for the game to end by itself within <seconds>; its exit code must be 0
# and its log must end with the last line of the shut-down.
ended_cleanly() {  # ended_cleanly <what made it end> [seconds]
  local deadline=$((SECONDS + ${2:-60})) rc
  while kill -0 "$PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  kill -0 "$PID" 2>/dev/null && fail "$1: the game was still running"
  wait "$PID"
  rc=$?
  PID=""
  [ $rc -eq 0 ] || fail "$1: exit code $rc"
  tail -n 1 "$LOG" | grep -qx 'Reached end of program' || fail "$1: the log does not end with Reached end of program"
}

# Fails unless every line read from standard input is in the log, in that order.
check_order() {
  local previous=0 line n
  while IFS= read -r line; do
    n="$(grep -nF -- "$line" "$LOG" | head -n 1 | cut -d: -f1)"
    [ -n "$n" ] || fail "missing log line: $line"
    [ "$n" -gt "$previous" ] || fail "log line out of order: $line"
    previous=$n
  done
}

# The window's size in W and H.
geometry() {
  local geo
  geo="$(xdotool getwindowgeometry --shell "$WIN")" || fail "window vanished"
  W="$(echo "$geo" | sed -n 's/^WIDTH=//p')"
  H="$(echo "$geo" | sed -n 's/^HEIGHT=//p')"
}

# A left click at design pixels from the interface centre (y up), mapped through
# the 16:9 interface rectangle the way the game maps the cursor.
click_design() {  # click_design <x> <y>
  geometry
  local px py
  read -r px py < <(/usr/bin/python3 -c "
w, h, x, y = $W, $H, $1, $2
ih = min(h, w * 9 / 16)
print(int(w / 2 + x * ih / 1080), int(h / 2 - y * ih / 1080))")
  xdotool mousemove --window "$WIN" "$px" "$py"
  sleep 0.3  # a few frames so the game sees the cursor over the button
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}

# The notice's panel asks for 832 x 130 and is drawn 856 x 333 around the centre,
# so its corner is at (-428, 166); "Ok" (182 x 64) sits at (55, -235) inside it.
click_notice_ok() { click_design $((-428 + 55 + 91)) $((166 - 235 - 32)); }
# The main menu is drawn 492 x 597 (corner -246, 298); "New Game" (364 wide) at (55, -105).
click_new_game() { click_design $((-246 + 55 + 182)) $((298 - 105 - 32)); }
# The slot panel is drawn 492 x 611 (corner -246, 305); slot 1 at (55, -105).
click_first_slot() { click_design $((-246 + 55 + 182)) $((305 - 105 - 32)); }

# The game's window in WIN. xdotool's search walks every window and can trip over
# one that closes meanwhile, so it is asked again until the answer is a window
# whose geometry can be read.
find_window() {
  local tries
  for tries in $(seq 1 20); do
    WIN="$(xdotool search --name '^Quillon Vale$' 2>/dev/null | head -n 1)"
    [ -n "$WIN" ] && xdotool getwindowgeometry "$WIN" >/dev/null 2>&1 && return 0
    sleep 0.25
  done
  WIN=""
  return 1
}

# Closes the window the way a window manager does (asked again every few seconds
# while the game is busy) and checks that the game then ends with exit code 0.
close_politely() {  # close_politely [seconds between requests]
  local closer every=${1:-3} deadline resend rc
  closer="$(dirname "${BASH_SOURCE[0]}")/wm_close.py"
  /usr/bin/python3 "$closer" "$WIN" || fail "could not send WM_DELETE_WINDOW"
  deadline=$((SECONDS + 60))
  resend=$((SECONDS + every))
  while kill -0 "$PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
    if [ $SECONDS -ge $resend ]; then
      /usr/bin/python3 "$closer" "$WIN" 2>/dev/null
      resend=$((SECONDS + every))
    fi
    sleep 0.2
  done
  ended_cleanly "the close request" 1
}
