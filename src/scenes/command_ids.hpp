#pragma once

// Identifiers of the buttons and controls, grouped by the screen that shows them.
// The central command handler (app/commands.cpp) answers the navigation ones; the
// top bar, the tool panels and the units screens answer their own in their scenes'
// handleCommand, and their panel identifiers live in those scenes' classes.
namespace qv {

namespace mainmenu {
inline constexpr int kNewGame = 101, kSettings = 102, kQuit = 103, kEarlyAccess = 105, kFeedback = 106,
                     kLoadGame = 107;
}

// The bar across the top of the world view; its scene answers these itself.
namespace tophud {
inline constexpr int kMenu = 201, kHelp = 202, kUnits = 203, kErase = 204, kTerrain = 205, kWorld = 206;
inline constexpr int kPause = 210, kSpeed1 = 211, kSpeed2 = 212, kSpeed3 = 213;
}  // namespace tophud

// The in-game menu and the questions and notices reached from it.
namespace ingamemenu {
inline constexpr int kMainMenu = 301, kSettings = 302, kBack = 303, kQuit = 304, kFeedback = 305, kSave = 306;
}
namespace gamesaved {
inline constexpr int kOk = 2601;
}
namespace asksave {
inline constexpr int kCancel = 2701, kDontSave = 2702, kSave = 2703;
}
namespace saveandquit {
inline constexpr int kBack = 1401, kDontSave = 1402, kSave = 1403;
}
namespace quitquestion {
inline constexpr int kBack = 3001, kQuit = 3002;
}
namespace help {
inline constexpr int kBack = 1501;
}
namespace feedback {
inline constexpr int kBack = 2101, kOk = 2102;
}
namespace earlyaccess {
inline constexpr int kOk = 1801, kJoinMailingList = 1802;
}
namespace errormessage {
inline constexpr int kBack = 3401, kContinueAnyway = 3402;
}

// The volume sliders are kMusicVolumeSliderId (1302) and kSoundVolumeSliderId (1303)
// of ui/hud.hpp: they act through their own value, not through a command.
namespace settingsscreen {
inline constexpr int kBack = 1301, kWindowMode = 1307, kVerticalSync = 1308, kFrameLimit = 1309;
}

namespace saveslots {
inline constexpr int kBack = 2801, kFirstSlot = 2811;  // 2811..2815: slots 1 to 5
}
namespace overwriteslot {
inline constexpr int kCancel = 2901, kOverwrite = 2902;
}

}  // namespace qv
