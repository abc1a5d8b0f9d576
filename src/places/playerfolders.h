#pragma once

// Places floor: where the game's files are on this machine: its data folder, the player's own
// folders, the settings file. May use the standard library and inih; no window, no game code.

#include <functional>
#include <string>

// Where the player's own files go, never into the game's data folder. Each is empty when the
// environment names no place for it (no HOME and no XDG folder); nothing is created here:
// whoever writes creates the folder, and says so when it cannot.
struct PlayerFolders {
    std::string levels;       // $XDG_DATA_HOME/quorl/levels, ~/.local/share/quorl/levels
    std::string screenshots;  // $XDG_PICTURES_DIR, else $XDG_DATA_HOME/quorl/screenshots
    std::string settingsFile; // $XDG_CONFIG_HOME/quorl/settings, ~/.config/quorl/settings
};

// The folders from an environment (`lookup` answers a variable's value, or null when it is
// not set). As the XDG base directory rules say, a relative XDG path is ignored and the
// default under HOME taken instead.
PlayerFolders playerFolders(const std::function<const char*(const char*)>& lookup);

// The same from the process's environment.
PlayerFolders playerFolders();
