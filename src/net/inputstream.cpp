#include "net/inputstream.h"

#include <cassert>
#include <cstring>

#include "match/matchrules.h"
#include "net/netreader.h"
#include "replay/controlcoding.h"

namespace net {

namespace {

constexpr uint8_t BUTTONS_CHANGED = 1u << 6;
constexpr uint8_t CONNECTION_FLIPPED = 1u << 7;
constexpr int FLOATS = 6;
constexpr uint64_t MAX_TICK = 0x7fffffff;
// A stream's first byte.
constexpr uint8_t MACHINE_BITS = 0x07;
constexpr int SEATS_SHIFT = 3;
constexpr uint8_t SEATS_BITS = 0x07;
constexpr uint8_t HAS_EDITS = 1u << 6;
constexpr uint8_t AFTER_BEFORE = 1u << 7;
constexpr uint64_t ALL_BUTTONS = (1u << ControlState::BUTTONS) - 1;

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatOf(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float* fieldOf(ControlState& state, int i) {
    float* fields[FLOATS] = {&state.left.x,  &state.left.y,   &state.right.x,
                             &state.right.y, &state.triggerA, &state.triggerB};
    return fields[i];
}

// Sticks in [-1, 1], triggers in [0, 1], buttons 0..9: what any source reads. A NaN or a
// stick pushed a thousand times over would be played on every machine alike, into places no
// pad can take a tank.
bool inRange(ControlState& seat) {
    for (int i = 0; i < FLOATS; ++i) {
        float v = *fieldOf(seat, i);
        float low = i < 4 ? -1.0f : TRIGGER_RELEASED;
        if (!(v >= low && v <= 1.0f))
            return false;
    }
    return (seat.buttons >> ControlState::BUTTONS) == 0;
}

void putChange(std::string& out, const ControlState& before, ControlState now) {
    uint8_t fields = 0;
    ControlState was = before;
    for (int i = 0; i < FLOATS; ++i)
        if (bitsOf(*fieldOf(now, i)) != bitsOf(*fieldOf(was, i)))
            fields = static_cast<uint8_t>(fields | (1u << i));
    if (now.buttons != before.buttons)
        fields |= BUTTONS_CHANGED;
    if (now.connected != before.connected)
        fields |= CONNECTION_FLIPPED;
    out.push_back(static_cast<char>(fields));
    for (int i = 0; i < FLOATS; ++i)
        if (fields & (1u << i))
            controlcoding::putValue(out, *fieldOf(was, i), *fieldOf(now, i));
    if (fields & BUTTONS_CHANGED)
        controlcoding::putVarint(out, now.buttons);
}

// Reads one seat's change onto `seat`. Where `known` is false, `seat` is not what the sender
// coded against: the bytes are read past and `seat` left to be replaced. False for a value
// code out of its range.
bool readChange(NetReader& in, ControlState& seat, bool known) {
    uint8_t fields = in.byte();
    for (int i = 0; i < FLOATS && !in.failed(); ++i) {
        if (!(fields & (1u << i)))
            continue;
        uint64_t code = in.varint();
        float* value = fieldOf(seat, i);
        if (code == controlcoding::BITS)
            *value = floatOf(static_cast<uint32_t>(in.littleEndian(4)));
        else if (known && !controlcoding::valueOf(code, *value, *value))
            return false;
    }
    if (fields & BUTTONS_CHANGED) {
        uint64_t buttons = in.varint();
        if (buttons > ALL_BUTTONS)
            return false;
        seat.buttons = static_cast<uint16_t>(buttons);
    }
    if (fields & CONNECTION_FLIPPED)
        seat.connected = !seat.connected;
    return true;
}

// A tick the receiver holds is of as many seats as the stream says its machine has.
bool seatsAgree(const std::vector<ControlState>* held, size_t seats, std::string& error) {
    if (!held || held->size() == seats)
        return true;
    error = "inputs for " + std::to_string(seats) + " seats of a machine with " +
            std::to_string(held->size());
    return false;
}

// Reads a stream after its first byte; see decodeInputs.
bool readStream(NetReader& in, uint8_t head, const HeldTicks& held, Inputs& stream,
                std::string& error) {
    stream.machine = head & MACHINE_BITS;
    int seats = 1 + ((head >> SEATS_SHIFT) & SEATS_BITS);
    uint64_t first = in.varint();
    int count = in.byte();
    if (in.failed() || stream.machine >= MAX_MACHINES || first > MAX_TICK || count < 1 ||
        count > MAX_TICKS_PER_MESSAGE || seats > MAX_PLAYERS ||
        ((head & AFTER_BEFORE) && first == 0)) {
        error = "inputs whose machine, ticks or seats are out of range";
        return false;
    }
    stream.firstTick = static_cast<int>(first);
    // The controls as of the tick read last, where the receiver knows what they were.
    std::vector<ControlState> state(static_cast<size_t>(seats));
    bool known = !(head & AFTER_BEFORE);
    if (!known && held) {
        const std::vector<ControlState>* before = held(stream.machine, stream.firstTick - 1);
        if (!seatsAgree(before, state.size(), error))
            return false;
        known = before != nullptr;
        if (known)
            state = stream.before = *before;
    }
    for (int t = 0; t < count && !in.failed(); ++t) {
        int edits = head & HAS_EDITS ? in.byte() : 0;
        if (edits > MAX_EDITS_PER_TICK) {
            error = "a tick with more edits than a tick takes";
            return false;
        }
        for (ControlState& seat : state) {
            if (!readChange(in, seat, known) || (known && !in.failed() && !inRange(seat))) {
                error = "inputs with a control out of its range";
                return false;
            }
        }
        if (known) {
            stream.edits.push_back(edits);
            stream.ticks.push_back(state);
            continue;
        }
        // Not known: the receiver may hold this very tick, and read on from it.
        int tick = static_cast<int>(first) + t;
        const std::vector<ControlState>* here = held ? held(stream.machine, tick) : nullptr;
        if (!seatsAgree(here, state.size(), error))
            return false;
        known = here != nullptr;
        if (known)
            state = stream.before = *here;
        if (tick < static_cast<int>(MAX_TICK))
            stream.firstTick = tick + 1;
    }
    if (stream.ticks.empty()) { // nothing read: where it started, for the receiver to judge
        stream.firstTick = static_cast<int>(first);
        stream.before.clear();
    }
    return true;
}

} // namespace

void encodeInputs(const InputsMessage& message, std::string& out) {
    out.push_back(static_cast<char>(MessageType::INPUTS));
    out.push_back(static_cast<char>(message.acks.size()));
    for (const InputsMessage::Ack& ack : message.acks) {
        out.push_back(static_cast<char>(ack.machine));
        putVarint(out, static_cast<uint64_t>(ack.next));
    }
    out.push_back(static_cast<char>(message.streams.size()));
    for (const Inputs& stream : message.streams) {
        size_t seats = stream.ticks.empty() ? 0 : stream.ticks.front().size();
        bool edits = false;
        for (int count : stream.edits)
            edits = edits || count != 0;
        bool after = !stream.before.empty() && stream.firstTick > 0;
        assert(!after || stream.before.size() == seats);
        out.push_back(static_cast<char>((stream.machine & MACHINE_BITS) |
                                        ((seats - 1) & SEATS_BITS) << SEATS_SHIFT |
                                        (edits ? HAS_EDITS : 0) | (after ? AFTER_BEFORE : 0)));
        putVarint(out, static_cast<uint64_t>(stream.firstTick));
        out.push_back(static_cast<char>(stream.ticks.size()));
        std::vector<ControlState> last = after ? stream.before : std::vector<ControlState>(seats);
        for (size_t t = 0; t < stream.ticks.size(); ++t) {
            if (edits)
                out.push_back(static_cast<char>(t < stream.edits.size() ? stream.edits[t] : 0));
            for (size_t seat = 0; seat < seats; ++seat) {
                putChange(out, last[seat], stream.ticks[t][seat]);
                last[seat] = stream.ticks[t][seat];
            }
        }
    }
}

bool decodeInputs(const uint8_t* data, size_t size, InputsMessage& message, std::string& error,
                  const HeldTicks& held) {
    NetReader in(data, size);
    message = InputsMessage();
    if (in.byte() != static_cast<uint8_t>(MessageType::INPUTS)) {
        error = "a message of another type";
        return false;
    }
    int acks = in.byte();
    if (acks > MAX_MACHINES) {
        error = "inputs with more acks than machines";
        return false;
    }
    for (int i = 0; i < acks && !in.failed(); ++i) {
        InputsMessage::Ack ack;
        ack.machine = in.byte();
        uint64_t next = in.varint();
        if (next > MAX_TICK || ack.machine >= MAX_MACHINES)
            in.refuse();
        ack.next = static_cast<int>(next);
        message.acks.push_back(ack);
    }
    int streams = in.byte();
    if (streams > MAX_MACHINES) {
        error = "inputs with more streams than machines";
        return false;
    }
    unsigned machinesSeen = 0;
    for (int i = 0; i < streams && !in.failed(); ++i) {
        uint8_t head = in.byte();
        Inputs stream;
        if (!in.failed() && !readStream(in, head, held, stream, error))
            return false;
        if (machinesSeen & (1u << stream.machine)) {
            error = "inputs with two streams of one machine";
            return false;
        }
        machinesSeen |= 1u << stream.machine;
        message.streams.push_back(std::move(stream));
    }
    if (!in.done()) {
        error = in.failed() ? "inputs cut short or out of range" : "inputs followed by stray bytes";
        return false;
    }
    return true;
}

} // namespace net
