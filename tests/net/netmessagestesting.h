#pragma once

// Whether two of the messages machines send each other hold the same values, for the message
// tests and the net fuzzer.

#include <algorithm>
#include <tuple>
#include <vector>

#include "net/inputstream.h"
#include "net/netprotocol.h"

namespace nettest {

inline bool sameSeats(const std::vector<RecordedSeat>& a, const std::vector<RecordedSeat>& b) {
    bool same = a.size() == b.size();
    for (size_t i = 0; same && i < a.size(); ++i)
        same = std::tie(a[i].kind, a[i].name, a[i].difficulty) ==
               std::tie(b[i].kind, b[i].name, b[i].difficulty);
    return same;
}
inline bool sameHello(const net::Hello& a, const net::Hello& b) {
    return std::tie(a.protocol, a.build, a.machineName) ==
               std::tie(b.protocol, b.build, b.machineName) &&
           sameSeats(a.seats, b.seats);
}
inline bool sameWelcome(const net::Welcome& a, const net::Welcome& b) {
    return a.protocol == b.protocol && a.build == b.build;
}
inline bool sameStart(const net::Start& a, const net::Start& b) {
    const RecordHeader &x = a.header, &y = b.header;
    return std::tie(a.machineNames, a.self, a.seatMachines, x.level.name, x.level.text, x.seed,
                    x.settings.roundsToWin, x.settings.computerTanks, x.settings.difficulty) ==
               std::tie(b.machineNames, b.self, b.seatMachines, y.level.name, y.level.text, y.seed,
                        y.settings.roundsToWin, y.settings.computerTanks, y.settings.difficulty) &&
           sameSeats(x.seats, y.seats);
}
inline bool sameNote(const net::TickNote& a, const net::TickNote& b) {
    return std::tie(a.tick, a.hash, a.machine) == std::tie(b.tick, b.hash, b.machine);
}
inline bool sameEdit(const net::EditNote& a, const net::EditNote& b) {
    return std::tie(a.machine, a.tick, a.readmit, a.edit.kind, a.edit.seat, a.edit.value) ==
           std::tie(b.machine, b.tick, b.readmit, b.edit.kind, b.edit.seat, b.edit.value);
}
inline bool sameInputs(const net::InputsMessage& a, const net::InputsMessage& b) {
    bool same = a.acks.size() == b.acks.size() && a.streams.size() == b.streams.size();
    for (size_t i = 0; same && i < a.acks.size(); ++i)
        same = a.acks[i].machine == b.acks[i].machine && a.acks[i].next == b.acks[i].next;
    for (size_t i = 0; same && i < a.streams.size(); ++i) {
        const net::Inputs &x = a.streams[i], &y = b.streams[i];
        same = std::tie(x.machine, x.firstTick, x.ticks, x.edits, x.before) ==
               std::tie(y.machine, y.firstTick, y.ticks, y.edits, y.before);
    }
    return same;
}

// Reads INPUTS as a receiver that holds no ticks yet: a stream coded against the tick before
// its first is not read, and is left out.
inline bool decodeInputsAlone(const uint8_t* data, size_t size, net::InputsMessage& message,
                              std::string& error) {
    if (!net::decodeInputs(data, size, message, error))
        return false;
    std::vector<net::Inputs>& streams = message.streams;
    streams.erase(std::remove_if(streams.begin(), streams.end(),
                                 [](const net::Inputs& s) { return s.ticks.empty(); }),
                  streams.end());
    return true;
}

} // namespace nettest
