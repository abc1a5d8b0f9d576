#include "net/netprotocol.h"

#include <algorithm>

#include "match/matchrules.h"
#include "net/netreader.h"

namespace net {

namespace {

constexpr int MAX_ROUNDS = 99;
constexpr int READMIT_KIND = 0xff; // an EDIT's kind byte for a machine's return
constexpr uint64_t MAX_TICK = 0x7fffffff;

void putType(std::string& out, MessageType type) {
    out.push_back(static_cast<char>(type));
}

// The reader after the type byte, which must be `type`.
bool expectType(NetReader& in, MessageType type, std::string& error) {
    if (in.byte() != static_cast<uint8_t>(type) || in.failed()) {
        error = "a message of another type";
        return false;
    }
    return true;
}

bool finish(const NetReader& in, const char* what, std::string& error) {
    if (in.done())
        return true;
    error = std::string(what) +
            (in.failed() ? " is cut short or over its limits" : " is followed by stray bytes");
    return false;
}

bool humanSeat(SeatKind kind) {
    return kind == SeatKind::PAD || kind == SeatKind::KEYBOARD;
}

int readTick(NetReader& in) {
    uint64_t tick = in.varint();
    if (tick > MAX_TICK) {
        in.refuse();
        return 0;
    }
    return static_cast<int>(tick);
}

} // namespace

void encodeHello(const Hello& hello, std::string& out) {
    putType(out, MessageType::HELLO);
    putLittleEndian(out, hello.protocol, 2);
    putText(out, hello.build);
    putText(out, hello.machineName);
    out.push_back(static_cast<char>(hello.seats.size()));
    for (const RecordedSeat& seat : hello.seats) {
        out.push_back(static_cast<char>(seat.kind));
        putText(out, seat.name);
    }
}

bool decodeHello(const uint8_t* data, size_t size, Hello& hello, std::string& error) {
    NetReader in(data, size);
    if (!expectType(in, MessageType::HELLO, error))
        return false;
    hello.protocol = static_cast<uint16_t>(in.littleEndian(2));
    hello.build = in.text(MAX_TEXT);
    hello.machineName = in.text(MAX_TEXT);
    int seats = in.byte();
    if (!in.failed() && (seats < 1 || seats > MAX_PLAYERS)) {
        error = "a machine with " + std::to_string(seats) + " seats";
        return false;
    }
    hello.seats.assign(in.failed() ? 0 : static_cast<size_t>(seats), RecordedSeat());
    for (RecordedSeat& seat : hello.seats) {
        seat.kind = static_cast<SeatKind>(in.byte());
        seat.name = in.text(MAX_TEXT);
        if (!in.failed() && !humanSeat(seat.kind)) {
            error = "a machine's seat that is neither a pad nor the keyboard";
            return false;
        }
    }
    return finish(in, "a hello", error);
}

void encodeWelcome(const Welcome& welcome, std::string& out) {
    putType(out, MessageType::WELCOME);
    putLittleEndian(out, welcome.protocol, 2);
    putText(out, welcome.build);
}

bool decodeWelcome(const uint8_t* data, size_t size, Welcome& welcome, std::string& error) {
    NetReader in(data, size);
    if (!expectType(in, MessageType::WELCOME, error))
        return false;
    welcome.protocol = static_cast<uint16_t>(in.littleEndian(2));
    welcome.build = in.text(MAX_TEXT);
    return finish(in, "a welcome", error);
}

void encodeText(MessageType type, const std::string& text, std::string& out) {
    putType(out, type);
    putText(out, text.substr(0, MAX_TEXT));
}

bool decodeText(const uint8_t* data, size_t size, std::string& text, std::string& error) {
    NetReader in(data, size);
    uint8_t type = in.byte();
    if (type != static_cast<uint8_t>(MessageType::REFUSE) &&
        type != static_cast<uint8_t>(MessageType::END)) {
        error = "a message of another type";
        return false;
    }
    text = in.text(MAX_TEXT);
    return finish(in, "a message's text", error);
}

void encodeStart(const Start& start, std::string& out) {
    putType(out, MessageType::START);
    out.push_back(static_cast<char>(start.machineNames.size()));
    for (const std::string& name : start.machineNames)
        putText(out, name);
    out.push_back(static_cast<char>(start.self));
    const RecordHeader& header = start.header;
    putText(out, header.level.name);
    putText(out, header.level.text);
    putLittleEndian(out, header.seed, 4);
    out.push_back(static_cast<char>(header.settings.roundsToWin));
    out.push_back(static_cast<char>(header.settings.computerTanks));
    out.push_back(static_cast<char>(header.settings.difficulty));
    out.push_back(static_cast<char>(header.seats.size()));
    for (size_t i = 0; i < header.seats.size(); ++i) {
        out.push_back(static_cast<char>(header.seats[i].kind));
        putText(out, header.seats[i].name);
        out.push_back(static_cast<char>(header.seats[i].difficulty));
        out.push_back(
            static_cast<char>(i < start.seatMachines.size() ? start.seatMachines[i] : NO_MACHINE));
    }
}

bool decodeStart(const uint8_t* data, size_t size, Start& start, std::string& error) {
    NetReader in(data, size);
    if (!expectType(in, MessageType::START, error))
        return false;
    int machines = in.byte();
    if (!in.failed() && (machines < 1 || machines > MAX_MACHINES)) {
        error = "a match of " + std::to_string(machines) + " machines";
        return false;
    }
    start.machineNames.assign(in.failed() ? 0 : static_cast<size_t>(machines), std::string());
    for (std::string& name : start.machineNames)
        name = in.text(MAX_TEXT);
    start.self = in.byte();
    if (!in.failed() && start.self >= machines) {
        error =
            "a start for machine " + std::to_string(start.self) + " of " + std::to_string(machines);
        return false;
    }
    RecordHeader& header = start.header;
    header.level.name = in.text(MAX_TEXT);
    header.level.text = in.text(MAX_LEVEL_TEXT);
    header.seed = static_cast<uint32_t>(in.littleEndian(4));
    int rounds = in.byte(), computers = in.byte(), difficulty = in.byte(), seats = in.byte();
    if (in.failed())
        return finish(in, "a start", error);
    if (rounds < 1 || rounds > MAX_ROUNDS || computers > MAX_PLAYERS || difficulty > 2 ||
        seats > MAX_PLAYERS) {
        error = "a start whose settings or seats are out of range";
        return false;
    }
    header.settings.roundsToWin = rounds;
    header.settings.computerTanks = computers;
    header.settings.difficulty = static_cast<Difficulty>(difficulty);
    header.seats.assign(static_cast<size_t>(seats), RecordedSeat());
    start.seatMachines.assign(static_cast<size_t>(seats), NO_MACHINE);
    for (size_t i = 0; i < header.seats.size() && !in.failed(); ++i) {
        RecordedSeat& seat = header.seats[i];
        seat.kind = static_cast<SeatKind>(in.byte());
        seat.name = in.text(MAX_TEXT);
        int seatDifficulty = in.byte();
        int machine = in.byte();
        if (in.failed())
            break;
        bool computer = seat.kind == SeatKind::COMPUTER;
        bool fits = computer ? machine == NO_MACHINE : humanSeat(seat.kind) && machine < machines;
        if (!fits || seatDifficulty > 2) {
            error = "a start with seat " + std::to_string(i) + " of no machine of the match";
            return false;
        }
        seat.difficulty = static_cast<Difficulty>(seatDifficulty);
        start.seatMachines[i] = static_cast<uint8_t>(machine);
    }
    // The computer tanks are the computer seats, whatever the settings' count said.
    header.settings.computerTanks = static_cast<int>(
        std::count(start.seatMachines.begin(), start.seatMachines.end(), NO_MACHINE));
    return finish(in, "a start", error);
}

void encodeHash(int tick, uint64_t hash, std::string& out) {
    putType(out, MessageType::HASH);
    putVarint(out, static_cast<uint64_t>(tick));
    putLittleEndian(out, hash, 8);
}

bool decodeHash(const uint8_t* data, size_t size, TickNote& note, std::string& error) {
    NetReader in(data, size);
    if (!expectType(in, MessageType::HASH, error))
        return false;
    note.tick = readTick(in);
    note.hash = in.littleEndian(8);
    if (!finish(in, "a state hash", error))
        return false;
    if (note.tick % HASH_INTERVAL != 0) {
        error = "a state hash after tick " + std::to_string(note.tick);
        return false;
    }
    return true;
}

void encodeDrop(int machine, int lastTick, std::string& out) {
    putType(out, MessageType::DROP);
    out.push_back(static_cast<char>(machine));
    putVarint(out, static_cast<uint64_t>(lastTick + 1)); // -1 before any tick
}

bool decodeDrop(const uint8_t* data, size_t size, TickNote& note, std::string& error) {
    NetReader in(data, size);
    if (!expectType(in, MessageType::DROP, error))
        return false;
    note.machine = in.byte();
    note.tick = readTick(in) - 1;
    if (!finish(in, "a drop", error))
        return false;
    if (note.machine < 1 || note.machine >= MAX_MACHINES || note.tick < -1) {
        error = "a drop of machine " + std::to_string(note.machine);
        return false;
    }
    return true;
}

void encodeDesync(int tick, std::string& out) {
    putType(out, MessageType::DESYNC);
    putVarint(out, static_cast<uint64_t>(tick));
}

bool decodeDesync(const uint8_t* data, size_t size, TickNote& note, std::string& error) {
    NetReader in(data, size);
    if (!expectType(in, MessageType::DESYNC, error))
        return false;
    note.tick = readTick(in);
    return finish(in, "an out-of-sync note", error) && note.tick >= 0;
}

void encodeEdit(const EditNote& note, std::string& out) {
    putType(out, MessageType::EDIT);
    out.push_back(static_cast<char>(note.machine));
    putVarint(out, static_cast<uint64_t>(note.tick));
    bool readmit = note.readmit >= 0;
    out.push_back(static_cast<char>(readmit ? READMIT_KIND : static_cast<int>(note.edit.kind)));
    out.push_back(static_cast<char>(readmit ? note.readmit : note.edit.seat));
    putVarint(out, static_cast<uint64_t>(readmit ? 0 : note.edit.value));
}

bool decodeEdit(const uint8_t* data, size_t size, EditNote& note, std::string& error) {
    NetReader in(data, size);
    if (!expectType(in, MessageType::EDIT, error))
        return false;
    note.machine = in.byte();
    note.tick = readTick(in);
    int kind = in.byte();
    note.edit.seat = in.byte();
    uint64_t value = in.varint();
    if (!finish(in, "an edit", error))
        return false;
    if (kind == READMIT_KIND) {
        note.readmit = note.edit.seat;
        note.edit = MatchEdit();
        if (note.machine != 0 || note.readmit < 1 || note.readmit >= MAX_MACHINES || value != 0) {
            error = "a return out of range";
            return false;
        }
        return true;
    }
    // What an edit's values may be is the match's to judge (and refuse alike everywhere);
    // here only what the message can name.
    if (note.machine >= MAX_MACHINES || kind >= MatchEdit::KIND_COUNT ||
        note.edit.seat >= MAX_PLAYERS || value > 255) {
        error = "an edit out of range";
        return false;
    }
    note.edit.kind = static_cast<MatchEdit::Kind>(kind);
    note.edit.value = static_cast<int>(value);
    return true;
}

bool messageType(const uint8_t* data, size_t size, MessageType& type) {
    if (size == 0 || data[0] < static_cast<uint8_t>(MessageType::HELLO) ||
        data[0] > static_cast<uint8_t>(MessageType::EDIT))
        return false;
    type = static_cast<MessageType>(data[0]);
    return true;
}

} // namespace net
