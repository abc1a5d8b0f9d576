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
// still in the match has given its seats' controls for it. Each machine's ticks come in order,
// none left out, from tick 0; a machine dropped after tick L reads at rest and unplugged
// (ControlState()) from L + 1 on, as an unplugged pad does, on every machine alike.
//
// Holds the ticks not yet forgotten: about MAX_LEAD ticks a machine at most, so a peer cannot
// make it grow without bound.
class Lockstep {
public:
    // How far past the tick being played a machine may have given its controls. A machine
    // schedules at most 8 ticks ahead, and no machine runs more than 8 past any other.
    static constexpr int MAX_LEAD = 120;

    // `seatMachines` by seat: the machine driving it, or NO_MACHINE for a computer seat.
    Lockstep(std::vector<uint8_t> seatMachines, int machines);

    int machines() const { return static_cast<int>(streams.size()); }
    int seatsOf(int machine) const;
    int machineOf(int seat) const { return seatMachines[static_cast<size_t>(seat)]; }

    // The controls of `machine`'s seats (in seat order) for the ticks from inputs.firstTick on.
    // False, with `error`, when they are out of turn (not the next tick the machine owes), more
    // than MAX_LEAD past `playing`, of another seat count, or from a machine that has gone.
    bool add(const Inputs& inputs, int playing, std::string& error);
    // The next tick `machine` owes.
    int next(int machine) const;

    // Whether every machine's controls for `tick` are here (a dropped machine's always are).
    bool ready(int tick) const;
    // The machines whose controls for `tick` are missing.
    std::vector<int> missing(int tick) const;
    // Seat `seat`'s controls at `tick`; needs ready(tick) and tick not forgotten. A computer
    // seat reads at rest: its player reads the world instead.
    ControlState controls(int tick, int seat) const;

    // `machine` is gone after `lastTick` (-1: before any tick). Later controls of it are
    // refused; those it gave for later ticks are ignored.
    void drop(int machine, int lastTick);
    bool dropped(int machine) const { return lastTicks[static_cast<size_t>(machine)] != KEPT; }
    // The last tick a dropped machine drives its seats; for one still here, its last given.
    int lastTick(int machine) const;

    // An edit `machine` makes before its tick `tick`, which it has not given controls for yet
    // (so that it reaches every machine before they may play that tick). False, with `error`,
    // for a tick it has given, one more than MAX_LEAD past `playing`, more than MAX_EDITS
    // waiting, or a machine that has gone.
    bool addEdit(const EditNote& note, int playing, std::string& error);
    // The edits to make before `tick`, in machine order (each machine's in the order made);
    // a dropped machine's after its last tick are not among them.
    std::vector<MatchEdit> editsAt(int tick) const;
    static constexpr size_t MAX_EDITS = 256; // waiting, all machines together

    // Lets go of every tick before `tick`, which has been played.
    void forget(int tick);

    // Checks the structure's invariants (assertions).
    void validate() const;

private:
    static constexpr int KEPT = -2; // in lastTicks: the machine is still in the match

    struct Stream {
        int first = 0;                               // the tick of ticks.front()
        std::deque<std::vector<ControlState>> ticks; // consecutive, from first
        int seats = 0;
    };

    std::vector<uint8_t> seatMachines;
    std::vector<int> seatSlot; // by seat: its place among its machine's seats
    std::vector<Stream> streams;
    std::vector<int> lastTicks;  // by machine: KEPT, or the last tick before the drop
    std::vector<EditNote> edits; // not yet forgotten, by tick then machine then arrival
};

} // namespace net
