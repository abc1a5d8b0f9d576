// Feeds arbitrary bytes to the match record reader. Whatever record it accepts must hold
// together, write out and read back the same, and replay for a while without a window (its
// level, seats, edits, dts and controls driving a real match) without a fault.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "replay/matchreplay.h"
#include "replay/recordfile.h"

namespace {

const std::string VERSION = "fuzz";
constexpr int REPLAYED_TICKS = 120; // enough for shells, blasts and a layer turn

void check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "record_fuzzer: %s\n", what);
        abort();
    }
}

void checkShape(const MatchRecord& r) {
    int seats = static_cast<int>(r.header.seats.size());
    int last = 0;
    for (const SeatChange& c : r.changes) {
        check(c.tick >= last && c.tick < r.tickCount(), "a change out of order or beyond the end");
        check(c.seat >= 0 && c.seat < seats, "a change for no seat");
        last = c.tick;
    }
    last = -1;
    for (const RecordedHash& h : r.hashes) {
        check(h.tick > last && h.tick <= r.tickCount(), "hashes out of order");
        last = h.tick;
    }
    for (const TimedEdit& e : r.edits)
        check(e.tick >= 0 && e.tick <= r.tickCount(), "an edit beyond the end");
    for (float dt : r.dts)
        check(dt >= 0 && dt <= recordcodec::MAX_DT, "a dt out of range");
}

bool sameRecord(const MatchRecord& a, const MatchRecord& b) {
    if (a.tickCount() != b.tickCount() || a.changes.size() != b.changes.size() ||
        a.edits.size() != b.edits.size() || a.hashes.size() != b.hashes.size() ||
        a.complete != b.complete || a.header.seats.size() != b.header.seats.size() ||
        a.header.level.text != b.header.level.text || a.header.seed != b.header.seed)
        return false;
    if (!a.dts.empty() && std::memcmp(a.dts.data(), b.dts.data(), a.dts.size() * 4) != 0)
        return false;
    for (size_t i = 0; i < a.changes.size(); ++i)
        if (a.changes[i].tick != b.changes[i].tick || a.changes[i].seat != b.changes[i].seat ||
            a.changes[i].controls != b.changes[i].controls)
            return false;
    for (size_t i = 0; i < a.hashes.size(); ++i)
        if (a.hashes[i].tick != b.hashes[i].tick || a.hashes[i].hash != b.hashes[i].hash)
            return false;
    return true;
}

void replayAWhile(std::shared_ptr<const MatchRecord> record) {
    std::string error;
    std::unique_ptr<MatchReplay> replay = MatchReplay::open(record, error);
    if (!replay)
        return; // a computer seat: no computer player here
    std::unique_ptr<Match> match = replay->newMatch(error);
    if (!match)
        return;
    std::vector<std::unique_ptr<Seat>> seats;
    for (size_t i = 0; i < record->header.seats.size(); ++i) {
        seats.push_back(std::make_unique<Seat>(replay->source(static_cast<int>(i))));
        match->addSeat(seats.back().get());
    }
    match->seatTanks();
    check(replay->begin(*match, error), "the replay does not begin");
    for (int t = 0; t < REPLAYED_TICKS && !replay->atEnd(); ++t)
        replay->step(*match);
    match.reset();
}

} // namespace

// The game's models and icons are read from the working directory, as the game does.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (chdir(QUORL_DATA_DIR) != 0) {
        fprintf(stderr, "record_fuzzer: cannot enter %s\n", QUORL_DATA_DIR);
        abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto record = std::make_shared<MatchRecord>();
    std::string error;
    if (!readRecordBytes(data, size, VERSION, *record, error)) {
        check(!error.empty(), "a refusal without a reason");
        return 0;
    }
    checkShape(*record);
    std::string again = recordFileBytes(*record);
    MatchRecord back;
    check(readRecordBytes(reinterpret_cast<const uint8_t*>(again.data()), again.size(), VERSION,
                          back, error),
          "a record written out does not read back");
    check(sameRecord(*record, back), "a record written out reads back otherwise");
    replayAWhile(record);
    return 0;
}
