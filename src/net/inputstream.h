#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/netprotocol.h"

namespace net {

// A machine's INPUTS messages: its number, the first tick as a varint, the count of ticks
// (1..MAX_TICKS_PER_INPUTS) and of seats, then per tick and seat a byte of what changed since
// that seat's previous tick in the stream (bits 0..5 the sticks' x, y, x, y and the triggers,
// each followed by the float's 4 bytes; bit 6 the buttons, 2 bytes; bit 7 the connection
// flipped). A still pad costs a byte a tick. Both ends start every seat at ControlState() and
// must see every message of the stream in order (the channel is reliable and ordered).
class InputEncoder {
public:
    InputEncoder(int machine, int seats) : machine(machine), last(static_cast<size_t>(seats)) {}
    // `ticks` holds 1..MAX_TICKS_PER_INPUTS ticks of one ControlState per seat.
    void encode(int firstTick, const std::vector<std::vector<ControlState>>& ticks,
                std::string& out);

private:
    int machine;
    std::vector<ControlState> last;
};

// The machine an INPUTS message says it is from; false when it says none.
bool inputsMachine(const uint8_t* data, size_t size, int& machine);

class InputDecoder {
public:
    explicit InputDecoder(int seats) : last(static_cast<size_t>(seats)) {}
    // False, with `error`, for a message cut short, with stray bytes, or of another seat count;
    // the stream's state is then as before it.
    bool decode(const uint8_t* data, size_t size, Inputs& inputs, std::string& error);

private:
    std::vector<ControlState> last;
};

} // namespace net
