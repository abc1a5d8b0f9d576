#pragma once

// Match floor: the rules of a match over the world, headless. May use entities and the layers
// below, and input; no window, no drawing.

#include <string>
#include <vector>

#include "match/matchrules.h"
#include "match/seat.h"

class World;

// A level as a match keeps it: its name and the text of its file, so that every round builds
// the same world whether or not the file is still there.
struct LevelSource {
    std::string name; // as the player chose it; empty for a new 3x3x3 cube of cubie edge 28
    std::string text; // the level file's text
};

struct MatchSettings {
    int roundsToWin = 1;   // the match ends when a tank has won this many rounds
    int computerTanks = 0; // on the faces the players leave free
    Difficulty difficulty = Difficulty::NORMAL; // of every computer tank
};

// A match: the world of the current round, the seats that play in it, who has won how many
// rounds, and the countdown that follows a decided round. Owns the world; the seats belong to
// whoever made them (the game screen's players, a test's seats) and must stay until the match
// goes. Deterministic: everything it does comes from its seed, the seats' inputs and the tick
// lengths. Needs no window: tests, benchmarks and the replays' verifier run it headless.
//
// A round is decided when at most one of two or more seats is left: the last one alive has won
// it (no one, when the last tanks went together). The countdown then runs while the world plays
// on; when it runs out, the match is over if a seat has won `roundsToWin` rounds, and otherwise
// the next round starts on a new world built from the same level, every seat back on its face
// with full health. Between rounds the next one also starts as soon as every seat a person
// drives (not a computer) has pressed button 0 since the decision; the last countdown always
// runs out. One round is the whole match by default.
class Match {
public:
    static constexpr float COUNTDOWN = 30.0f; // seconds from a decided round to what follows

    enum class Step {
        PLAYING,   // nothing for the caller to do
        NEW_ROUND, // a new world was built: the seats have new tanks
        OVER,      // the countdown of the deciding round ran out
    };

    // Seeds the shared random source with `seed`, then builds round 1's world from the level;
    // `world` stays null, after a message, when the level's text cannot be read. Installs the
    // game's tanks, item boxes and collision response into the worlds it builds. Whatever drew
    // from the random source before, the match then plays the same from the same seed and
    // inputs: a record keeps the seed for that.
    Match(LevelSource level, MatchSettings settings, unsigned int seed);
    // The same with the seed the random source was last given: the match starts over from it.
    Match(LevelSource level, MatchSettings settings);
    ~Match();
    Match(const Match&) = delete;
    Match& operator=(const Match&) = delete;

    // A seat joins the match, after those already in it; it plays from the next seatTanks().
    void addSeat(Seat* seat);
    // Gives every seat without a tank in this round's world a tank on the first free face (a
    // seat finds none when six tanks stand already).
    void seatTanks();

    // One tick of `dt` seconds: every listening seat's input source read, every seat's controls,
    // the decision and the countdown, the world.
    Step tick(float dt);

    // Whether the current round has been decided (its countdown runs).
    bool decided() const { return roundDecided; }
    // Whether the countdown that runs leads to another round (not to the end of the match).
    bool betweenRounds() const;
    // The seat that has won the match, or -1 (before the end, or when no seat won a round).
    int champion() const;

    LevelSource level;
    MatchSettings settings;
    unsigned int seed;           // the shared random source's at the start of the match
    World* world = nullptr;      // this round's; owned
    std::vector<Seat*> seats;    // in seat order; not owned
    std::vector<int> wins;       // rounds won, by seat
    int round = 1;               // from 1
    float countdown = COUNTDOWN; // seconds left once the round is decided
    // Seconds of the tick being played, set before the sources are read: what a source that
    // plans (a computer player) counts its time in.
    float tickLength = 0;
    // What each seat's controls read at the last tick, by seat; at rest for a seat that was not
    // read. A seat is read while it is listening, and between rounds also when a person drives
    // it and its tank is gone (for button 0).
    std::vector<ControlState> controls;
    // Between rounds, by seat: a person driving it has pressed button 0 since the decision.
    std::vector<bool> ready;

private:
    World* buildWorld() const;
    void readSources();
    void decide(float dt);
    void takeReadyPresses();
    void startNextRound();

    bool roundDecided = false;
    std::vector<ControlState> previousControls; // the tick before's, for button 0's presses
};
