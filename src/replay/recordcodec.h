#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "replay/matchrecord.h"

// The body of a record, before compression: the header, then one entry after another, each
// starting with a tag byte:
//
//   0x00..0x7f  tag + 1 ticks (1..128) as long as the tick before, with no control changed
//   0x80..0x8b  one tick; bit 0: control changes follow; bits 1..3: its dt (below)
//   0xa0..0xbf  one tick; bit 0: control changes follow; bits 1..4: its dt is a new one of
//               whole milliseconds, 8 fewer than bits 1..4 say more than the latest dt's
//   0xc0        the state hash after the ticks so far, its low 32 bits: 4 bytes, little-endian
//   0xc1        an edit made before the next tick: kind byte, seat and value as varints
//   0xc2        the end: the number of ticks as a varint; nothing may follow
//
// Both ends keep the last four different dts, the latest first (at the start all 1/60 s). A
// tick's dt code 0..3 is the dt at that place; 4 a new one of whole milliseconds (k / 1000.0
// as a float), as the zigzag varint of k's difference from the latest dt's nearest k; 5 any
// other new one, as the zigzag varint of its float's bits' difference from the latest's. The
// dt used moves to the front. A fixed step writes no dt at all, and the game's clock counts
// whole milliseconds, mostly 16 and 17 of them.
//
// Control changes are a byte of the seats that changed, then per seat a byte of its fields
// that changed (bit 0..3 the sticks' x, y, x, y, 4 and 5 the triggers, 6 the buttons, 7 the
// connection, which only flips) and each changed value, coded after the seat's value before
// (replay/controlcoding.h). Buttons are their bits as a varint. Varints are little-endian
// base 128, at most 10 bytes.
namespace recordcodec {

// Limits of what a reader takes; a record beyond any of them is refused as corrupt.
constexpr size_t MAX_LEVEL_NAME = 1024;      // bytes
constexpr size_t MAX_LEVEL_TEXT = 8u << 20;  // bytes
constexpr size_t MAX_SEAT_NAME = 256;        // bytes
constexpr int MAX_SEATS = 8;                 // one bit each in a change's seat byte
constexpr int MAX_ROUNDS = 1000;             // rounds to win
constexpr float MAX_DT = 3600.0f;            // seconds: a game stopped for an hour
constexpr int MAX_TICKS = 0x7fffffff - 1;    // ticks of one record
constexpr size_t MAX_GAME_VERSION = 64;      // bytes
constexpr size_t MAX_BODY = size_t{1} << 30; // bytes, decompressed

// Builds a body: the header at construction, then the entries as they come. Appends to `out`,
// which its owner may empty between calls (after settle()).
class Encoder {
public:
    Encoder(const RecordHeader& header, std::string& out);

    // One tick of `dt` seconds in which seat i read controls[i]; computer seats' controls are
    // not kept. `controls` has one entry per seat.
    void tick(float dt, const std::vector<ControlState>& controls);
    void edit(const MatchEdit& edit);
    void hash(uint64_t hash); // keeps its low 32 bits
    void end();
    // Writes out the run of plain ticks still pending, so that `out` holds every tick so far.
    void settle();

    int ticks() const { return tickCount; }

private:
    void putControls(const ControlState& before, const ControlState& after);

    std::string& out;
    std::vector<bool> kept;         // per seat: its controls are recorded
    std::vector<ControlState> last; // per seat: as last recorded
    uint32_t recentDts[4];          // bits of the last four different dts, latest first
    int pendingRun = 0;             // plain ticks not yet written
    int tickCount = 0;
};

// Reads a whole body into `record` (all but its gameVersion). False, with `error` saying what
// is wrong and where, for a body that breaks the format or its limits, or one that ends in
// its header. A body that ends between (or inside) entries without its end mark is read up to
// its last whole entry, with record.complete false.
bool decode(const uint8_t* data, size_t size, MatchRecord& record, std::string& error);

} // namespace recordcodec
