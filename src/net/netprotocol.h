#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input/controlstate.h"
#include "replay/matchedit.h"
#include "replay/matchrecord.h"

// What machines say to each other. Every message is one ENet packet on the one reliable,
// ordered channel: a type byte, then its fields. Numbers are little-endian or varints (base
// 128, at most 10 bytes); texts a varint length and the bytes.
//
//   HELLO   joiner -> host, first: protocol version (2 bytes), build identity, machine name,
//           its local seats (count, then per seat its kind byte and name)
//   WELCOME host -> joiner: the host's protocol version and build identity
//   REFUSE  either way, last: why, in words
//   START   host -> all: the machines' count, their names, the receiver's number, the match (level,
//   seed, settings,
//           seats as a record's header has them), each seat's machine
//   INPUTS  machine -> host, and host -> each joiner, every other frame and unreliable: what the
//           sender has of each machine's controls that the receiver has not confirmed, and
//           what the sender has of the receiver's (inputstream.h)
//   HASH    either way: the state hash after a tick, a multiple of HASH_INTERVAL
//   DROP    host -> all: a machine is gone; its seats read at rest after the tick given
//   DESYNC  either way: the state differed after the tick given; the match stops
//   END     host -> all: the host ends the match, in words
//   EDIT    machine -> host, and host -> the others: a change to the match (a developer key, a
//           script's set-up line) made by a machine before one of its ticks still to come
namespace net {

constexpr uint16_t PROTOCOL_VERSION = 2; // 2: controls coded against the tick before
constexpr uint16_t DEFAULT_PORT = 27183;
constexpr int MAX_MACHINES = 6;             // one tank each at least
constexpr int HASH_INTERVAL = 30;           // ticks between state hashes
constexpr size_t MAX_TEXT = 256;            // bytes of a name, identity or reason
constexpr size_t MAX_LEVEL_TEXT = 4u << 20; // bytes of the level a START carries
// The largest packet the host takes from a joiner, and a joiner from the host (a START with
// a level); ENet drops anything longer before it is put together.
constexpr size_t MAX_TO_HOST = 16 * 1024;
constexpr size_t MAX_FROM_HOST = MAX_LEVEL_TEXT + 64 * 1024;

enum class MessageType : uint8_t {
    HELLO = 1,
    WELCOME = 2,
    REFUSE = 3,
    START = 4,
    INPUTS = 5,
    HASH = 6,
    DROP = 7,
    DESYNC = 8,
    END = 9,
    EDIT = 10,
};

struct Hello {
    uint16_t protocol = PROTOCOL_VERSION;
    std::string build;               // the game's version, as the program says it
    std::string machineName;         // what the others' "Waiting for NAME..." says
    std::vector<RecordedSeat> seats; // PAD or KEYBOARD, 1..MAX_PLAYERS of them
};

struct Welcome {
    uint16_t protocol = PROTOCOL_VERSION;
    std::string build;
};

struct Start {
    std::vector<std::string> machineNames; // by machine number; the host's first
    int self = 0;                          // the receiver's machine number
    RecordHeader header;                   // all but gameVersion
    std::vector<uint8_t> seatMachines;     // per seat of the header: its machine, or NO_MACHINE
};
constexpr uint8_t NO_MACHINE = 0xff; // a computer seat: every machine plays it

// A machine's controls for the ticks firstTick, firstTick + 1, ...: per tick one ControlState
// per seat of that machine, in seat order, and the number of edits it made before that tick
// (which travel as EDIT messages: the tick waits for them).
struct Inputs {
    int machine = 0;
    int firstTick = 0;
    std::vector<std::vector<ControlState>> ticks;
    std::vector<int> edits; // per tick
    // The seats' controls at firstTick - 1, which a message codes the first tick against; empty
    // where there is none to code against (the first tick is then coded against ControlState()).
    std::vector<ControlState> before;
};
constexpr int MAX_TICKS_PER_INPUTS = 32; // of a stream in a message sent every other frame
// Frames between INPUTS messages: each carries every tick not yet confirmed, so sending every
// other frame halves the messages' headers (most of the bytes when a tick's controls cost a
// few) and a tick waits at most a frame more, which an input delay of three ticks covers.
constexpr int INPUTS_EVERY = 2;
constexpr int MAX_TICKS_PER_MESSAGE = 255; // of a stream in any message (a history's)
constexpr int MAX_EDITS_PER_TICK = 8;

struct TickNote {
    int tick = 0;
    uint64_t hash = 0; // HASH only
    int machine = 0;   // DROP only
};

// An edit a machine makes before its tick `tick`: every machine makes it then. From the host,
// it may instead say that a dropped machine comes back at that tick (`readmit`): riding with
// the host's controls, every machine learns it before it plays the tick.
struct EditNote {
    int machine = 0;
    int tick = 0;
    MatchEdit edit;
    int readmit = -1; // the machine that comes back, or -1 for a match edit
};

// Encoders append the whole message, type byte first, to `out`.
void encodeHello(const Hello& hello, std::string& out);
void encodeWelcome(const Welcome& welcome, std::string& out);
void encodeText(MessageType type, const std::string& text, std::string& out); // REFUSE, END
void encodeStart(const Start& start, std::string& out);
void encodeHash(int tick, uint64_t hash, std::string& out);
void encodeDrop(int machine, int lastTick, std::string& out);
void encodeDesync(int tick, std::string& out);
void encodeEdit(const EditNote& note, std::string& out);

// The type of a packet: false for an empty one or a type this protocol does not have.
bool messageType(const uint8_t* data, size_t size, MessageType& type);

// Decoders read the whole packet, type byte included; false, with `error` saying what is
// wrong, for anything short, long, out of its limits or followed by stray bytes.
bool decodeHello(const uint8_t* data, size_t size, Hello& hello, std::string& error);
bool decodeWelcome(const uint8_t* data, size_t size, Welcome& welcome, std::string& error);
bool decodeText(const uint8_t* data, size_t size, std::string& text, std::string& error);
bool decodeStart(const uint8_t* data, size_t size, Start& start, std::string& error);
bool decodeHash(const uint8_t* data, size_t size, TickNote& note, std::string& error);
bool decodeDrop(const uint8_t* data, size_t size, TickNote& note, std::string& error);
bool decodeDesync(const uint8_t* data, size_t size, TickNote& note, std::string& error);
bool decodeEdit(const uint8_t* data, size_t size, EditNote& note, std::string& error);

} // namespace net
