# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads variant).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DQV_WINDOWS_DEPS=<prefix of the libraries built for Windows>
# tools/windows/build.sh does all of it, libraries included.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QV_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix variant ships std::thread and friends; the win32 one does not.
find_program(CMAKE_C_COMPILER NAMES ${QV_MINGW_TRIPLE}-gcc-posix ${QV_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QV_MINGW_TRIPLE}-g++-posix ${QV_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QV_MINGW_TRIPLE}-windres REQUIRED)

# try_compile projects see the toolchain again; pass the library prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QV_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW_TRIPLE})
if(QV_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${QV_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything is linked statically, the MinGW run-time included, so the shipped
# folder needs no DLL besides those every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest (and anything else that runs a built program) goes through Wine.
find_program(QV_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QV_WINE})
endif()
