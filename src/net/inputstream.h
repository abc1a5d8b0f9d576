#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/netprotocol.h"

namespace net {

// One INPUTS message. Controls travel unreliably, every other frame, each message whole in
// itself: a lost one costs nothing, as the next one carries the same ticks again until the
// receiver confirms them. So a lost datagram delays nobody by a resend's round trip.
struct InputsMessage {
    // By machine: the next tick of its controls the sender has (it has all before).
    struct Ack {
        int machine = 0;
        int next = 0;
    };
    std::vector<Ack> acks;
    std::vector<Inputs> streams; // at most one per machine
};

// What the receiver holds of a machine's ticks: its seats' controls at `tick`, or null. The
// first tick of a stream is coded against the tick before it, which the receiver holds: it
// confirmed every tick before the first one sent, and lets go only of ticks it has played.
using HeldTicks = std::function<const std::vector<ControlState>*(int machine, int tick)>;

// The message: a count and the acks (machine byte, next tick varint), a count and the streams.
// A stream: a byte of its machine (bits 0..2), its seat count less one (bits 3..5), whether
// each tick carries its edit count (bit 6) and whether its first tick is coded against its
// `before` (bit 7; else against ControlState()); its first tick varint; its tick count
// (1..MAX_TICKS_PER_MESSAGE); then per tick its edit count byte where bit 6 says so and per
// seat a byte of what changed since the tick before: bits 0..5 the sticks' x, y, x, y and the
// triggers, each followed by its value's code (replay/controlcoding.h), bit 6 the buttons, a
// varint, bit 7 the connection flipped. A still pad costs a byte a tick, a pad's moving stick
// two or three more.
void encodeInputs(const InputsMessage& message, std::string& out);
// False, with `error`, for a message cut short, with stray bytes, with more acks or streams
// than machines, two streams of one machine, a control out of its range (sticks -1..1,
// triggers 0..1, buttons 0..9), a count out of its limits, or a tick held of another seat
// count than the stream's. A stream coded against a tick that `held` does not give is read
// from the first of its ticks that `held` gives on (the ticks before are ones the receiver
// has, or ones it cannot yet take); of a stream none of whose ticks could be read, only the
// machine and first tick are given, with no ticks. A decoded stream's `before` is the tick
// before its first, where it was coded against one.
bool decodeInputs(const uint8_t* data, size_t size, InputsMessage& message, std::string& error,
                  const HeldTicks& held = {});

} // namespace net
