#include "net/inputstream.h"

#include <cstring>

#include "net/netreader.h"

namespace net {

namespace {

constexpr uint8_t BUTTONS_CHANGED = 1u << 6;
constexpr uint8_t CONNECTION_FLIPPED = 1u << 7;
constexpr int FLOATS = 6;

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

float* floatsOf(ControlState& state, int i) {
    float* fields[FLOATS] = {&state.left.x,  &state.left.y,   &state.right.x,
                             &state.right.y, &state.triggerA, &state.triggerB};
    return fields[i];
}

// Sticks in [-1, 1], triggers in [0, 1], buttons 0..9: what any source reads. A NaN or a
// stick pushed a thousand times over would be played on every machine alike, into places no
// pad can take a tank.
bool inRange(ControlState& seat) {
    for (int i = 0; i < FLOATS; ++i) {
        float v = *floatsOf(seat, i);
        float low = i < 4 ? -1.0f : TRIGGER_RELEASED;
        if (!(v >= low && v <= 1.0f))
            return false;
    }
    return (seat.buttons >> ControlState::BUTTONS) == 0;
}

} // namespace

void InputEncoder::encode(int firstTick, const std::vector<std::vector<ControlState>>& ticks,
                          std::string& out) {
    out.push_back(static_cast<char>(MessageType::INPUTS));
    out.push_back(static_cast<char>(machine));
    putVarint(out, static_cast<uint64_t>(firstTick));
    out.push_back(static_cast<char>(ticks.size()));
    out.push_back(static_cast<char>(last.size()));
    for (const std::vector<ControlState>& tick : ticks)
        for (size_t seat = 0; seat < last.size(); ++seat) {
            ControlState now = seat < tick.size() ? tick[seat] : ControlState();
            ControlState& before = last[seat];
            uint8_t fields = 0;
            for (int i = 0; i < FLOATS; ++i)
                if (bitsOf(*floatsOf(now, i)) != bitsOf(*floatsOf(before, i)))
                    fields = static_cast<uint8_t>(fields | (1u << i));
            if (now.buttons != before.buttons)
                fields |= BUTTONS_CHANGED;
            if (now.connected != before.connected)
                fields |= CONNECTION_FLIPPED;
            out.push_back(static_cast<char>(fields));
            for (int i = 0; i < FLOATS; ++i)
                if (fields & (1u << i))
                    putLittleEndian(out, bitsOf(*floatsOf(now, i)), 4);
            if (fields & BUTTONS_CHANGED)
                putLittleEndian(out, now.buttons, 2);
            before = now;
        }
}

bool inputsMachine(const uint8_t* data, size_t size, int& machine) {
    if (size < 2 || data[0] != static_cast<uint8_t>(MessageType::INPUTS))
        return false;
    machine = data[1];
    return true;
}

bool InputDecoder::decode(const uint8_t* data, size_t size, Inputs& inputs, std::string& error) {
    NetReader in(data, size);
    if (in.byte() != static_cast<uint8_t>(MessageType::INPUTS)) {
        error = "a message of another type";
        return false;
    }
    inputs.machine = in.byte();
    uint64_t first = in.varint();
    int count = in.byte();
    int seats = in.byte();
    if (in.failed() || first > 0x7fffffff || count < 1 || count > MAX_TICKS_PER_INPUTS ||
        seats != static_cast<int>(last.size())) {
        error = "inputs whose ticks or seats are not the machine's";
        return false;
    }
    inputs.firstTick = static_cast<int>(first);
    std::vector<ControlState> state = last;
    inputs.ticks.assign(static_cast<size_t>(count), std::vector<ControlState>());
    for (std::vector<ControlState>& tick : inputs.ticks) {
        for (ControlState& seat : state) {
            uint8_t fields = in.byte();
            for (int i = 0; i < FLOATS; ++i)
                if (fields & (1u << i))
                    *floatsOf(seat, i) = floatOf(static_cast<uint32_t>(in.littleEndian(4)));
            if (fields & BUTTONS_CHANGED)
                seat.buttons = static_cast<uint16_t>(in.littleEndian(2));
            if (fields & CONNECTION_FLIPPED)
                seat.connected = !seat.connected;
            if (!inRange(seat)) {
                error = "inputs with a control out of its range";
                return false;
            }
        }
        tick = state;
    }
    if (!in.done()) {
        error = in.failed() ? "inputs cut short" : "inputs followed by stray bytes";
        return false;
    }
    last = state;
    return true;
}

} // namespace net
