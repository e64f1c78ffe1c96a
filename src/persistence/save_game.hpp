#pragma once
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace qv {

class World;
class Unit3DTemplate;

// What loadGame reports; the error dialog turns a non-zero code into its message.
enum LoadResult : int {
  kLoadOk = 0,
  kLoadOldVersion = 1,          // made by an older game: loaded, glitches possible
  kLoadNewerVersion = 2,        // made by a newer game: loaded, glitches possible
  kLoadDefaultWorldMissing = 3, // the shipped world is gone: a new game cannot start
  kLoadCorrupt = 4,             // a line could not be read: what came before it stays
  kLoadSaveMissing = 5,         // the slot's file is not there
};

// Loader modes: a save slot (everything), the default world for a new game
// (everything but the camera and the clock), and the default world's template
// settings only, read into the templates the loaded slot left unassigned.
enum LoadMode : int { kLoadSlot = 0, kLoadNewGame = 1, kLoadTemplatesOnly = 2 };

inline constexpr int kSaveSlotCount = 5;

// Why the slot screen is open: a press starts a new game there, or loads it.
enum SlotsPurpose : int { kSlotsForNewGame = 0, kSlotsForLoading = 1 };

// The save slots the slot screens show. A slot is used once its file was
// found at start-up or written during the run; the hook lets the slot screen
// relabel its button the moment a save lands.
struct SaveSlots {
  bool empty[kSaveSlotCount] = {true, true, true, true, true};
  std::string date[kSaveSlotCount];  // the save date of a used slot (line 2 of its file)
  SlotsPurpose mode = kSlotsForNewGame;
  int selected = 0;                  // the slot last pressed; saving writes to it
  std::function<void(int slot, const std::string& date)> onSlotSaved;
};
SaveSlots& saveSlots();

// Slot s (from 0): "<user data>/Saves/Save <s + 1>.sav".
std::string saveSlotPath(int slot);
// The slot is used from now on; its label shows the date. Out-of-range slots are ignored.
void markSlotSaved(int slot, const std::string& date);
// "Empty 3" or "Save 3 2024.5.7".
std::string saveSlotLabel(int slot);
// Reads the date line of every slot file that exists and marks those slots used.
void scanSaveSlots();

// "2024.5.7": year, month and day without leading zeros.
std::string saveDateText(int year, int month, int day);
std::string todaysSaveDate();

// The whole save file for the world, dated as given.
std::string saveGameText(World& world, const std::string& date);
// Writes the world to a file (creating its folder); false when it could not be written.
bool writeSaveFile(World& world, const std::string& path, const std::string& date);
// Writes the world to the slot's file, marks the slot used, clears the
// unsaved-changes flag. 0 when saved, -1 when the file could not be written.
int saveGame(World& world, int slot);

// Reads a save file into the world (see LoadMode); returns a LoadResult.
// Slot and new-game loads reset the world first, but only once the file is
// known to be a save; a world without templates gets the default set.
int loadGame(World& world, const std::string& path, int mode);
int loadGameFromStream(World& world, std::istream& in, int mode);
// What loadDefaultWorld reads of "Data/Default World.sav" beside the program:
// all of it for a new game (kLoadNewGame), or only its template settings (kLoadTemplatesOnly).
enum class DefaultWorldPart { kWholeWorld, kTemplatesOnly };
int loadDefaultWorld(World& world, DefaultWorldPart part = DefaultWorldPart::kWholeWorld);
std::string defaultWorldPath();

// One template record, end marker included, every line ending in "\n".
// References are positions in the world's assigned list.
std::string templateToText(const Unit3DTemplate& t, const World& world);

}  // namespace qv
