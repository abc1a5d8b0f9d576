#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <string>
#include <vector>

// The two folders levels come from: those that ship with the game, which are never written,
// and the player's own, where the editor saves and deletes.
struct LevelFolders {
    std::string shipped = "levels"; // the data folder's levels/
    std::string own;                // empty when the machine gives the player no folder
};

// The folders the screens use; main sets them before the first screen shows.
extern LevelFolders levelFolders;

// A level as the lists show it.
struct LevelEntry {
    std::string name; // the file's name; an own level that a shipped one's name hides gets
                      // OWN_MARK after it, so both can be told apart and chosen
    std::string path; // the file
    bool own = false; // in the player's folder
};

constexpr const char* OWN_MARK = " (yours)";

// The shipped levels and the player's own together, in natural order of their names ("Level 2"
// before "Level 10"), a shipped level before an own one of the same name. A folder that cannot
// be read adds nothing.
std::vector<LevelEntry> listLevels(const LevelFolders& folders);

// "Level N" for the first N from 1 up that is taken in neither folder by anything at all (a
// level, a folder, a link, even a dangling one): a save never overwrites or hides a level.
std::string nextLevelName(const LevelFolders& folders);
