#!/usr/bin/env bash
# Frame rate of the real game on a crowded island, for developers (not run by the tests):
#   tools/big_world/measure_fps.sh <build folder> [units, default 5000]
# Writes a world of <units> with quillon-big-world, puts it in place of the default
# world in a private copy of the game's folder, starts a new game on one private Xvfb
# (Mesa's software GL) without vertical sync, lets the world settle and prints the
# frames per second of the full-screen world seen from the starting camera over ten
# seconds, as the X server received them (the game's own counter stops at 20, where
# its simulation step is capped). Needs xdotool.
set -euo pipefail
BUILD=$(realpath "$1")
UNITS=${2:-5000}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/game"
cp "$BUILD/quillon-vale" "$WORK/game/"
cp -a "$BUILD/Data" "$WORK/game/"
"$BUILD/quillon-big-world" "$UNITS" "$WORK/game/Data/Default World.sav"
cc -O2 -shared -fPIC -o "$WORK/frame_probe.so" "$HERE/../startup_times/frame_probe.c" -ldl

drive() {
  source "$HERE/../../tests/e2e/lib.sh" "$WORK/game/quillon-vale" "$WORK"
  fresh_home
  mkdir -p "$USER_DIR"
  printf '1\n0\n' >"$USER_DIR/developerModeEnabledByDefault.txt"
  # A first start writes the settings; the measured one runs without vertical sync,
  # which a virtual screen would otherwise pace at a fixed rate.
  start_game
  close_politely
  sed -i '6s/.*/0/' "$USER_DIR/settings.txt"
  rm -f "$LOG"
  export QV_START_NS QV_PROBE_FRAMES=1000000 QV_FRAME_TIMES="$WORK/frames" LD_PRELOAD="$WORK/frame_probe.so"
  QV_START_NS=$(date +%s%N)
  start_game
  unset LD_PRELOAD
  click_notice_ok
  arrived "Main Menu" 30 || fail "no main menu"
  click_new_game
  arrived "Save Slots" 30 || fail "no save slots"
  click_first_slot
  arrived "Gameplay With Top Hud" 120 || fail "no world"
  sleep 3
  local from to
  from=$(date +%s.%N)
  sleep 10
  to=$(date +%s.%N)
  close_politely
  awk -v from="$from" -v to="$to" -v start="$QV_START_NS" '
    { t = start / 1e9 + $2 } t >= from && t <= to { n++; if (!first) first = t; last = t }
    END { if (n > 1) printf "%d units: %.2f frames per second (%d frames)\n", units, (n - 1) / (last - first), n }
  ' units="$UNITS" "$WORK/frames"
}
export -f drive
export WORK HERE UNITS
LIBGL_ALWAYS_SOFTWARE=1 "$HERE/../ci/with_xvfb.sh" bash -c drive
