#include "net/inputstream.h"

#include <cstring>

#include "match/matchrules.h"
#include "net/netreader.h"

namespace net {

namespace {

constexpr uint8_t BUTTONS_CHANGED = 1u << 6;
constexpr uint8_t CONNECTION_FLIPPED = 1u << 7;
constexpr int FLOATS = 6;
constexpr uint64_t MAX_TICK = 0x7fffffff;

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
            putLittleEndian(out, bitsOf(*fieldOf(now, i)), 4);
    if (fields & BUTTONS_CHANGED)
        putLittleEndian(out, now.buttons, 2);
}

void readChange(NetReader& in, ControlState& seat) {
    uint8_t fields = in.byte();
    for (int i = 0; i < FLOATS; ++i)
        if (fields & (1u << i))
            *fieldOf(seat, i) = floatOf(static_cast<uint32_t>(in.littleEndian(4)));
    if (fields & BUTTONS_CHANGED)
        seat.buttons = static_cast<uint16_t>(in.littleEndian(2));
    if (fields & CONNECTION_FLIPPED)
        seat.connected = !seat.connected;
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
        out.push_back(static_cast<char>(stream.machine));
        putVarint(out, static_cast<uint64_t>(stream.firstTick));
        out.push_back(static_cast<char>(stream.ticks.size()));
        out.push_back(static_cast<char>(seats));
        std::vector<ControlState> last(seats);
        for (size_t t = 0; t < stream.ticks.size(); ++t) {
            out.push_back(static_cast<char>(t < stream.edits.size() ? stream.edits[t] : 0));
            for (size_t seat = 0; seat < seats; ++seat) {
                putChange(out, last[seat], stream.ticks[t][seat]);
                last[seat] = stream.ticks[t][seat];
            }
        }
    }
}

bool decodeInputs(const uint8_t* data, size_t size, InputsMessage& message, std::string& error) {
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
    for (int i = 0; i < streams && !in.failed(); ++i) {
        Inputs stream;
        stream.machine = in.byte();
        uint64_t first = in.varint();
        int count = in.byte();
        int seats = in.byte();
        if (in.failed() || stream.machine >= MAX_MACHINES || first > MAX_TICK || count < 1 ||
            count > MAX_TICKS_PER_MESSAGE || seats < 1 || seats > MAX_PLAYERS) {
            error = "inputs whose machine, ticks or seats are out of range";
            return false;
        }
        stream.firstTick = static_cast<int>(first);
        std::vector<ControlState> state(static_cast<size_t>(seats));
        for (int t = 0; t < count && !in.failed(); ++t) {
            int edits = in.byte();
            if (edits > MAX_EDITS_PER_TICK) {
                error = "a tick with more edits than a tick takes";
                return false;
            }
            for (ControlState& seat : state) {
                readChange(in, seat);
                if (!in.failed() && !inRange(seat)) {
                    error = "inputs with a control out of its range";
                    return false;
                }
            }
            stream.edits.push_back(edits);
            stream.ticks.push_back(state);
        }
        message.streams.push_back(std::move(stream));
    }
    if (!in.done()) {
        error = in.failed() ? "inputs cut short or out of range" : "inputs followed by stray bytes";
        return false;
    }
    return true;
}

} // namespace net
