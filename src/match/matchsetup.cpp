#include "match/matchsetup.h"

#include "match/match.h"

namespace {

const char* const WORDS[3] = {"easy", "normal", "hard"};
const char* const NAMES[3] = {"Easy", "Normal", "Hard"};

int indexOf(Difficulty difficulty) {
    switch (difficulty) {
    case Difficulty::EASY:
        return 0;
    case Difficulty::HARD:
        return 2;
    case Difficulty::NORMAL:
        break;
    }
    return 1;
}

// A whole number of one or two digits in [low, high]; nothing else.
bool smallNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 2)
        return false;
    int parsed = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        parsed = parsed * 10 + (c - '0');
    }
    if (parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

} // namespace

const char* difficultyWord(Difficulty difficulty) {
    return WORDS[indexOf(difficulty)];
}

const char* difficultyName(Difficulty difficulty) {
    return NAMES[indexOf(difficulty)];
}

bool parseDifficulty(const std::string& word, Difficulty& difficulty) {
    std::string lower = word;
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const Difficulty all[3] = {Difficulty::EASY, Difficulty::NORMAL, Difficulty::HARD};
    for (int i = 0; i < 3; ++i)
        if (lower == WORDS[i]) {
            difficulty = all[i];
            return true;
        }
    return false;
}

std::vector<std::pair<std::string, std::string>> setupEntries(const MatchSettings& settings) {
    return {{"computer-tanks", std::to_string(settings.computerTanks)},
            {"difficulty", difficultyWord(settings.difficulty)},
            {"rounds-to-win", std::to_string(settings.roundsToWin)}};
}

bool applySetupEntry(const std::string& key, const std::string& value, MatchSettings& settings) {
    if (key == "computer-tanks")
        return smallNumber(value, 0, MAX_PLAYERS, settings.computerTanks);
    if (key == "difficulty")
        return parseDifficulty(value, settings.difficulty);
    if (key == "rounds-to-win")
        return smallNumber(value, 1, MAX_ROUNDS_TO_WIN, settings.roundsToWin);
    return false;
}
