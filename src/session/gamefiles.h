#pragma once

// Session floor: scripted play: options, scripts, traces and the play session. May use screens
// and everything below them.

#include <string>

#include "places/settings.h"
#include "platform/window.h"
#include "session/options.h"

// What the build knows about where it installs its data.
struct BuildPlaces {
    std::string version;        // of the game, which its data must carry
    std::string dataFromBinary; // the installed data folder relative to the program's
    std::string installData;    // the installed data folder as configured
};

// Makes the options' file paths (script, trace, screenshots, --data) absolute from `workingFolder`,
// so that they keep their meaning after the program moves into its data folder.
void anchorPaths(Options& options, const std::string& workingFolder);

// Finds the game's data (--data, QUORL_DATA, beside the program, the install folder, the working
// folder, the checkout beside the build folder: the first holding the marker of this version) and
// makes it the working folder, where models/, textures/ and levels/ are read. Prints which folder
// it uses, and a warning for a folder the player named that was passed over. False, with
// `message` listing every place looked at, when there is none.
bool enterDataFolder(const Options& options, const BuildPlaces& build, std::string& message);

// Points the screens at the player's own folders (levels, screenshots) and reads the settings
// file into `settings`, printing one warning if it cannot all be read. `settingsPath` gets the
// file's path (empty where the environment gives none).
void usePlayerFolders(Settings& settings, std::string& settingsPath);

// The window as the settings ask for it, with what the command line gives instead.
WindowSettings windowSettings(const Options& options, const Settings& settings);
