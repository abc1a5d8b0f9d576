#pragma once

// Match floor: the rules of a match over the world, headless. May use entities and the layers
// below, and input; no window, no drawing.

#include <string>
#include <utility>
#include <vector>

#include "match/matchrules.h"

struct MatchSettings;

// The choices a player makes for the next match (computer tanks, their difficulty, the rounds
// to win), as words: what the command line takes and what a settings file keeps, so that the
// last choice can be remembered from one run to the next.

constexpr int MAX_ROUNDS_TO_WIN = 9;

// "easy", "normal", "hard": the word the command line and a settings file use.
const char* difficultyWord(Difficulty difficulty);
// "Easy", "Normal", "Hard": the name a player reads.
const char* difficultyName(Difficulty difficulty);
// The difficulty a word names (as difficultyWord writes it, any case). False, leaving
// `difficulty` alone, for anything else.
bool parseDifficulty(const std::string& word, Difficulty& difficulty);

// The setup as settings entries, "key" and "value": computer-tanks, difficulty,
// rounds-to-win.
std::vector<std::pair<std::string, std::string>> setupEntries(const MatchSettings& settings);
// Takes one settings entry into `settings`. False, changing nothing, for a key that is not the
// setup's or a value out of its range (computer tanks 0 to MAX_PLAYERS, rounds 1 to
// MAX_ROUNDS_TO_WIN), so a damaged settings file cannot set up a match that cannot be played.
bool applySetupEntry(const std::string& key, const std::string& value, MatchSettings& settings);
