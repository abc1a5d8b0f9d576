#pragma once

// Places floor: where the game's files are on this machine: its data folder, the player's own
// folders, the settings file. May use the standard library and inih; no window, no game code.

#include <string>
#include <vector>

// The marker that makes a folder the game's data: its first line is the version of the game
// the data belongs to.
constexpr const char* DATA_MARKER = "quorl-data-version";

// A folder the data may be in, and what put it on the list.
struct DataPlace {
    std::string source; // "--data", "QUORL_DATA", "beside the program", ...
    std::string folder; // as given; may be relative to the working directory
};

// What the search looks at, gathered by main; empty strings are left out of the search.
struct DataSearchInputs {
    std::string option;           // --data DIR
    std::string environment;      // $QUORL_DATA
    std::string executableFolder; // the folder the running program is in
    std::string fromExecutable;   // the installed data relative to the program, "../share/quorl"
    std::string installFolder;    // the data folder the build was configured to install to
    std::string workingFolder;    // where the program was started
};

// The places, in the order they are tried: --data, QUORL_DATA, the folder relative to the
// program where the install rules put the data (so an installed tree can be moved), the
// configured install folder, the working folder, and the checkout's data/ beside the build
// folder the program runs from.
std::vector<DataPlace> dataPlaces(const DataSearchInputs& inputs);

// Why `folder` is not the data of `version`; empty when it is.
std::string dataFolderProblem(const std::string& folder, const std::string& version);

// The index of the first place that holds the data of `version`, or -1. `passedOver` gets a
// line for each place a player named (--data, QUORL_DATA) that was passed over, and
// `looked` one line per place looked at with why it was not taken, for the message when
// nothing is found.
int findDataPlace(const std::vector<DataPlace>& places, const std::string& version,
                  std::vector<std::string>& passedOver, std::vector<std::string>& looked);
