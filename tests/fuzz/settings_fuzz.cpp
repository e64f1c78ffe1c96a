// The settings file, read the way the game reads it: from a file on disk.
#include <cstddef>
#include <cstdint>

#include "app/settings.hpp"
#include "scratch_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::Settings s;
  s.load(scratchFile("settings.txt", data, size));
  return 0;
}
