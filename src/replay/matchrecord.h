#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <cstdint>
#include <string>
#include <vector>

#include "input/controlstate.h"
#include "match/match.h"
#include "replay/matchedit.h"

// What drove a seat, as a record names it. Pads and the keyboard are replayed from their
// recorded controls; a computer player is not recorded but made again, and plays again from
// the same world and random source.
enum class SeatKind : uint8_t {
    NONE = 0,     // no input source: the tank stands still
    PAD = 1,      // a gamepad
    KEYBOARD = 2, // the keyboard standing in for one
    COMPUTER = 3, // a computer player of the record's difficulty
};
constexpr int SEAT_KIND_COUNT = 4;

// "none", "pad", "keyboard", "computer": as input sources name their kind.
const char* seatKindName(SeatKind kind);
// The kind of an input source's kind() name; NONE for a name it does not know.
SeatKind seatKindOf(const char* sourceKind);

struct RecordedSeat {
    SeatKind kind = SeatKind::NONE;
    std::string name;                           // the source's name(): the views' labels
    Difficulty difficulty = Difficulty::NORMAL; // of a computer player
};

// Everything a match starts from.
struct RecordHeader {
    std::string gameVersion; // of the game that recorded it
    LevelSource level;       // name and the file's whole text
    uint32_t seed = 0;       // the match's seed for the shared random source
    MatchSettings settings;
    std::vector<RecordedSeat> seats; // in seat order
};

// The controls a seat's source read at a tick, where they differ from what it read before.
struct SeatChange {
    int tick; // 0 for the first tick
    int seat;
    ControlState controls; // all of them, as read
};

struct TimedEdit {
    int tick; // made just before this tick runs
    MatchEdit edit;
};

// The state hash of the match after `tick` ticks (0: before the first), its low 32 bits: a
// match gone astray stays astray, so a difference missed by one hash (one time in four
// billion) is found by the next; the other half would cost a record an eighth of its bytes.
struct RecordedHash {
    int tick;
    uint32_t hash;
};

// A whole match as its inputs: the header, then per tick the seconds it lasted, the seats'
// controls that changed, the edits made before it, and the state hashes taken. The changes,
// edits and hashes are in tick order. A seat's controls start at rest and disconnected
// (ControlState()) before the first tick.
struct MatchRecord {
    RecordHeader header;
    std::vector<float> dts; // per tick, seconds, bit for bit as the match took them
    std::vector<SeatChange> changes;
    std::vector<TimedEdit> edits;
    std::vector<RecordedHash> hashes;
    // The record ends with its end mark. A record cut short (the game stopped while it was
    // being written) holds the ticks up to its last whole block and plays as far as that.
    bool complete = false;

    int tickCount() const { return static_cast<int>(dts.size()); }
};

// The format of the file, and the game version that wrote it; a reader takes only its own.
constexpr uint16_t RECORD_FORMAT_VERSION = 2;
// The first bytes of every record.
constexpr char RECORD_MAGIC[8] = {'Q', 'U', 'O', 'R', 'L', 'R', 'E', 'C'};
// The name records are given: "quorl-YYYYMMDD-HHMMSS.qrec".
constexpr const char* RECORD_EXTENSION = ".qrec";
