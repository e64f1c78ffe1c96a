#pragma once
#include <string>

#include "platform/platform.hpp"

namespace testsupport {

// The folder of the running test program, as found before any test overrides
// the game's program folder (tests that read the generated Data beside it).
inline const std::string& testProgramFolder() {
  static const std::string folder = qv::platform::programFolder();
  return folder;
}

}  // namespace testsupport
