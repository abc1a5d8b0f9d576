#include "net/onlinesession.h"

#include <algorithm>

#include "match/matchrules.h"
#include "net/inputstream.h"
#include "net/onlinesession_internal.h"

namespace net {

using namespace session;

void OnlineSession::hostReceives(int peer, const std::vector<uint8_t>& data, int playing) {
    MessageType type;
    if (!messageType(data.data(), data.size(), type)) {
        peerLeft(peer, "was dropped: it sent a message of no known kind");
        return;
    }
    int machine = machineOfPeer(peer);
    if (machine < 0) {
        if (type == MessageType::HELLO && pendingPeers.count(peer))
            takeHello(peer, data);
        else
            peerLeft(peer, "was dropped: it spoke out of turn");
        return;
    }
    std::string error;
    TickNote note;
    switch (type) {
    case MessageType::INPUTS:
        if (currentPhase != Phase::PLAYING) {
            peerLeft(peer, "was dropped: it sent inputs before the match");
            return;
        }
        takeInputs(peer, data, playing);
        return;
    case MessageType::HASH:
        if (currentPhase != Phase::PLAYING || !decodeHash(data.data(), data.size(), note, error)) {
            peerLeft(peer, "was dropped: " + (error.empty() ? "a hash before the match" : error));
            return;
        }
        takeHash(machine, note.tick, note.hash);
        return;
    case MessageType::DESYNC:
        if (currentPhase != Phase::PLAYING ||
            !decodeDesync(data.data(), data.size(), note, error)) {
            peerLeft(peer, "was dropped: a bad out-of-sync note");
            return;
        }
        outOfSync(note.tick);
        return;
    case MessageType::EDIT:
        if (currentPhase != Phase::PLAYING || !takeEdit(machine, data, playing, error))
            peerLeft(peer, "was dropped: " + (error.empty() ? "an edit before the match" : error));
        return;
    default:
        peerLeft(peer, "was dropped: it spoke out of turn");
        return;
    }
}

void OnlineSession::takeHello(int peer, const std::vector<uint8_t>& data) {
    Hello hello;
    std::string error;
    std::string bytes;
    if (!decodeHello(data.data(), data.size(), hello, error)) {
        pendingPeers.erase(peer);
        say("A machine was refused: " + error + ".");
        link->disconnect(peer);
        return;
    }
    if (hello.protocol != PROTOCOL_VERSION || hello.build != buildId) {
        std::string why = "This machine runs " + versionText(hello.protocol, hello.build) +
                          "; the host runs " + versionText(PROTOCOL_VERSION, buildId) + ".";
        encodeText(MessageType::REFUSE, why, bytes);
        link->send(peer, bytes);
        pendingPeers.erase(peer);
        link->disconnect(peer);
        say("Refused " + hello.machineName + ": it runs " +
            versionText(hello.protocol, hello.build) + "; this machine runs " +
            versionText(PROTOCOL_VERSION, buildId) + ".");
        return;
    }
    if (currentPhase == Phase::PLAYING) {
        comeBack(peer, hello);
        return;
    }
    int seated = 0;
    for (const Machine& machine : gathered)
        seated += static_cast<int>(machine.seats.size());
    if (seated >= MAX_PLAYERS || static_cast<int>(gathered.size()) >= MAX_MACHINES) {
        encodeText(MessageType::REFUSE, "The match is full.", bytes);
        link->send(peer, bytes);
        pendingPeers.erase(peer);
        link->disconnect(peer);
        say("Refused " + hello.machineName + ": the match is full.");
        return;
    }
    // Only as many of its players as leave six tanks in all.
    hello.seats.resize(std::min(hello.seats.size(), static_cast<size_t>(MAX_PLAYERS - seated)));
    pendingPeers.erase(peer);
    gathered.push_back(Machine{hello.machineName, peer, hello.seats});
    Welcome welcome;
    welcome.build = buildId;
    encodeWelcome(welcome, bytes);
    link->send(peer, bytes);
    say(hello.machineName + " joined with " + std::to_string(hello.seats.size()) +
        (hello.seats.size() == 1 ? " player." : " players."));
}

// A machine that left the match, back under the same name with as many players: it takes its
// seats again from the next tick this host schedules, which nobody has played. It gets the
// match, every edit and every machine's controls so far, and plays them all to catch up.
void OnlineSession::comeBack(int peer, const Hello& hello) {
    std::string bytes;
    int machine = -1;
    for (size_t m = 1; m < gathered.size() && machine < 0; ++m)
        if (gathered[m].peer < 0 && lockstep->dropped(static_cast<int>(m)) &&
            gathered[m].name == hello.machineName && hello.seats.size() >= gathered[m].seats.size())
            machine = static_cast<int>(m);
    pendingPeers.erase(peer);
    if (machine < 0) {
        encodeText(MessageType::REFUSE, "The match has already started.", bytes);
        link->send(peer, bytes);
        link->disconnect(peer);
        say("Refused " + hello.machineName + ": the match has already started.");
        return;
    }
    EditNote back;
    back.machine = 0;
    back.tick = nextScheduled;
    back.readmit = machine;
    std::string error;
    if (!lockstep->addEdit(back, nextScheduled, error)) {
        encodeText(MessageType::REFUSE, "The match cannot take a machine back now.", bytes);
        link->send(peer, bytes);
        link->disconnect(peer);
        return;
    }
    ++editsBeforeNext;
    lockstep->readmit(machine, back.tick);
    gathered[static_cast<size_t>(machine)].peer = peer;
    Welcome welcome;
    welcome.build = buildId;
    encodeWelcome(welcome, bytes);
    link->send(peer, bytes);
    Start start = started;
    start.self = machine;
    bytes.clear();
    encodeStart(start, bytes);
    link->send(peer, bytes);
    // Its return first: it says how far the rest reaches.
    bytes.clear();
    encodeEdit(back, bytes);
    link->send(peer, bytes);
    for (const EditNote& note : lockstep->allEdits()) {
        if (note.readmit == machine && note.tick == back.tick)
            continue;
        bytes.clear();
        encodeEdit(note, bytes);
        link->send(peer, bytes);
    }
    // Who is away, so that it does not wait for them.
    for (int other = 1; other < lockstep->machines(); ++other)
        if (other != machine && lockstep->dropped(other)) {
            bytes.clear();
            encodeDrop(other, lockstep->lastTick(other), bytes);
            link->send(peer, bytes);
        }
    // Everything played so far, reliably, in pieces a message takes.
    for (int source = 0; source < lockstep->machines(); ++source) {
        for (int from = 0; from < lockstep->next(source); from += MAX_TICKS_PER_MESSAGE) {
            InputsMessage history;
            history.streams.push_back(lockstep->ticksFrom(source, from, MAX_TICKS_PER_MESSAGE));
            bytes.clear();
            encodeInputs(history, bytes);
            link->send(peer, bytes);
        }
        acked[static_cast<size_t>(machine)][static_cast<size_t>(source)] = lockstep->next(source);
    }
    bytes.clear();
    encodeEdit(back, bytes);
    sendToJoiners(bytes, machine);
    say(hello.machineName + " is back: its tanks play again from tick " +
        std::to_string(back.tick) + ".");
}

bool OnlineSession::startMatch(const LevelSource& level, const MatchSettings& settings,
                               uint32_t seed, std::string& error) {
    if (!isHost || currentPhase != Phase::LOBBY) {
        error = "only the host starts the match, once";
        return false;
    }
    Start start;
    start.header.level = level;
    start.header.seed = seed;
    start.header.settings = settings;
    for (size_t machine = 0; machine < gathered.size(); ++machine) {
        start.machineNames.push_back(gathered[machine].name);
        for (const RecordedSeat& seat : gathered[machine].seats) {
            start.header.seats.push_back(seat);
            start.seatMachines.push_back(static_cast<uint8_t>(machine));
        }
    }
    for (int i = 0; i < settings.computerTanks && start.header.seats.size() < MAX_PLAYERS; ++i) {
        RecordedSeat computer;
        computer.kind = SeatKind::COMPUTER;
        computer.name = "Computer";
        computer.difficulty = settings.difficulty;
        start.header.seats.push_back(computer);
        start.seatMachines.push_back(NO_MACHINE);
    }
    start.header.settings.computerTanks = static_cast<int>(
        std::count(start.seatMachines.begin(), start.seatMachines.end(), NO_MACHINE));
    for (size_t machine = 1; machine < gathered.size(); ++machine) {
        start.self = static_cast<int>(machine);
        std::string bytes;
        encodeStart(start, bytes);
        link->send(gathered[machine].peer, bytes);
    }
    start.self = 0;
    // Whoever connected and has not said hello yet is not in this match.
    for (const auto& pending : pendingPeers)
        link->disconnect(pending.first);
    pendingPeers.clear();
    beginMatch(start, 0);
    link->flush();
    return true;
}

} // namespace net
