#pragma once

// A plain model of the lockstep, for its tests and the net fuzzer: by machine, every tick it gave
// in a vector from tick 0, and the ticks it was dropped after and came back at; every edit in the
// order it came. Each answer is read from these as the lockstep's header words it, with the
// reach of ticks reckoned in 64 bits. differs() names the first answer the lockstep gives
// otherwise.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "net/lockstep.h"

namespace locksteptest {

class LockstepModel {
public:
    LockstepModel(std::vector<uint8_t> seats, int machines)
        : seatMachines(std::move(seats)), of(static_cast<size_t>(machines)) {
        for (uint8_t m : seatMachines)
            if (m != net::NO_MACHINE)
                ++of[m].seats;
    }

    int machines() const { return static_cast<int>(of.size()); }
    int seats() const { return static_cast<int>(seatMachines.size()); }
    int seatsOf(int m) const { return at(m).seats; }
    int next(int m) const { return static_cast<int>(at(m).ticks.size()); }
    bool dropped(int m) const { return at(m).last && at(m).back < 0; }
    int lastTick(int m) const { return dropped(m) ? *at(m).last : next(m) - 1; }
    bool absent(int m, int t) const {
        return at(m).last && t > *at(m).last && (at(m).back < 0 || t < at(m).back);
    }

    bool add(const net::Inputs& in, int playing) {
        if (in.machine < 0 || in.machine >= machines() || in.firstTick > next(in.machine))
            return false;
        Machine& m = of[static_cast<size_t>(in.machine)];
        int64_t last = int64_t{in.firstTick} + static_cast<int64_t>(in.ticks.size()) - 1;
        if (last > reach(playing) ||
            std::any_of(in.ticks.begin(), in.ticks.end(), [&](const auto& seats) {
                return static_cast<int>(seats.size()) != m.seats;
            }))
            return false;
        if (dropped(in.machine))
            last = std::min<int64_t>(last, *m.last);
        for (int64_t t = next(in.machine); t <= last; ++t) {
            size_t i = static_cast<size_t>(t - in.firstTick);
            m.ticks.push_back(in.ticks[i]);
            m.edits.push_back(i < in.edits.size() ? in.edits[i] : 0);
        }
        return true;
    }
    bool addEdit(const net::EditNote& note, int playing) {
        // The edits before a return's tick are the match so far, sent again: they count apart.
        int from = std::max(playing, catchUp);
        long waiting = std::count_if(notes.begin(), notes.end(),
                                     [&](const net::EditNote& n) { return n.tick >= from; });
        if (note.machine < 0 || note.machine >= machines() || note.tick < playing ||
            note.tick > reach(playing) || waiting >= static_cast<long>(net::Lockstep::MAX_EDITS) ||
            notes.size() >= net::Lockstep::MAX_KEPT_EDITS)
            return false;
        notes.push_back(note);
        return true;
    }
    void drop(int m, int last) {
        if (dropped(m))
            return;
        of[static_cast<size_t>(m)].last = last;
        of[static_cast<size_t>(m)].back = -1;
    }
    // Where every tick up to the drop is here, the ticks away are filled at rest.
    void readmit(int m, int from) {
        if (!dropped(m))
            return;
        Machine& machine = of[static_cast<size_t>(m)];
        machine.back = from;
        if (next(m) != *machine.last + 1)
            return;
        for (int t = *machine.last + 1; t < from; ++t) {
            machine.ticks.emplace_back(static_cast<size_t>(machine.seats));
            machine.edits.push_back(0);
        }
    }
    void catchUpTo(int tick) { catchUp = tick; }
    void forget(int tick) {
        notes.erase(std::remove_if(notes.begin(), notes.end(),
                                   [&](const net::EditNote& n) { return n.tick < tick; }),
                    notes.end());
        for (Machine& m : of)
            m.first = std::max(m.first, std::min(tick, static_cast<int>(m.ticks.size())));
    }

    bool ready(int t, int m) const {
        return absent(m, t) || t < at(m).first ||
               (t < next(m) && notesOf(m, t).size() >= static_cast<size_t>(at(m).edits[t]));
    }
    std::vector<int> missing(int t) const {
        std::vector<int> out;
        for (int m = 0; m < machines(); ++m)
            if (!ready(t, m))
                out.push_back(m);
        return out;
    }
    ControlState controls(int t, int seat) const {
        int m = seatMachines[static_cast<size_t>(seat)];
        if (m == net::NO_MACHINE || absent(m, t))
            return ControlState();
        long slot = std::count(seatMachines.begin(), seatMachines.begin() + seat, m);
        return at(m).ticks[static_cast<size_t>(t)][static_cast<size_t>(slot)];
    }
    // A machine's edits before a tick it drives: the first as many as it said, in the order
    // they came. A return is no edit of the match.
    std::vector<MatchEdit> editsAt(int t) const {
        std::vector<MatchEdit> out;
        for (int m = 0; m < machines(); ++m) {
            if (absent(m, t) || t < at(m).first || t >= next(m))
                continue;
            std::vector<net::EditNote> made = notesOf(m, t);
            made.resize(std::min(made.size(), static_cast<size_t>(at(m).edits[t])));
            for (const net::EditNote& note : made)
                if (note.readmit < 0)
                    out.push_back(note.edit);
        }
        return out;
    }
    net::Inputs ticksFrom(int m, int from, int most) const {
        net::Inputs out{m, std::max(from, at(m).first), {}, {}, {}};
        for (int t = out.firstTick; t < next(m) && static_cast<int>(out.ticks.size()) < most; ++t) {
            out.ticks.push_back(at(m).ticks[static_cast<size_t>(t)]);
            out.edits.push_back(at(m).edits[static_cast<size_t>(t)]);
        }
        int before = out.firstTick - 1;
        if (before >= at(m).first && before < next(m))
            out.before = at(m).ticks[static_cast<size_t>(before)];
        return out;
    }

private:
    struct Machine {
        int seats = 0;
        std::vector<std::vector<ControlState>> ticks; // from tick 0: every one it gave
        std::vector<int> edits;                       // by tick: the edits it made before it
        int first = 0;                                // the ticks before it are forgotten
        std::optional<int> last;                      // dropped after it
        int back = -1;                                // back from it
    };
    const Machine& at(int m) const { return of[static_cast<size_t>(m)]; }
    int64_t reach(int playing) const {
        return int64_t{std::max(playing, catchUp)} + net::Lockstep::MAX_LEAD;
    }
    std::vector<net::EditNote> notesOf(int m, int t) const {
        std::vector<net::EditNote> out;
        std::copy_if(notes.begin(), notes.end(), std::back_inserter(out),
                     [&](const net::EditNote& n) { return n.machine == m && n.tick == t; });
        return out;
    }

    std::vector<uint8_t> seatMachines;
    std::vector<Machine> of;
    std::vector<net::EditNote> notes; // in the order they came
    int catchUp = 0;
};

// The first answer in which `lockstep` and `model` differ, for every machine (up to `span` of its
// ticks from three places) and the ticks from `playing` to `until` (their controls and edits
// where ready), or "" where they agree.
inline std::string differs(const net::Lockstep& lockstep, const LockstepModel& model, int playing,
                           int until, int span = 16) {
    for (int m = 0; m < model.machines(); ++m) {
        std::string of = " of machine " + std::to_string(m);
        if (lockstep.next(m) != model.next(m) || lockstep.dropped(m) != model.dropped(m) ||
            lockstep.lastTick(m) != model.lastTick(m))
            return "next or drop" + of;
        for (int from : {0, playing, model.next(m) - 3}) {
            net::Inputs a = lockstep.ticksFrom(m, from, span), b = model.ticksFrom(m, from, span);
            if (std::tie(a.machine, a.firstTick, a.ticks, a.edits, a.before) !=
                std::tie(b.machine, b.firstTick, b.ticks, b.edits, b.before))
                return "ticks from " + std::to_string(from) + of;
        }
    }
    for (int t = playing; t <= until; ++t) {
        std::string at = " at tick " + std::to_string(t);
        std::vector<int> missing = model.missing(t);
        if (lockstep.missing(t) != missing || lockstep.ready(t) != missing.empty())
            return "missing" + at;
        for (int seat = 0; missing.empty() && seat < model.seats(); ++seat)
            if (lockstep.controls(t, seat) != model.controls(t, seat))
                return "controls of seat " + std::to_string(seat) + at;
        if (!missing.empty())
            continue;
        std::vector<MatchEdit> a = lockstep.editsAt(t), b = model.editsAt(t);
        bool same = a.size() == b.size();
        for (size_t i = 0; same && i < a.size(); ++i)
            same = std::tie(a[i].kind, a[i].seat, a[i].value) ==
                   std::tie(b[i].kind, b[i].seat, b[i].value);
        if (!same)
            return "edits" + at;
    }
    return "";
}

} // namespace locksteptest
