# The libraries of the Windows build, made by tools/windows/build.sh from Debian's
# sources and linked statically; they appear under the same target names as the
# system packages of the Linux build, so the modules link them the same way.
find_package(glfw3 REQUIRED)
find_package(SDL2 REQUIRED)
find_package(SDL2_mixer REQUIRED)
if(NOT TARGET SDL2::SDL2)
  add_library(SDL2::SDL2 INTERFACE IMPORTED)
  target_link_libraries(SDL2::SDL2 INTERFACE SDL2::SDL2-static)
endif()
add_library(PkgConfig::SDL2_MIXER INTERFACE IMPORTED)
# The mixer's static library calls into SDL2; saying so puts SDL2 after it on the
# link line (a static library only resolves what was asked for before it).
set_property(TARGET SDL2_mixer::SDL2_mixer-static APPEND PROPERTY INTERFACE_LINK_LIBRARIES SDL2::SDL2-static)
target_link_libraries(PkgConfig::SDL2_MIXER INTERFACE SDL2_mixer::SDL2_mixer-static)
find_package(Threads REQUIRED)
find_library(LODEPNG_LIBRARY lodepng REQUIRED)
find_path(LODEPNG_INCLUDE_DIR lodepng.h REQUIRED)
find_library(LIBDEFLATE_LIBRARY deflate REQUIRED)
find_path(LIBDEFLATE_INCLUDE_DIR libdeflate.h REQUIRED)
# The game has its own main(); SDL must not replace it with SDL_main. windows.h
# stays out of the way of std::min and std::max.
add_compile_definitions(SDL_MAIN_HANDLED NOMINMAX)
# Windows gives a program's main thread 1 MiB of stack unless told otherwise;
# the Linux builds run with 8 MiB, and std::regex over a whole source file (the
# data checks) needs more than 1.
add_link_options(-Wl,--stack,8388608)
