#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <functional>
#include <memory>

#include "input/inputsource.h"
#include "match/matchrules.h"

class Match;

// Computer players are not recorded: a replay makes each one again, where the record names
// one, from the same world and random source, and it plays the same again. The application
// installs how to make one; a record with a computer seat is refused while none is installed.
//
// The maker gets the replay's match with every seat already seated (its tank in the world) and
// the seat's index; it returns the player's input source, kind() "computer", which the replay
// owns for as long as the match runs.
using ComputerPlayerMaker =
    std::function<std::unique_ptr<InputSource>(Match& match, int seat, Difficulty difficulty)>;

// Replaces the maker (an empty function for none).
void installComputerPlayerMaker(ComputerPlayerMaker maker);
const ComputerPlayerMaker& computerPlayerMaker();
