#!/usr/bin/env bash
# Start-up times of the game, for developers (not run by the tests):
#   tools/startup_times/measure.sh <game executable> [runs, default 3]
# Starts the game <runs> times on one private Xvfb with Mesa's software GL, a fresh
# home folder each time, and prints when the first loading frame reached the
# screen (frame2: the first comes with the window) and when the first frame after
# loading every scene did (frame4), in seconds after exec, with the processor
# time used until then by the main thread (main2, main4) and by all threads (cpu2,
# cpu4), then the median of each. Use a Release build.
set -euo pipefail
GAME=$(realpath "$1")
RUNS=${2:-3}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cc -O2 -shared -fPIC -o "$WORK/frame_probe.so" "$HERE/frame_probe.c" -ldl

run_all() {
  for i in $(seq 1 "$RUNS"); do
    mkdir -p "$WORK/home$i"
    (
      export HOME="$WORK/home$i" SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 QV_FRAME_TIMES="$WORK/t$i"
      QV_START_NS=$(date +%s%N) LD_PRELOAD="$WORK/frame_probe.so" exec "$GAME" >/dev/null 2>&1
    ) &
    pid=$!
    for _ in $(seq 1 600); do
      [ -f "$WORK/t$i" ] && [ "$(wc -l <"$WORK/t$i")" -ge 4 ] && break
      sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "run $i: $(tr '\n' ' ' <"$WORK/t$i" 2>/dev/null)"
  done
}
export -f run_all
export WORK RUNS GAME
"$HERE/../ci/with_xvfb.sh" bash -c run_all
for f in frame2 frame4 main2 main4 cpu2 cpu4; do
  echo "median $f: $(cat "$WORK"/t* | tr ' ' '\n' | paste - - | awk -v f=$f '$1 == f {print $2}' | sort -n |
    awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')"
done
