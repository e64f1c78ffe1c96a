#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

// The settings and save readers take a path, so each input goes through a file
// of its own; in memory (tmpfs) when there is one, as disk writes would set the pace.
inline const std::string& scratchFile(const char* name, const uint8_t* data, size_t size) {
  static const std::filesystem::path folder =
      std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                : std::filesystem::temp_directory_path();
  static const std::string path = (folder / ("qv_fuzz_" + std::to_string(::getpid()) + "_" + name)).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}
