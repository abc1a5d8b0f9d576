#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/netprotocol.h"

namespace net {

// One INPUTS message. Controls travel unreliably, every frame, each message whole in itself:
// a lost one costs nothing, as the next one carries the same ticks again until the receiver
// confirms them. So a lost datagram delays nobody by a resend's round trip.
struct InputsMessage {
    // By machine: the next tick of its controls the sender has (it has all before).
    struct Ack {
        int machine = 0;
        int next = 0;
    };
    std::vector<Ack> acks;
    std::vector<Inputs> streams; // at most one per machine
};

// The message: a count and the acks (machine byte, next tick varint), a count and the streams:
// machine byte, first tick varint, tick count (1..MAX_TICKS_PER_MESSAGE), seat count
// (1..MAX_PLAYERS), then per tick its edit count byte and per seat a byte of what changed since
// the stream's tick before (the first against ControlState()): bits 0..5 the sticks' x, y, x, y
// and the triggers, each followed by the float's 4 bytes; bit 6 the buttons, 2 bytes; bit 7 the
// connection flipped. A still pad costs a byte a tick.
void encodeInputs(const InputsMessage& message, std::string& out);
// False, with `error`, for a message cut short, with stray bytes, with more acks or streams
// than machines, a control out of its range (sticks -1..1, triggers 0..1, buttons 0..9) or a
// count out of its limits.
bool decodeInputs(const uint8_t* data, size_t size, InputsMessage& message, std::string& error);

} // namespace net
