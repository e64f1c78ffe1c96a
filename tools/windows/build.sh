#!/usr/bin/env bash
# Cross-builds the Windows game on Debian:
#   tools/windows/build.sh           -> dist/windows/Quillon Vale/ and dist/windows/Quillon Vale.zip
#   tools/windows/build.sh --tests   -> also the headless unit test programs (build-windows/unit_*.exe)
# Installs what is missing (MinGW-w64, Wine), builds GLFW, SDL2, SDL2_mixer, LodePNG, libdeflate, meshoptimizer and
# GoogleTest for Windows from Debian's own sources into build-windows/deps (kept between runs),
# and takes the Data folder from the Linux build's generators.
set -euo pipefail
# The whole script is one block, read before it runs: editing it mid-build is safe.
{
cd "$(dirname "$0")/../.."
ROOT=$PWD
WANT_TESTS=0
for a in "$@"; do
  case "$a" in
    --tests) WANT_TESTS=1 ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
  esac
done

OUT=${QV_WINDOWS_BUILD:-$ROOT/build-windows}
# CI clones afresh each run; it keeps the libraries in a folder of the machine instead.
DEPS=${QV_WINDOWS_DEPS_DIR:-$OUT/deps}
PREFIX=$DEPS/prefix
JOBS=$(nproc)
TRIPLE=x86_64-w64-mingw32
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

step() { echo "== $* ($(date +%H:%M:%S))"; }

# --- tools ------------------------------------------------------------------
./tools/ci/install_deps.sh
need=()
for p in g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 dpkg-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  step "installing ${need[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# --- libraries for Windows, from Debian's source packages --------------------
# A stamp per library names the exact source version, so a Debian update rebuilds it.
mkdir -p "$DEPS/src" "$PREFIX"
TOOLCHAIN=$ROOT/cmake/mingw-w64.cmake
DEP_CMAKE=(-G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release
           -DCMAKE_INSTALL_PREFIX="$PREFIX" -DQV_WINDOWS_DEPS="$PREFIX" -DBUILD_SHARED_LIBS=OFF
           -DCMAKE_POSITION_INDEPENDENT_CODE=OFF)

SRC_LIST=/etc/apt/sources.list.d/quillon-src.sources
ensure_deb_src() {
  if apt-get source --print-uris -qq glfw3 >/dev/null 2>&1; then return; fi
  step "adding deb-src entries ($SRC_LIST)"
  /usr/bin/python3 tools/windows/apt_sources.py | $SUDO tee "$SRC_LIST" >/dev/null
  $SUDO apt-get update -qq
}

srcver() { apt-cache showsrc "$1" | awk '/^Version:/ {print $2}' | sort -V | tail -n1; }

# fetch_source <source package> -> prints the unpacked folder
fetch_source() {
  local pkg=$1 version upstream dir
  version=$(srcver "$pkg")
  upstream=${version#*:}
  upstream=${upstream%-*}
  dir="$DEPS/src/$pkg-$upstream"
  if [ ! -f "$DEPS/src/.$pkg-$version" ] || [ ! -d "$dir" ]; then
    rm -rf "$DEPS/src/$pkg-"[0-9]* "$DEPS/src/${pkg}_"*
    (cd "$DEPS/src" && apt-get source -qq "$pkg=$version" >"$DEPS/src/$pkg.log" 2>&1) ||
      { cat "$DEPS/src/$pkg.log" >&2; exit 1; }
    touch "$DEPS/src/.$pkg-$version"
  fi
  echo "$dir"
}

# build_dep <name> <version key> <source folder> <cmake options...>
build_dep() {
  local name=$1 key=$2 src=$3
  shift 3
  local stamp="$PREFIX/.$name-$key"
  [ -f "$stamp" ] && return
  step "building $name for Windows"
  rm -rf "$DEPS/build/$name"
  cmake -S "$src" -B "$DEPS/build/$name" "${DEP_CMAKE[@]}" "$@" >"$DEPS/$name.log" 2>&1 ||
    { tail -n 40 "$DEPS/$name.log"; exit 1; }
  cmake --build "$DEPS/build/$name" -j"$JOBS" >>"$DEPS/$name.log" 2>&1 ||
    { tail -n 40 "$DEPS/$name.log"; exit 1; }
  cmake --install "$DEPS/build/$name" >>"$DEPS/$name.log" 2>&1 ||
    { tail -n 40 "$DEPS/$name.log"; exit 1; }
  touch "$stamp"
}

libs_started=$(date +%s)
ensure_deb_src

GLFW_SRC=$(fetch_source glfw3)
build_dep glfw "$(srcver glfw3)" "$GLFW_SRC" \
  -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF

# The game asks SDL for audio only. SDL's dynamic API (swapping in another SDL2.dll at
# run time) has nothing to swap in a statically linked game, and its table would name
# the video functions left out; it can only be turned off in its header.
SDL_SRC=$(fetch_source libsdl2)
DYNAPI_H="$SDL_SRC/src/dynapi/SDL_dynapi.h"
if ! grep -q 'Quillon Vale' "$DYNAPI_H"; then
  sed -i 's|^#ifndef SDL_DYNAMIC_API$|#if !defined(SDL_DYNAMIC_API) /* Quillon Vale: static only */\n#define SDL_DYNAMIC_API 0\n#endif\n#ifndef SDL_DYNAMIC_API|' "$DYNAPI_H"
fi
build_dep sdl2 "$(srcver libsdl2)+static-audio" "$SDL_SRC" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_VIDEO=OFF -DSDL_RENDER=OFF \
  -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF -DSDL_POWER=OFF \
  -DSDL_VULKAN=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF -DSDL_CCACHE=OFF

# OGG through the built-in stb_vorbis decoder; every other format is left out.
MIXER_SRC=$(fetch_source libsdl2-mixer)
build_dep sdl2_mixer "$(srcver libsdl2-mixer)" "$MIXER_SRC" \
  -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_SAMPLES=OFF \
  -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
  -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_WAVE=OFF -DSDL2MIXER_CMD=OFF \
  -DSDL2_DIR="$PREFIX/lib/cmake/SDL2"

# LodePNG ships no build system of its own: a two-line CMake project builds it.
LODEPNG_SRC=$(fetch_source lodepng)
mkdir -p "$DEPS/lodepng-cmake"
cat >"$DEPS/lodepng-cmake/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(lodepng CXX)
add_library(lodepng STATIC "$LODEPNG_SRC/lodepng.cpp")
install(TARGETS lodepng ARCHIVE DESTINATION lib)
install(FILES "$LODEPNG_SRC/lodepng.h" DESTINATION include)
EOF
build_dep lodepng "$(srcver lodepng)" "$DEPS/lodepng-cmake"

# libdeflate's Makefile builds a DLL and programs too; the game needs only the
# decompressor, as a static library.
LIBDEFLATE_SRC=$(fetch_source libdeflate)
mkdir -p "$DEPS/libdeflate-cmake"
cat >"$DEPS/libdeflate-cmake/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.20)
project(libdeflate C)
add_library(deflate STATIC "$LIBDEFLATE_SRC/lib/deflate_decompress.c" "$LIBDEFLATE_SRC/lib/zlib_decompress.c"
  "$LIBDEFLATE_SRC/lib/adler32.c" "$LIBDEFLATE_SRC/lib/utils.c" "$LIBDEFLATE_SRC/lib/x86/cpu_features.c")
target_include_directories(deflate PRIVATE "$LIBDEFLATE_SRC")
install(TARGETS deflate ARCHIVE DESTINATION lib)
install(FILES "$LIBDEFLATE_SRC/libdeflate.h" DESTINATION include)
EOF
build_dep libdeflate "$(srcver libdeflate)" "$DEPS/libdeflate-cmake"

# The models' detail levels and vertex-cache ordering.
MESHOPT_SRC=$(fetch_source meshoptimizer)
build_dep meshoptimizer "$(srcver meshoptimizer)" "$MESHOPT_SRC" \
  -DMESHOPT_BUILD_DEMO=OFF -DMESHOPT_BUILD_GLTFPACK=OFF -DMESHOPT_BUILD_SHARED_LIBS=OFF

if [ "$WANT_TESTS" = 1 ]; then
  # Debian's googletest package carries the sources under /usr/src/googletest.
  GTEST_VER=$(dpkg-query -W -f='${Version}' googletest)
  build_dep googletest "$GTEST_VER" /usr/src/googletest -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON
fi
echo "Windows libraries ready in $(( $(date +%s) - libs_started )) s"

# --- the Data folder, made by the Linux build's generators -------------------
# The default world tool runs natively; the Data folder is the same for every platform.
if [ ! -f build/data-preview/.generated ] || [ ! -f "build/Data/Default World.sav" ] ||
   [ -n "$(find tools -name '*.py' -newer build/data-preview/.generated -print -quit)" ]; then
  step "generating the Data folder (Linux build)"
  if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_TESTS=ON -DQV_BUILD_BENCH=ON \
          -DQV_GENERATE_DATA=ON >/dev/null
  fi
  cmake --build build -j"$JOBS" --target data
fi

# --- the game ------------------------------------------------------------------
step "building the Windows game"
cmake -S . -B "$OUT" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DQV_WINDOWS_DEPS="$PREFIX" \
      -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=$([ "$WANT_TESTS" = 1 ] && echo ON || echo OFF) \
      -DQV_BUILD_BENCH=OFF -DQV_GENERATE_DATA=OFF >/dev/null
targets=(quillon-vale)
if [ "$WANT_TESTS" = 1 ]; then
  while read -r t; do targets+=("$t"); done < <(
    cmake --build "$OUT" --target help | sed -n 's/^\.\.\. \(unit_[a-z_]*\).*/\1/p')
fi
cmake --build "$OUT" -j"$JOBS" --target "${targets[@]}"
# Tests that read the Data folder find it beside their programs, as the game does.
rm -rf "$OUT/Data" && cp -a build/Data "$OUT/Data"

# --- the folder a player unpacks ---------------------------------------------
step "assembling dist/windows"
DIST="$ROOT/dist/windows/Quillon Vale"
rm -rf "$DIST" "$ROOT/dist/windows/Quillon Vale.zip"
mkdir -p "$DIST"
cp "$OUT/quillon-vale.exe" "$DIST/Quillon Vale.exe"
${TRIPLE}-strip "$DIST/Quillon Vale.exe"
cp -a build/Data "$DIST/Data"
(cd "$ROOT/dist/windows" && /usr/bin/python3 -m zipfile -c "Quillon Vale.zip" "Quillon Vale/")
echo "Windows build: $DIST ($(du -sh "$DIST" | cut -f1)), $ROOT/dist/windows/Quillon Vale.zip"
exit 0
}
