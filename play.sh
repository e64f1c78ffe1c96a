#!/usr/bin/env bash
# Installs what is missing, builds the game with its data and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./tools/ci/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quillon-vale data
exec ./build/quillon-vale
