#include "replay/matchrecorder.h"

#include <cstdio>

#include "match/match.h"
#include "replay/statehash.h"

RecordHeader recordHeaderOf(const Match& match, const std::string& gameVersion) {
    RecordHeader header;
    header.gameVersion = gameVersion;
    header.level = match.level;
    header.seed = match.seed;
    header.settings = match.settings;
    for (const Seat* seat : match.seats) {
        RecordedSeat recorded;
        if (seat->gamepad) {
            recorded.kind = seatKindOf(seat->gamepad->kind());
            recorded.name = seat->gamepad->name();
        }
        recorded.difficulty = match.settings.difficulty;
        header.seats.push_back(recorded);
    }
    return header;
}

MatchRecorder::MatchRecorder(const Match& match, const std::string& path,
                             const std::string& gameVersion)
    : match(match), filePath(path) {
    RecordHeader header = recordHeaderOf(match, gameVersion);
    if (header.seats.size() > static_cast<size_t>(recordcodec::MAX_SEATS)) {
        fail("cannot record a match of " + std::to_string(header.seats.size()) +
             " players: a record holds at most " + std::to_string(recordcodec::MAX_SEATS));
        return;
    }
    std::string why;
    if (!writer.open(path, header, why))
        fail(why);
}

MatchRecorder::~MatchRecorder() {
    finish();
}

void MatchRecorder::fail(const std::string& message) {
    if (!error.empty())
        return;
    error = message;
    printf("Recording stopped: %s\n", message.c_str());
    fflush(stdout);
}

void MatchRecorder::beforeTick() {
    if (started || failed())
        return;
    started = true;
    writer.hash(hashMatchState(match));
    lastHashTick = 0;
}

void MatchRecorder::afterTick(float dt) {
    if (failed() || finished)
        return;
    started = true; // without beforeTick() the record has no start hash: the state is gone
    writer.tick(dt, match.controls);
    ++tickCount;
    if (tickCount % HASH_INTERVAL == 0) {
        writer.hash(hashMatchState(match));
        lastHashTick = tickCount;
    }
    ++ticksSinceFlush;
    secondsSinceFlush += dt;
    if (ticksSinceFlush >= FLUSH_INTERVAL || secondsSinceFlush >= FLUSH_SECONDS) {
        ticksSinceFlush = 0;
        secondsSinceFlush = 0;
        std::string why;
        if (!writer.flush(why))
            fail(why);
    }
}

void MatchRecorder::noteEdit(const MatchEdit& edit) {
    if (failed() || finished)
        return;
    beforeTick();
    writer.edit(edit);
}

void MatchRecorder::finish() {
    if (finished || failed())
        return;
    finished = true;
    beforeTick();
    if (lastHashTick != tickCount)
        writer.hash(hashMatchState(match));
    std::string why;
    if (!writer.finish(why))
        fail(why);
}
