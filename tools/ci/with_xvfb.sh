#!/usr/bin/env bash
# Runs a command with a private Xvfb display (1920x1080, Mesa's software GL),
# started here and stopped afterwards, whatever the command's outcome.
set -uo pipefail
n=90
while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
Xvfb ":${n}" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null' EXIT
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X${n}" ] && break
  sleep 0.1
done
export DISPLAY=":${n}"
"$@"
