#!/usr/bin/env bash
# Installs the Debian packages the game, its data generators and its tests need,
# only when something is missing. Works as root or through sudo.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ make pkg-config libglfw3-dev libsdl2-dev libsdl2-mixer-dev liblodepng-dev python3-glad
  libgtest-dev libbenchmark-dev
  # data generators
  python3-pil python3-numpy python3-scipy vorbis-tools fonts-dejavu-core
  # running headless and the tests
  xvfb xauth xdotool x11-utils imagemagick python3-xlib libgl1-mesa-dri libglx-mesa0
)
# tools/ci/sanitize_and_fuzz.sh: clang with its sanitizer and fuzzer runtimes.
if [ "${1:-}" = "--sanitizers" ]; then
  PACKAGES+=(clang libclang-rt-14-dev llvm)
fi
EXTRA_FILE="$(dirname "$0")/extra-packages.txt"
if [ -f "$EXTRA_FILE" ]; then
  while read -r p; do
    p="${p%%#*}"
    p="${p//[[:space:]]/}"
    if [ -n "$p" ]; then PACKAGES+=("$p"); fi
  done < "$EXTRA_FILE"
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
