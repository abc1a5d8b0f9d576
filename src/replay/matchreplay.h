#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <memory>
#include <string>
#include <vector>

#include "input/inputsource.h"
#include "match/match.h"
#include "replay/matchrecord.h"
#include "replay/replayinput.h"

// A record played back into a match, one tick at a time: before each tick the edits made
// before it and the controls its seats read, then the tick with the recorded dt, then the
// state hash compared where the record holds one. The pads and the keyboard of the record
// become ReplayInputs; computer players are made again (computerseats.h).
//
// The caller owns the match and its seats: it makes the match (newMatch), one seat per
// recorded seat driven by source(i), adds them in order, seats the tanks, and calls begin()
// before the first step(). The replay owns the seats' input sources; it must outlive the
// match's ticks.
class MatchReplay {
public:
    // The sources of the record's seats. Null, with `error` saying which seat, when one cannot
    // be replayed (a computer seat while no computer player can be made).
    static std::unique_ptr<MatchReplay> open(std::shared_ptr<const MatchRecord> record,
                                             std::string& error);

    // The record's match: its level, settings and seed. Null, with `error`, when the level's
    // text does not build a world.
    std::unique_ptr<Match> newMatch(std::string& error) const;
    // What drives seat `seat`: a recorded pad or the keyboard; null for a computer seat until
    // begin() and for a seat that had no source.
    InputSource* source(int seat) const;
    // Makes the computer players and checks the state before the first tick. False, with
    // `error`, when the match's seats are not the record's.
    bool begin(Match& match, std::string& error);

    // One recorded tick; needs !atEnd(). Returns what the match's tick returned.
    Match::Step step(Match& match);
    bool atEnd() const { return played >= record->tickCount(); }
    int ticksPlayed() const { return played; }
    // The dt of the tick step() played last, seconds.
    float lastDt() const { return dt; }

    // How the replay compares with the record so far.
    int hashesChecked() const { return checked; }
    bool differs() const { return !difference.empty(); }
    // The tick after which the state first differed (or an edit could not be made), or -1;
    // and the last tick before it after which it agreed (-1 when none did).
    int firstDifferentTick() const { return differentTick; }
    int lastAgreeingTick() const { return agreeingTick; }
    // What differed first, in words; empty while nothing has.
    const std::string& differenceText() const { return difference; }

    const MatchRecord& recorded() const { return *record; }

private:
    explicit MatchReplay(std::shared_ptr<const MatchRecord> record);
    void compareHash(const Match& match);
    void differ(int tick, const std::string& what);

    std::shared_ptr<const MatchRecord> record;
    std::vector<std::unique_ptr<InputSource>> sources; // per seat; null for none
    std::vector<ReplayInput*> replayed;                // per seat: the recorded ones, else null
    int played = 0;
    float dt = 0;
    size_t nextChange = 0, nextEdit = 0, nextHash = 0;
    int checked = 0;
    int differentTick = -1;
    int agreeingTick = -1;
    std::string difference;
};

// What checking a record headless found.
struct Verification {
    int ticks = 0;         // ticks re-simulated
    int hashesChecked = 0; // of the record's hashes
    bool differs = false;  // the state differed from the record's somewhere
    int firstDifferentTick = -1;
    int lastAgreeingTick = -1;
    std::string difference; // in words
};

// Re-simulates the whole record without a window, as fast as it can, and compares every
// recorded hash; stops at the first difference. False, with `error`, when the record cannot be
// replayed at all (its level, a seat).
bool verifyRecord(std::shared_ptr<const MatchRecord> record, Verification& result,
                  std::string& error);
