#!/usr/bin/env bash
# Installs what is missing, builds everything (game, data, tests, benchmarks)
# and runs every test, the display-bound ones under a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
./tools/ci/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_TESTS=ON -DQV_BUILD_BENCH=ON -DQV_GENERATE_DATA=ON >/dev/null
cmake --build build -j"$(nproc)"
export QV_REQUIRE_GL=1 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
./tools/ci/with_xvfb.sh ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
