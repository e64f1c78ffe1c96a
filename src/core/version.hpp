#pragma once
#include <array>

namespace qv {
inline constexpr const char* kGameName = "Quillon Vale";
// The one spelling of the version: CMake reads this line for the project and its
// package, and every other form (the numbers, "Version ..." texts) is made from it.
inline constexpr const char* kVersionText = "0.12.0.3";

namespace detail {
// The four dot-separated numbers of kVersionText.
constexpr std::array<int, 4> versionNumbers(const char* text) {
  std::array<int, 4> parts{};
  int part = 0;
  for (const char* c = text; *c && part < 4; ++c) {
    if (*c == '.') ++part;
    else parts[static_cast<size_t>(part)] = parts[static_cast<size_t>(part)] * 10 + (*c - '0');
  }
  return parts;
}
}  // namespace detail
inline constexpr std::array<int, 4> kVersion = detail::versionNumbers(kVersionText);
}  // namespace qv
