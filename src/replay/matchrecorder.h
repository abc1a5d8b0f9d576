#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <string>

#include "replay/recordfile.h"

class Match;

// Keeps a running match as a record file: the header when it starts, then after every tick
// its dt and the controls the match read that changed, the edits made before a tick, and the
// state hash before the first tick, every HASH_INTERVAL ticks and at the end. Written as it
// goes: a block reaches the file every FLUSH_INTERVAL ticks or second of match time, so a game
// that stops loses at most the last second; finished, the file is compressed (recordfile.h). Reads
// the match, never changes it. Computer players' controls are not kept: a replay makes them again.
//
// Owned by whoever ticks the match (the game screen); the match must outlive it. Costs the
// game's thread a few microseconds a tick, tens in a tick that hashes or flushes, and the
// compression of the whole body when it finishes (bench/replay_bench.cpp).
class MatchRecorder {
public:
    static constexpr int HASH_INTERVAL = 60;  // ticks
    static constexpr int FLUSH_INTERVAL = 60; // ticks
    static constexpr float FLUSH_SECONDS = 1.0f;

    // Starts the record of `match`, whose seats are all there, in the file `path`; the game's
    // version goes into it. After a failure (see failed()) it records nothing.
    MatchRecorder(const Match& match, const std::string& path, const std::string& gameVersion);
    ~MatchRecorder(); // finishes the record if finish() has not

    // Around each tick of the match: before it (the first time, the start's hash) and after it.
    void beforeTick();
    void afterTick(float dt);
    // An edit the match has just made (it belongs before the next tick).
    void noteEdit(const MatchEdit& edit);
    // The last hash, the end mark, the file closed. Later calls do nothing.
    void finish();

    // Whether the record could not be made or written; `error()` says why (once printed).
    bool failed() const { return !error.empty(); }
    const std::string& failure() const { return error; }
    const std::string& path() const { return filePath; }
    int ticks() const { return tickCount; }
    size_t bytesWritten() const { return writer.bytesWritten(); }

private:
    void fail(const std::string& message);

    const Match& match;
    std::string filePath;
    RecordWriter writer;
    bool started = false; // the start's hash is written
    bool finished = false;
    int tickCount = 0;
    int lastHashTick = -1;
    int ticksSinceFlush = 0;
    float secondsSinceFlush = 0;
    std::string error;
};

// The record's header of a match as it stands: its level, seed, settings, and each seat's kind
// and name (a computer seat with the settings' difficulty).
RecordHeader recordHeaderOf(const Match& match, const std::string& gameVersion);
