// Feeds arbitrary bytes to the readers of what other machines send. The whole input is one
// packet for every message decoder: at most one takes it, of the type its first byte says, and
// what it takes lies within the limits its reader names and encodes again to the same values.
// The same bytes are also read as a match seen from one machine: its machines and seats, then
// INPUTS, EDIT and DROP packets taken as that machine takes them, its own controls and edits,
// plays and forgetting, through a lockstep checked against a plain model of it
// (tests/net/lockstepmodel.h) after every step.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "match/matchrules.h"
#include "net/inputstream.h"
#include "net/lockstep.h"
#include "net/netprotocol.h"

#include "../tests/net/lockstepmodel.h"
#include "../tests/net/netmessagestesting.h"

namespace {

using namespace net;

void check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "net_fuzzer: %s\n", what);
        __builtin_trap();
    }
}

const uint8_t* bytesOf(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

bool human(SeatKind kind) {
    return kind == SeatKind::PAD || kind == SeatKind::KEYBOARD;
}

// The limits each reader names, held of everything it takes.
bool fits(const Hello& h) {
    return !h.seats.empty() && h.seats.size() <= MAX_PLAYERS && h.build.size() <= MAX_TEXT &&
           h.machineName.size() <= MAX_TEXT &&
           std::all_of(h.seats.begin(), h.seats.end(), [](const RecordedSeat& s) {
               return human(s.kind) && s.name.size() <= MAX_TEXT;
           });
}
bool fits(const Welcome& w) {
    return w.build.size() <= MAX_TEXT;
}
bool fits(const std::string& text) {
    return text.size() <= MAX_TEXT;
}
bool fits(const Start& s) {
    int machines = static_cast<int>(s.machineNames.size());
    const MatchSettings& settings = s.header.settings;
    bool fit = machines >= 1 && machines <= MAX_MACHINES && s.self < machines &&
               s.header.seats.size() <= MAX_PLAYERS &&
               s.seatMachines.size() == s.header.seats.size() && settings.roundsToWin >= 1 &&
               settings.roundsToWin <= 99 && settings.computerTanks <= MAX_PLAYERS &&
               settings.difficulty <= Difficulty::HARD && s.header.level.name.size() <= MAX_TEXT;
    for (size_t i = 0; fit && i < s.seatMachines.size(); ++i) {
        const RecordedSeat& seat = s.header.seats[i];
        fit = seat.difficulty <= Difficulty::HARD && seat.name.size() <= MAX_TEXT &&
              (seat.kind == SeatKind::COMPUTER ? s.seatMachines[i] == NO_MACHINE
                                               : human(seat.kind) && s.seatMachines[i] < machines);
    }
    return fit;
}
bool fits(const EditNote& e) {
    if (e.readmit >= 0) // a return: only from the host, of a joiner
        return e.tick >= 0 && e.machine == 0 && e.readmit >= 1 && e.readmit < MAX_MACHINES;
    return e.tick >= 0 && e.machine >= 0 && e.machine < MAX_MACHINES &&
           static_cast<int>(e.edit.kind) < MatchEdit::KIND_COUNT && e.edit.seat >= 0 &&
           e.edit.seat < MAX_PLAYERS && e.edit.value >= 0 && e.edit.value <= 255;
}
bool fits(const ControlState& c) {
    const float values[] = {c.left.x, c.left.y, c.right.x, c.right.y, c.triggerA, c.triggerB};
    for (int i = 0; i < 6; ++i)
        if (!(values[i] >= (i < 4 ? -1.0f : 0.0f) && values[i] <= 1.0f))
            return false;
    return c.buttons < (1u << ControlState::BUTTONS);
}
bool fits(const InputsMessage& m) {
    bool fit = m.acks.size() <= MAX_MACHINES && m.streams.size() <= MAX_MACHINES;
    for (const InputsMessage::Ack& ack : m.acks)
        fit = fit && ack.machine >= 0 && ack.machine < MAX_MACHINES && ack.next >= 0;
    for (const Inputs& s : m.streams) {
        fit = fit && s.machine >= 0 && s.machine < MAX_MACHINES && s.firstTick >= 0 &&
              !s.ticks.empty() && s.ticks.size() <= MAX_TICKS_PER_MESSAGE &&
              s.edits.size() == s.ticks.size();
        for (size_t t = 0; fit && t < s.ticks.size(); ++t)
            fit = !s.ticks[t].empty() && s.ticks[t].size() <= MAX_PLAYERS &&
                  s.ticks[t].size() == s.ticks[0].size() && s.edits[t] >= 0 &&
                  s.edits[t] <= MAX_EDITS_PER_TICK &&
                  std::all_of(s.ticks[t].begin(), s.ticks[t].end(),
                              [](const ControlState& c) { return fits(c); });
    }
    return fit;
}

// A decoder on the packet: 0 when it refuses it (saying why); else 1, and what it read must
// fit its limits and come back the same through the encoder and the decoder again.
template <typename T, typename Decode, typename Encode, typename Same, typename Fits>
int reads(const uint8_t* data, size_t size, Decode decode, Encode encode, Same same, Fits fit) {
    T value, again;
    std::string error, bytes;
    if (!decode(data, size, value, error)) {
        check(!error.empty(), "a refusal without a reason");
        return 0;
    }
    check(fit(value), "a message taken with values out of their limits");
    encode(value, bytes);
    check(decode(bytesOf(bytes), bytes.size(), again, error) && same(value, again),
          "a message reads back otherwise");
    return 1;
}

// Every decoder on the packet: at most one takes it, the one of its type.
void decodeAll(const uint8_t* data, size_t size) {
    using namespace nettest;
    MessageType type{};
    bool typed = messageType(data, size, type);
    auto of = [&](int taken, std::initializer_list<MessageType> types) {
        check(!taken || (typed && std::find(types.begin(), types.end(), type) != types.end()),
              "a message taken as another type");
        return taken;
    };
    auto text = [&](const std::string& t, std::string& out) { encodeText(type, t, out); };
    auto hash = [](const TickNote& n, std::string& out) { encodeHash(n.tick, n.hash, out); };
    auto drop = [](const TickNote& n, std::string& out) { encodeDrop(n.machine, n.tick, out); };
    auto desync = [](const TickNote& n, std::string& out) { encodeDesync(n.tick, out); };
    auto fit = [](const auto& value) { return fits(value); };
    auto hashFits = [](const TickNote& n) { return n.tick >= 0 && n.tick % HASH_INTERVAL == 0; };
    auto dropFits = [](const TickNote& n) {
        return n.tick >= -1 && n.machine >= 1 && n.machine < MAX_MACHINES;
    };
    auto desyncFits = [](const TickNote& n) { return n.tick >= 0; };
    int accepted =
        of(reads<Hello>(data, size, decodeHello, encodeHello, sameHello, fit),
           {MessageType::HELLO}) +
        of(reads<Welcome>(data, size, decodeWelcome, encodeWelcome, sameWelcome, fit),
           {MessageType::WELCOME}) +
        of(reads<std::string>(data, size, decodeText, text, std::equal_to<std::string>(), fit),
           {MessageType::REFUSE, MessageType::END}) +
        of(reads<Start>(data, size, decodeStart, encodeStart, sameStart, fit),
           {MessageType::START}) +
        of(reads<TickNote>(data, size, decodeHash, hash, sameNote, hashFits), {MessageType::HASH}) +
        of(reads<TickNote>(data, size, decodeDrop, drop, sameNote, dropFits), {MessageType::DROP}) +
        of(reads<TickNote>(data, size, decodeDesync, desync, sameNote, desyncFits),
           {MessageType::DESYNC}) +
        of(reads<EditNote>(data, size, decodeEdit, encodeEdit, sameEdit, fit),
           {MessageType::EDIT}) +
        of(reads<InputsMessage>(data, size, decodeInputsAlone, encodeInputs, sameInputs, fit),
           {MessageType::INPUTS});
    check(accepted <= 1, "one packet read as two kinds of message");
}

// Reads the bytes in order; past the end, zeros.
struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool more() const { return at < size; }
    uint8_t next() { return at < size ? data[at++] : 0; }
    // A packet, its length first in `lengthBytes` bytes.
    std::pair<const uint8_t*, size_t> packet(int lengthBytes) {
        size_t length = next();
        if (lengthBytes == 2)
            length |= size_t{next()} << 8;
        length = std::min(length, size - std::min(at, size));
        const uint8_t* start = data + std::min(at, size);
        at += length;
        return {start, length};
    }
};

// A match seen from machine `self` (the host when 0), as its session takes what comes: the
// lockstep and its model given the same, and compared after every step.
void playMatch(const uint8_t* data, size_t size) {
    Bytes in{data, size};
    int machines = 1 + in.next() % MAX_MACHINES;
    int self = in.next() % machines;
    std::vector<uint8_t> seatMachines;
    for (int seat = 0, seats = 1 + in.next() % MAX_PLAYERS; seat < seats; ++seat) {
        int m = in.next() % (machines + 1);
        seatMachines.push_back(m == machines ? NO_MACHINE : static_cast<uint8_t>(m));
    }
    Lockstep lockstep(seatMachines, machines);
    locksteptest::LockstepModel model(seatMachines, machines);
    int playing = 0;
    int64_t resumeTick = 0; // this machine's own ticks from here on are its own to give
    std::string error;
    while (in.more()) {
        uint8_t op = in.next();
        switch ((op & 7) % 6) { // the operation; the bits above, its arguments
        case 0: { // INPUTS: every stream of the machines of the match, none of this machine's
            auto [packet, length] = in.packet(2);
            InputsMessage message;
            auto held = [&lockstep](int m, int t) { return lockstep.held(m, t); };
            if (!decodeInputs(packet, length, message, error, held))
                break;
            for (const Inputs& stream : message.streams) {
                if (stream.ticks.empty()) // coded against a tick not held: let go
                    continue;
                if (stream.machine >= machines ||
                    (stream.machine == self &&
                     stream.firstTick + static_cast<int64_t>(stream.ticks.size()) > resumeTick))
                    break;
                bool taken = model.add(stream, playing);
                error.clear();
                check(lockstep.add(stream, playing, error) == taken, "inputs taken otherwise");
                check(taken == error.empty(), "inputs refused without a reason, or with one");
            }
            break;
        }
        case 1: { // EDIT: from another machine; a return only from the host
            auto [packet, length] = in.packet(1);
            EditNote note;
            if (!decodeEdit(packet, length, note, error) || note.machine == self ||
                note.machine >= machines || (note.readmit >= 0 && self == 0))
                break;
            if (note.readmit == self) {
                lockstep.catchUpTo(note.tick);
                model.catchUpTo(note.tick);
            }
            bool taken = model.addEdit(note, playing);
            error.clear();
            check(lockstep.addEdit(note, playing, error) == taken, "an edit taken otherwise");
            check(taken == error.empty(), "an edit refused without a reason, or with one");
            if (taken && note.readmit >= 0 && note.readmit < machines) {
                lockstep.readmit(note.readmit, note.tick);
                model.readmit(note.readmit, note.tick);
                if (note.readmit == self)
                    resumeTick = note.tick;
            }
            break;
        }
        case 2: { // DROP of another machine
            auto [packet, length] = in.packet(1);
            TickNote note;
            if (!decodeDrop(packet, length, note, error) || note.machine >= machines ||
                note.machine == self)
                break;
            lockstep.drop(note.machine, note.tick);
            model.drop(note.machine, note.tick);
            break;
        }
        case 3: // play the ready ticks, a few at most
            for (int count = 1 + (op >> 3) % 8; count > 0 && lockstep.ready(playing); --count)
                ++playing;
            break;
        case 4: // forget what was played, as a joiner does
            lockstep.forget(playing - (op >> 3) % 4);
            model.forget(playing - (op >> 3) % 4);
            break;
        case 5: { // this machine's own controls for its next ticks, after an edit of its own
            Inputs own{self, lockstep.next(self), {}, {}, {}};
            for (int t = 0; t <= (op >> 3) % 8; ++t) {
                ControlState c;
                c.buttons = static_cast<uint16_t>((own.firstTick + t) % 1024);
                own.ticks.emplace_back(static_cast<size_t>(model.seatsOf(self)), c);
                own.edits.push_back(t == 0 && op >= 64 ? 1 : 0);
            }
            if (op >= 64) {
                EditNote note{self, own.firstTick, {MatchEdit::Kind::GIVE_ITEMS, 0, op}, -1};
                bool taken = model.addEdit(note, playing);
                check(lockstep.addEdit(note, playing, error) == taken,
                      "an own edit taken otherwise");
            }
            bool taken = model.add(own, playing);
            check(lockstep.add(own, playing, error) == taken, "own controls taken otherwise");
            break;
        }
        }
        lockstep.validate();
        int until = playing;
        for (int m = 0; m < machines; ++m)
            until = std::max(until, model.next(m) + 1);
        check(locksteptest::differs(lockstep, model, playing, std::min(until, playing + 8), 4)
                  .empty(),
              "the lockstep answers otherwise than its model");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    decodeAll(data, size);
    playMatch(data, size);
    return 0;
}
