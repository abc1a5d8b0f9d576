#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "input/controlstate.h"
#include "net/netprotocol.h"

namespace net {

// Every machine's controls of an online match, tick by tick: a tick may run once every machine
// still in the match has given its seats' controls for it, and the edits it made before it
// have come. Each machine's ticks come in order from tick 0, as often again as the network
// likes (a copy of ticks already here is let go). A machine dropped after tick L reads at rest
// and unplugged (ControlState()) from L + 1 on, as an unplugged pad does, on every machine
// alike; its ticks up to L are still needed.
//
// Holds the ticks not yet forgotten: a bounded number, as no machine gives ticks more than
// MAX_LEAD past the one being played, so a peer cannot make it grow without bound.
class Lockstep {
public:
    // How far past the tick being played a machine may have given its controls. A machine
    // schedules at most 8 ticks ahead, and no machine runs more than 8 past any other.
    static constexpr int MAX_LEAD = 120;
    static constexpr size_t MAX_EDITS = 256;           // waiting, all machines together
    static constexpr size_t MAX_KEPT_EDITS = 1u << 16; // of a whole match, kept by the host

    // `seatMachines` by seat: the machine driving it, or NO_MACHINE for a computer seat.
    Lockstep(std::vector<uint8_t> seatMachines, int machines);

    int machines() const { return static_cast<int>(streams.size()); }
    int seatsOf(int machine) const;
    int machineOf(int seat) const { return seatMachines[static_cast<size_t>(seat)]; }

    // Controls of `inputs.machine`'s seats (in seat order) for the ticks from inputs.firstTick
    // on; those already here are let go. False, with `error`, when they leave a gap before the
    // next tick the machine owes, reach more than MAX_LEAD past `playing`, are of another seat
    // count, or are from a machine not in the match. A dropped machine's past its last tick
    // are let go.
    bool add(const Inputs& inputs, int playing, std::string& error);
    // The next tick `machine` owes: it has given every tick before it.
    int next(int machine) const;
    // Up to `most` of `machine`'s ticks from `from` on, as far as they are here and not
    // forgotten, with the tick before them where it is here: what another machine still has to
    // be sent.
    Inputs ticksFrom(int machine, int from, int most) const;
    // `machine`'s seats' controls at `tick` as given, where they are here and not forgotten;
    // else null. Valid until the next change to the lockstep.
    const std::vector<ControlState>* held(int machine, int tick) const;

    // Whether every machine's controls and edits for `tick` are here (a dropped machine's past
    // its last tick always are).
    bool ready(int tick) const;
    // The machines whose controls or edits for `tick` are missing.
    std::vector<int> missing(int tick) const;
    // Seat `seat`'s controls at `tick`; needs ready(tick) and tick not forgotten. A computer
    // seat reads at rest: its player reads the world instead.
    ControlState controls(int tick, int seat) const;

    // An edit `note.machine` made before its tick `note.tick` (or, from the host, a machine's
    // return). False, with `error`, for a tick already played (before `playing`) or more than
    // MAX_LEAD past it, more than MAX_EDITS waiting, or a machine not in the match.
    bool addEdit(const EditNote& note, int playing, std::string& error);
    // The edits to make before `tick`: in machine order, each machine's in the order made and
    // as many as its controls for the tick say.
    std::vector<MatchEdit> editsAt(int tick) const;

    // `machine` is gone after `lastTick` (-1: before any tick).
    void drop(int machine, int lastTick);
    // A dropped `machine` is back from tick `fromTick` on: its seats read at rest until then,
    // and its controls from then on. Where its ticks up to the drop are all here, the ticks
    // at rest are filled in (the host's stream, passed on, holds them too).
    void readmit(int machine, int fromTick);
    bool dropped(int machine) const {
        return lastTicks[static_cast<size_t>(machine)] != KEPT &&
               returns[static_cast<size_t>(machine)] < 0;
    }
    // Every edit and readmission not forgotten, in tick order: what a machine that comes back
    // is sent again.
    const std::vector<EditNote>& allEdits() const { return edits; }
    // The last tick a dropped machine drives its seats; for one still here, its last given.
    int lastTick(int machine) const;

    // A machine that came back at `tick` catches up from tick 0: controls and edits reach up to
    // MAX_LEAD past `tick` whatever it is playing.
    void catchUpTo(int tick) { catchUp = tick; }

    // Lets go of every tick before `tick`, which has been played and sent wherever needed.
    void forget(int tick);

    // Checks the structure's invariants (assertions).
    void validate() const;

private:
    static constexpr int KEPT = -2; // in lastTicks: the machine is still in the match

    struct Stream {
        int first = 0;                               // the tick of ticks.front()
        std::deque<std::vector<ControlState>> ticks; // consecutive, from first
        std::deque<int> edits;                       // per tick: the edits made before it
        int seats = 0;
    };

    bool machineReady(int machine, int tick) const;
    // Whether `machine` was gone at `tick`: after its drop and before its return.
    bool absent(int machine, int tick) const;
    int editsHere(int machine, int tick) const;

    std::vector<uint8_t> seatMachines;
    std::vector<int> seatSlot; // by seat: its place among its machine's seats
    std::vector<Stream> streams;
    std::vector<int> lastTicks;  // by machine: KEPT, or the last tick before the drop
    std::vector<int> returns;    // by machine: the tick it came back at, or -1
    std::vector<EditNote> edits; // not yet forgotten, by tick then machine then arrival
    int catchUp = 0;             // see catchUpTo
};

} // namespace net
