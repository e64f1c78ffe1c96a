#pragma once

namespace qv {
// Addresses opened in the player's browser.
inline constexpr const char* kFeedbackPage = "https://quillonvale.example.org/feedback";
inline constexpr const char* kMailingListPage = "https://quillonvale.example.org/mailing-list";
}  // namespace qv
