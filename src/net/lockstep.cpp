#include "net/lockstep.h"

#include <algorithm>
#include <cassert>

namespace net {

Lockstep::Lockstep(std::vector<uint8_t> seats, int machineCount)
    : seatMachines(std::move(seats)), seatSlot(seatMachines.size(), -1),
      streams(static_cast<size_t>(machineCount)),
      lastTicks(static_cast<size_t>(machineCount), KEPT),
      returns(static_cast<size_t>(machineCount), -1) {
    for (size_t seat = 0; seat < seatMachines.size(); ++seat) {
        uint8_t machine = seatMachines[seat];
        if (machine == NO_MACHINE)
            continue;
        assert(machine < streams.size());
        seatSlot[seat] = streams[machine].seats++;
    }
}

int Lockstep::seatsOf(int machine) const {
    return streams[static_cast<size_t>(machine)].seats;
}

int Lockstep::next(int machine) const {
    const Stream& stream = streams[static_cast<size_t>(machine)];
    return stream.first + static_cast<int>(stream.ticks.size());
}

int Lockstep::lastTick(int machine) const {
    return dropped(machine) ? lastTicks[static_cast<size_t>(machine)] : next(machine) - 1;
}

bool Lockstep::absent(int machine, int tick) const {
    int last = lastTicks[static_cast<size_t>(machine)];
    int back = returns[static_cast<size_t>(machine)];
    return last != KEPT && tick > last && (back < 0 || tick < back);
}

bool Lockstep::add(const Inputs& inputs, int playing, std::string& error) {
    if (inputs.machine < 0 || inputs.machine >= machines()) {
        error = "inputs of machine " + std::to_string(inputs.machine) + ", not in the match";
        return false;
    }
    Stream& stream = streams[static_cast<size_t>(inputs.machine)];
    int expected = next(inputs.machine);
    if (inputs.firstTick > expected) {
        error = "inputs from tick " + std::to_string(inputs.firstTick) + " where tick " +
                std::to_string(expected) + " was owed";
        return false;
    }
    int last = inputs.firstTick + static_cast<int>(inputs.ticks.size()) - 1;
    if (last > int64_t{std::max(playing, catchUp)} + MAX_LEAD) {
        error = "inputs for tick " + std::to_string(last) + ", far ahead of tick " +
                std::to_string(playing);
        return false;
    }
    for (const std::vector<ControlState>& tick : inputs.ticks)
        if (static_cast<int>(tick.size()) != stream.seats) {
            error = "inputs for " + std::to_string(tick.size()) + " seats of a machine with " +
                    std::to_string(stream.seats);
            return false;
        }
    if (dropped(inputs.machine))
        last = std::min(last, lastTicks[static_cast<size_t>(inputs.machine)]);
    // Invariant: the stream holds every tick before `tick`; ticks already here are let go.
    for (int tick = expected; tick <= last; ++tick) {
        size_t at = static_cast<size_t>(tick - inputs.firstTick);
        stream.ticks.push_back(inputs.ticks[at]);
        stream.edits.push_back(at < inputs.edits.size() ? inputs.edits[at] : 0);
    }
    return true;
}

Inputs Lockstep::ticksFrom(int machine, int from, int most) const {
    const Stream& stream = streams[static_cast<size_t>(machine)];
    Inputs out;
    out.machine = machine;
    out.firstTick = std::max(from, stream.first);
    for (int tick = out.firstTick;
         tick < next(machine) && static_cast<int>(out.ticks.size()) < most; ++tick) {
        out.ticks.push_back(stream.ticks[static_cast<size_t>(tick - stream.first)]);
        out.edits.push_back(stream.edits[static_cast<size_t>(tick - stream.first)]);
    }
    if (const std::vector<ControlState>* before = held(machine, out.firstTick - 1))
        out.before = *before;
    return out;
}

const std::vector<ControlState>* Lockstep::held(int machine, int tick) const {
    if (machine < 0 || machine >= machines())
        return nullptr;
    const Stream& stream = streams[static_cast<size_t>(machine)];
    if (tick < stream.first || tick - stream.first >= static_cast<int>(stream.ticks.size()))
        return nullptr;
    return &stream.ticks[static_cast<size_t>(tick - stream.first)];
}

int Lockstep::editsHere(int machine, int tick) const {
    int count = 0;
    for (const EditNote& note : edits)
        count += note.machine == machine && note.tick == tick;
    return count;
}

bool Lockstep::machineReady(int machine, int tick) const {
    if (absent(machine, tick))
        return true;
    if (next(machine) <= tick)
        return false;
    const Stream& stream = streams[static_cast<size_t>(machine)];
    if (tick < stream.first)
        return true; // forgotten: played already
    return editsHere(machine, tick) >= stream.edits[static_cast<size_t>(tick - stream.first)];
}

bool Lockstep::ready(int tick) const {
    for (int machine = 0; machine < machines(); ++machine)
        if (!machineReady(machine, tick))
            return false;
    return true;
}

std::vector<int> Lockstep::missing(int tick) const {
    std::vector<int> out;
    for (int machine = 0; machine < machines(); ++machine)
        if (!machineReady(machine, tick))
            out.push_back(machine);
    return out;
}

ControlState Lockstep::controls(int tick, int seat) const {
    uint8_t machine = seatMachines[static_cast<size_t>(seat)];
    if (machine == NO_MACHINE || absent(machine, tick))
        return ControlState();
    const Stream& stream = streams[machine];
    assert(tick >= stream.first && tick < next(machine));
    return stream.ticks[static_cast<size_t>(tick - stream.first)]
                       [static_cast<size_t>(seatSlot[static_cast<size_t>(seat)])];
}

bool Lockstep::addEdit(const EditNote& note, int playing, std::string& error) {
    if (note.machine < 0 || note.machine >= machines()) {
        error = "an edit of a machine not in the match";
        return false;
    }
    if (note.tick < playing || note.tick > int64_t{std::max(playing, catchUp)} + MAX_LEAD) {
        error = "an edit for tick " + std::to_string(note.tick) + ", not one still to come";
        return false;
    }
    // A machine come back is sent the edits of the match so far: those count apart.
    int from = std::max(playing, catchUp);
    size_t waiting = static_cast<size_t>(std::count_if(
        edits.begin(), edits.end(), [from](const EditNote& e) { return e.tick >= from; }));
    if (waiting >= MAX_EDITS || edits.size() >= MAX_KEPT_EDITS) {
        error = "more edits than a match takes at once";
        return false;
    }
    // Invariant: edits stay sorted by (tick, machine), arrivals of a key in order.
    auto at = std::upper_bound(
        edits.begin(), edits.end(), note, [](const EditNote& a, const EditNote& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.machine < b.machine;
        });
    edits.insert(at, note);
    return true;
}

std::vector<MatchEdit> Lockstep::editsAt(int tick) const {
    std::vector<MatchEdit> out;
    std::vector<int> taken(streams.size(), 0);
    for (const EditNote& note : edits) {
        if (note.tick != tick)
            continue;
        const Stream& stream = streams[static_cast<size_t>(note.machine)];
        bool given =
            tick >= stream.first && tick < next(note.machine) && !absent(note.machine, tick);
        // A return counts among the host's notes before the tick, but changes no match.
        if (given &&
            taken[static_cast<size_t>(note.machine)]++ <
                stream.edits[static_cast<size_t>(tick - stream.first)] &&
            note.readmit < 0)
            out.push_back(note.edit);
    }
    return out;
}

void Lockstep::drop(int machine, int lastTick) {
    if (dropped(machine))
        return;
    lastTicks[static_cast<size_t>(machine)] = lastTick;
    returns[static_cast<size_t>(machine)] = -1;
}

void Lockstep::readmit(int machine, int fromTick) {
    if (!dropped(machine))
        return;
    int last = lastTicks[static_cast<size_t>(machine)];
    returns[static_cast<size_t>(machine)] = fromTick;
    Stream& stream = streams[static_cast<size_t>(machine)];
    if (next(machine) != last + 1)
        return; // its last ticks are still on their way; the rest follow them
    std::vector<ControlState> atRest(static_cast<size_t>(stream.seats));
    for (int tick = last + 1; tick < fromTick; ++tick) {
        stream.ticks.push_back(atRest);
        stream.edits.push_back(0);
    }
}

void Lockstep::forget(int tick) {
    edits.erase(std::remove_if(edits.begin(), edits.end(),
                               [tick](const EditNote& note) { return note.tick < tick; }),
                edits.end());
    for (Stream& stream : streams)
        while (!stream.ticks.empty() && stream.first < tick) {
            stream.ticks.pop_front();
            stream.edits.pop_front();
            ++stream.first;
        }
}

void Lockstep::validate() const {
    assert(seatSlot.size() == seatMachines.size());
    assert(lastTicks.size() == streams.size() && returns.size() == streams.size());
    for (const Stream& stream : streams) {
        assert(stream.first >= 0);
        assert(stream.ticks.size() == stream.edits.size());
        for (const std::vector<ControlState>& tick : stream.ticks)
            assert(static_cast<int>(tick.size()) == stream.seats);
        (void)stream;
    }
}

} // namespace net
