#pragma once

namespace qv {
inline constexpr const char* kGameName = "Quillon Vale";
inline constexpr int kVersion[4] = {0, 12, 0, 3};
inline constexpr const char* kVersionText = "0.12.0.3";
}  // namespace qv
