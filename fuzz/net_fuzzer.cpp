// Feeds arbitrary bytes to the readers of what other machines send. The whole input is one
// packet for every message decoder; whatever one accepts must be of the type its first byte
// says and must encode again to the same values. The same bytes are also read as a stream: a
// match of 1..6 machines and seats, then packets of INPUTS for each machine's decoder, plays of
// the ticks that are ready and drops, with the lockstep's controls checked against what was
// accepted, tick by tick.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "net/inputstream.h"
#include "net/lockstep.h"
#include "net/netprotocol.h"

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

bool sameSeats(const std::vector<RecordedSeat>& a, const std::vector<RecordedSeat>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].name != b[i].name || a[i].difficulty != b[i].difficulty)
            return false;
    return true;
}

bool sameStart(const Start& a, const Start& b) {
    const RecordHeader &x = a.header, &y = b.header;
    return a.machineNames == b.machineNames && a.self == b.self &&
           a.seatMachines == b.seatMachines && x.level.name == y.level.name &&
           x.level.text == y.level.text && x.seed == y.seed &&
           x.settings.roundsToWin == y.settings.roundsToWin &&
           x.settings.computerTanks == y.settings.computerTanks &&
           x.settings.difficulty == y.settings.difficulty && sameSeats(x.seats, y.seats);
}

bool sameNote(const TickNote& a, const TickNote& b) {
    return a.tick == b.tick && a.hash == b.hash && a.machine == b.machine;
}

// Each decoder on the whole packet. Returns how many accepted it.
int decodeAll(const uint8_t* data, size_t size) {
    MessageType type{};
    bool typed = messageType(data, size, type);
    int accepted = 0;
    std::string error, again;
    auto refused = [&](bool ok) {
        check(ok || !error.empty(), "a refusal without a reason");
        if (ok) {
            ++accepted;
            check(typed, "a message accepted whose type is unknown");
        }
        error.clear();
        again.clear();
        return !ok;
    };
    Hello hello, hello2;
    if (!refused(decodeHello(data, size, hello, error))) {
        check(type == MessageType::HELLO, "a hello of another type");
        encodeHello(hello, again);
        check(decodeHello(bytesOf(again), again.size(), hello2, error), "a hello re-encoded");
        check(hello.protocol == hello2.protocol && hello.build == hello2.build &&
                  hello.machineName == hello2.machineName && sameSeats(hello.seats, hello2.seats),
              "a hello reads back otherwise");
    }
    Welcome welcome, welcome2;
    if (!refused(decodeWelcome(data, size, welcome, error))) {
        check(type == MessageType::WELCOME, "a welcome of another type");
        encodeWelcome(welcome, again);
        check(decodeWelcome(bytesOf(again), again.size(), welcome2, error) &&
                  welcome.protocol == welcome2.protocol && welcome.build == welcome2.build,
              "a welcome reads back otherwise");
    }
    std::string text, text2;
    if (!refused(decodeText(data, size, text, error))) {
        check(type == MessageType::REFUSE || type == MessageType::END, "a text of another type");
        encodeText(type, text, again);
        check(decodeText(bytesOf(again), again.size(), text2, error) && text == text2 &&
                  again[0] == static_cast<char>(data[0]),
              "a text reads back otherwise");
    }
    Start start, start2;
    if (!refused(decodeStart(data, size, start, error))) {
        check(type == MessageType::START, "a start of another type");
        encodeStart(start, again);
        check(decodeStart(bytesOf(again), again.size(), start2, error) && sameStart(start, start2),
              "a start reads back otherwise");
    }
    // The notes: each decoder with its encoder.
    TickNote note, note2;
    if (!refused(decodeHash(data, size, note, error))) {
        check(type == MessageType::HASH, "a hash of another type");
        encodeHash(note.tick, note.hash, again);
        check(decodeHash(bytesOf(again), again.size(), note2, error) && sameNote(note, note2),
              "a hash reads back otherwise");
    }
    note = note2 = TickNote();
    if (!refused(decodeDrop(data, size, note, error))) {
        check(type == MessageType::DROP, "a drop of another type");
        encodeDrop(note.machine, note.tick, again);
        check(decodeDrop(bytesOf(again), again.size(), note2, error) && sameNote(note, note2),
              "a drop reads back otherwise");
    }
    note = note2 = TickNote();
    if (!refused(decodeDesync(data, size, note, error))) {
        check(type == MessageType::DESYNC, "an out-of-sync note of another type");
        encodeDesync(note.tick, again);
        check(decodeDesync(bytesOf(again), again.size(), note2, error) && sameNote(note, note2),
              "an out-of-sync note reads back otherwise");
    }
    return accepted;
}

// One machine's INPUTS stream as its receiver reads it, with what the decoder should hold:
// the seats' controls after the last message it took.
struct Receiver {
    explicit Receiver(int seats) : decoder(seats), last(static_cast<size_t>(seats)), seats(seats) {}
    InputDecoder decoder;
    std::vector<ControlState> last;
    int seats;

    bool take(const uint8_t* data, size_t size, Inputs& inputs) {
        std::string error;
        bool ok = decoder.decode(data, size, inputs, error);
        check(ok || !error.empty(), "inputs refused without a reason");
        if (ok) {
            check(!inputs.ticks.empty() && inputs.ticks.size() <= size_t{MAX_TICKS_PER_INPUTS},
                  "inputs of no ticks or too many");
            for (const std::vector<ControlState>& tick : inputs.ticks)
                check(static_cast<int>(tick.size()) == seats, "inputs of another seat count");
            // Encoded again by a stream at the same point (an encoder and a decoder brought
            // there by one message of `last`), they decode to the same controls bit for bit.
            InputEncoder encoder(inputs.machine, seats);
            InputDecoder again(seats);
            std::string prime, bytes;
            Inputs primed, back;
            encoder.encode(0, {last}, prime);
            check(again.decode(bytesOf(prime), prime.size(), primed, error),
                  "the controls a stream holds do not encode");
            encoder.encode(inputs.firstTick, inputs.ticks, bytes);
            check(again.decode(bytesOf(bytes), bytes.size(), back, error),
                  "inputs re-encoded are refused");
            check(back.machine == inputs.machine && back.firstTick == inputs.firstTick &&
                      back.ticks == inputs.ticks,
                  "inputs read back otherwise");
            last = inputs.ticks.back();
        }
        // A tick in which nothing changes reads what the stream holds: where the last message
        // taken left it, whatever was refused since.
        std::string still = {static_cast<char>(MessageType::INPUTS), 0, 0, 1,
                             static_cast<char>(seats)};
        still.append(static_cast<size_t>(seats), '\0');
        Inputs held;
        check(decoder.decode(bytesOf(still), still.size(), held, error) && held.ticks[0] == last,
              "a refused message moved the stream, or a taken one moved it elsewhere");
        return ok;
    }
};

// Reads the bytes in order; past the end, zeros.
struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool more() const { return at < size; }
    uint8_t next() { return at < size ? data[at++] : 0; }
};

void playStream(const uint8_t* data, size_t size) {
    Bytes in{data, size};
    int seats = 1 + in.next() % MAX_PLAYERS;
    int machineCount = 1 + in.next() % MAX_MACHINES;
    std::vector<uint8_t> seatMachines;
    for (int seat = 0; seat < seats; ++seat) {
        int m = in.next() % (machineCount + 1);
        seatMachines.push_back(m == machineCount ? NO_MACHINE : static_cast<uint8_t>(m));
    }
    Lockstep lockstep(seatMachines, machineCount);
    std::vector<Receiver> receivers;
    for (int m = 0; m < machineCount; ++m)
        receivers.emplace_back(lockstep.seatsOf(m));
    // What was accepted, by machine and tick: the controls the lockstep must give back.
    std::map<std::pair<int, int>, std::vector<ControlState>> given;
    std::vector<int> dropAfter(static_cast<size_t>(machineCount), INT32_MAX);
    int playing = 0;
    while (in.more()) {
        uint8_t op = in.next();
        switch (op & 3) {
        case 0:
        case 1: { // a packet, its length first
            size_t length = in.next();
            length = std::min(length, in.size - in.at);
            const uint8_t* packet = in.data + in.at;
            in.at += length;
            int machine = 0;
            Inputs inputs;
            if (!inputsMachine(packet, length, machine) || machine >= machineCount ||
                !receivers[static_cast<size_t>(machine)].take(packet, length, inputs))
                break;
            int next = lockstep.next(machine);
            std::string error;
            bool added = lockstep.add(inputs, playing, error);
            bool due =
                !lockstep.dropped(machine) && inputs.firstTick == next &&
                next + static_cast<int>(inputs.ticks.size()) - 1 <= playing + Lockstep::MAX_LEAD;
            check(added == due, "inputs taken or refused against the rules");
            check(added || !error.empty(), "inputs refused without a reason");
            if (added)
                for (size_t i = 0; i < inputs.ticks.size(); ++i)
                    given[{machine, next + static_cast<int>(i)}] = inputs.ticks[i];
            check(lockstep.next(machine) ==
                      (added ? next + static_cast<int>(inputs.ticks.size()) : next),
                  "the next tick owed is wrong");
            break;
        }
        case 2: // play the ready ticks, a few at most
            for (int count = 1 + (op >> 2) % 8; count > 0 && lockstep.ready(playing); --count) {
                check(lockstep.missing(playing).empty(), "a ready tick misses a machine");
                for (int seat = 0; seat < seats; ++seat) {
                    int m = lockstep.machineOf(seat);
                    ControlState want;
                    if (m != NO_MACHINE && playing <= dropAfter[static_cast<size_t>(m)]) {
                        auto it = given.find({m, playing});
                        check(it != given.end(), "a ready tick of controls never given");
                        int slot = 0;
                        for (int s = 0; s < seat; ++s)
                            slot += lockstep.machineOf(s) == m;
                        want = it->second[static_cast<size_t>(slot)];
                    }
                    check(lockstep.controls(playing, seat) == want, "a seat's controls differ");
                }
                ++playing;
                lockstep.forget(playing - 1);
            }
            if (!lockstep.ready(playing))
                check(!lockstep.missing(playing).empty(), "a tick not ready misses nobody");
            break;
        case 3: { // a drop, as the host makes one: after a tick the machine has given
            // (one past them leaves ready ticks with nothing to read: the lockstep's test
            // ADropPastTheTicksGivenStandsFromTheLastGiven)
            int machine = (op >> 2) % machineCount;
            int last = std::max(-1, lockstep.lastTick(machine) - in.next() % 8);
            if (!lockstep.dropped(machine))
                dropAfter[static_cast<size_t>(machine)] = last;
            lockstep.drop(machine, last);
            check(lockstep.dropped(machine), "a machine dropped is still in");
            break;
        }
        }
        lockstep.validate();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The whole packet to every decoder, INPUTS of every seat count among them: one at most
    // takes it.
    int accepted = decodeAll(data, size);
    for (int seats = 1; seats <= MAX_PLAYERS; ++seats) {
        Inputs inputs;
        accepted += Receiver(seats).take(data, size, inputs);
    }
    check(accepted <= 1, "one packet read as two kinds of message");
    // The rest to INPUTS of the seat count the first byte chooses.
    if (size > 0) {
        Inputs inputs;
        Receiver(1 + data[0] % MAX_PLAYERS).take(data + 1, size - 1, inputs);
    }
    playStream(data, size);
    return 0;
}
