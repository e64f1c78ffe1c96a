#!/usr/bin/env bash
# Cross-builds the headless unit tests for Windows and runs them under Wine:
#   tools/windows/test.sh              builds what is missing (the first time the
#                                      Windows libraries too), then runs the tests
#   tools/windows/test.sh --if-cached  the same, but only when the Windows libraries
#                                      are already built; otherwise says so and stops
set -euo pipefail
cd "$(dirname "$0")/../.."
OUT=${QV_WINDOWS_BUILD:-$PWD/build-windows}
if [ "${1:-}" = "--if-cached" ]; then
  if ! ls "${QV_WINDOWS_DEPS_DIR:-$OUT/deps}/prefix/".googletest-* >/dev/null 2>&1; then
    echo "Windows tests skipped: the Windows libraries are not built yet (tools/windows/test.sh builds them)"
    exit 0
  fi
fi
started=$(date +%s)
tools/windows/build.sh --tests
echo "Windows build ready in $(( $(date +%s) - started )) s"
. tools/windows/wine_env.sh
keep_wineserver_running
export SDL_AUDIODRIVER=dummy
ctest --test-dir "$OUT" -L unit --output-on-failure -j"$(nproc)"
echo "Windows build and tests took $(( $(date +%s) - started )) s"
