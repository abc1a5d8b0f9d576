#include "net/onlinesession.h"

#include <algorithm>
#include <chrono>

#include "match/matchrules.h"
#include "net/onlinesession_internal.h"

namespace net {

using namespace session;

namespace {

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

OnlineSession::OnlineSession(std::unique_ptr<NetLink> link, bool host, Clock clock)
    : link(std::move(link)), isHost(host), now(clock ? std::move(clock) : Clock(steadySeconds)) {}

OnlineSession::~OnlineSession() {
    if (isHost && currentPhase != Phase::STOPPED) {
        std::string bytes;
        encodeText(MessageType::END, "The host has ended the match.", bytes);
        sendToJoiners(bytes);
        link->flush();
    }
}

std::unique_ptr<OnlineSession> OnlineSession::host(uint16_t port, const std::string& name,
                                                   std::vector<RecordedSeat> seats,
                                                   const std::string& build, std::string& error,
                                                   Clock clock) {
    // Room for one more than a match takes, so that a late joiner hears why it is refused.
    std::unique_ptr<NetLink> link = NetLink::listen(port, MAX_MACHINES, MAX_TO_HOST, error);
    if (!link)
        return nullptr;
    std::unique_ptr<OnlineSession> session(new OnlineSession(std::move(link), true, clock));
    session->buildId = build;
    session->machineName = name;
    session->localSeats = std::move(seats);
    session->gathered.push_back(Machine{name, -1, session->localSeats});
    return session;
}

std::unique_ptr<OnlineSession> OnlineSession::join(const std::string& address, uint16_t port,
                                                   const std::string& name,
                                                   std::vector<RecordedSeat> seats,
                                                   const std::string& build, std::string& error,
                                                   Clock clock) {
    std::unique_ptr<NetLink> link = NetLink::connect(address, port, MAX_FROM_HOST, error);
    if (!link)
        return nullptr;
    std::unique_ptr<OnlineSession> session(new OnlineSession(std::move(link), false, clock));
    session->buildId = build;
    session->machineName = name;
    session->localSeats = std::move(seats);
    session->currentPhase = Phase::CONNECTING;
    return session;
}

void OnlineSession::service(int playing) {
    NetLink::Event event;
    while (currentPhase != Phase::STOPPED && link->poll(event))
        handle(event, playing);
    if (currentPhase == Phase::PLAYING) {
        checkWaiting(playing);
        adaptDelay();
    }
    link->flush();
}

void OnlineSession::handle(const NetLink::Event& event, int playing) {
    using Kind = NetLink::Event::Kind;
    if (isHost) {
        if (event.kind == Kind::CONNECTED) {
            // During the match only a machine that left may come back: its hello says.
            pendingPeers[event.peer] = {};
        } else if (event.kind == Kind::DISCONNECTED) {
            peerLeft(event.peer, "left");
        } else {
            hostReceives(event.peer, event.data, playing);
        }
        return;
    }
    if (event.kind == Kind::CONNECTED) {
        Hello hello;
        hello.build = buildId;
        hello.machineName = machineName;
        hello.seats = localSeats;
        std::string bytes;
        encodeHello(hello, bytes);
        sendToHost(bytes);
    } else if (event.kind == Kind::DISCONNECTED) {
        stop(currentPhase == Phase::CONNECTING ? "No game is hosted there, or it does not answer."
                                               : "The host has left: the match is over.");
    } else {
        joinerReceives(event.data, playing);
    }
}

int OnlineSession::machineOfPeer(int peer) const {
    for (size_t i = 1; i < gathered.size(); ++i)
        if (gathered[i].peer == peer)
            return static_cast<int>(i);
    return -1;
}

void OnlineSession::peerLeft(int peer, const std::string& why) {
    pendingPeers.erase(peer);
    int machine = machineOfPeer(peer);
    link->disconnect(peer);
    if (machine < 0)
        return;
    if (currentPhase == Phase::PLAYING) {
        dropMachine(machine, lockstep->lastTick(machine));
        say(gathered[static_cast<size_t>(machine)].name + " " + why + ": its tanks stand.");
        gathered[static_cast<size_t>(machine)].peer = -1;
        return;
    }
    say(gathered[static_cast<size_t>(machine)].name + " " + why + ".");
    gathered.erase(gathered.begin() + machine);
}

void OnlineSession::dropMachine(int machine, int lastTick) {
    if (lockstep->dropped(machine))
        return;
    lockstep->drop(machine, lastTick);
    if (isHost) {
        std::string bytes;
        encodeDrop(machine, lastTick, bytes);
        sendToJoiners(bytes, machine);
    } else {
        say(gathered[static_cast<size_t>(machine)].name + " has left: its tanks stand.");
    }
}

void OnlineSession::checkWaiting(int playing) {
    std::vector<int> missing = lockstep->missing(playing);
    missing.erase(std::remove(missing.begin(), missing.end(), selfMachine), missing.end());
    if (missing.empty()) {
        waitingSince.reset();
        waitingFor.clear();
        return;
    }
    if (!waitingSince || missing != waitingFor)
        waitingSince = now();
    waitingFor = missing;
    if (!isHost || now() - *waitingSince < DROP_AFTER)
        return;
    for (int machine : missing) {
        int peer = gathered[static_cast<size_t>(machine)].peer;
        dropMachine(machine, lockstep->lastTick(machine));
        link->disconnect(peer);
        gathered[static_cast<size_t>(machine)].peer = -1;
        say(gathered[static_cast<size_t>(machine)].name + " stopped answering: its tanks stand.");
    }
    waitingSince.reset();
    waitingFor.clear();
}

// The controls a machine sends reach the others in about half a round trip, a hop more through
// the host: scheduled that far ahead and two ticks more, nobody waits for them.
void OnlineSession::adaptDelay() {
    uint32_t roundTrip = 0;
    if (isHost) {
        for (size_t i = 1; i < gathered.size(); ++i)
            if (gathered[i].peer >= 0)
                roundTrip = std::max(roundTrip, link->roundTrip(gathered[i].peer));
    } else {
        roundTrip = link->roundTrip(0);
    }
    int ticks = static_cast<int>(roundTrip / 1000.0 / TICK + 0.999) + 2;
    delay = std::clamp(ticks, DEFAULT_DELAY, MAX_DELAY);
}

std::string OnlineSession::waitingText() const {
    if (!waitingSince || waitingFor.empty() || now() - *waitingSince < WAIT_SHOWN)
        return std::string();
    std::string names;
    for (int machine : waitingFor)
        names += (names.empty() ? "" : ", ") + gathered[static_cast<size_t>(machine)].name;
    return "Waiting for " + names + "...";
}

void OnlineSession::beginMatch(const Start& start, int self) {
    started = start;
    selfMachine = self;
    int count = static_cast<int>(start.machineNames.size());
    lockstep = std::make_unique<Lockstep>(start.seatMachines, count);
    if (!isHost) {
        gathered.clear();
        for (const std::string& name : start.machineNames)
            gathered.push_back(Machine{name, -1, {}});
        for (size_t seat = 0; seat < start.header.seats.size(); ++seat)
            if (start.seatMachines[seat] != NO_MACHINE)
                gathered[start.seatMachines[seat]].seats.push_back(start.header.seats[seat]);
    }
    acked.assign(static_cast<size_t>(count), std::vector<int>(static_cast<size_t>(count), 0));
    currentPhase = Phase::PLAYING;
}

void OnlineSession::stop(const std::string& message) {
    if (currentPhase == Phase::STOPPED)
        return;
    currentPhase = Phase::STOPPED;
    stopText = message;
    say(message);
    link->flush();
}

void OnlineSession::say(const std::string& line) {
    messages.push_back(line);
}

std::vector<std::string> OnlineSession::takeMessages() {
    std::vector<std::string> out;
    out.swap(messages);
    return out;
}

void OnlineSession::sendToHost(const std::string& bytes) {
    link->send(0, bytes);
}

void OnlineSession::sendToOthers(const std::string& bytes) {
    if (isHost)
        sendToJoiners(bytes);
    else
        sendToHost(bytes);
}

void OnlineSession::sendToJoiners(const std::string& bytes, int exceptMachine) {
    for (size_t machine = 1; machine < gathered.size(); ++machine)
        if (static_cast<int>(machine) != exceptMachine && gathered[machine].peer >= 0)
            link->send(gathered[machine].peer, bytes);
}

} // namespace net
