#include "net/onlinesession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "match/matchrules.h"
#include "net/inputstream.h"

namespace net {

namespace {

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Hashes a machine may have sent ahead of this one's: past that, it is flooding.
constexpr size_t MAX_PENDING_HASHES = 64;
// Ticks of controls a machine may leave unconfirmed (ten seconds): past that it is not
// taking them, and holding them for it would grow without bound.
constexpr int MAX_UNCONFIRMED = 600;
// Ticks one frame may play to catch up with the others.
constexpr double TICK = 1.0 / 60;

std::string versionText(uint16_t protocol, const std::string& build) {
    return "Quorl " + build + " (network protocol " + std::to_string(protocol) + ")";
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

void OnlineSession::joinerReceives(const std::vector<uint8_t>& data, int playing) {
    MessageType type;
    std::string error;
    TickNote note;
    if (!messageType(data.data(), data.size(), type)) {
        stop("The host sent a message of no known kind.");
        return;
    }
    switch (type) {
    case MessageType::WELCOME: {
        Welcome welcome;
        if (currentPhase != Phase::CONNECTING ||
            !decodeWelcome(data.data(), data.size(), welcome, error))
            break;
        if (welcome.protocol != PROTOCOL_VERSION || welcome.build != buildId) {
            stop("The host runs " + versionText(welcome.protocol, welcome.build) +
                 "; this machine runs " + versionText(PROTOCOL_VERSION, buildId) + ".");
            return;
        }
        currentPhase = Phase::LOBBY;
        say("Joined: waiting for the host to start the match.");
        return;
    }
    case MessageType::REFUSE:
    case MessageType::END: {
        std::string text;
        if (!decodeText(data.data(), data.size(), text, error))
            break;
        stop(type == MessageType::REFUSE ? "The host refused this machine: " + text : text);
        return;
    }
    case MessageType::START: {
        Start start;
        if (currentPhase != Phase::LOBBY || !decodeStart(data.data(), data.size(), start, error))
            break;
        if (start.self == 0) {
            error = "a start naming this machine the host";
            break;
        }
        beginMatch(start, start.self);
        return;
    }
    case MessageType::INPUTS:
        // Unreliable, they may overtake the start that comes before them: let them go.
        if (currentPhase == Phase::PLAYING)
            takeInputs(0, data, playing);
        return;
    case MessageType::HASH:
        if (currentPhase != Phase::PLAYING || !decodeHash(data.data(), data.size(), note, error))
            break;
        takeHash(0, note.tick, note.hash);
        return;
    case MessageType::DROP:
        if (currentPhase != Phase::PLAYING || !decodeDrop(data.data(), data.size(), note, error) ||
            note.machine >= lockstep->machines() || note.machine == selfMachine)
            break;
        dropMachine(note.machine, note.tick);
        return;
    case MessageType::DESYNC:
        if (currentPhase != Phase::PLAYING || !decodeDesync(data.data(), data.size(), note, error))
            break;
        outOfSync(note.tick);
        return;
    case MessageType::EDIT:
        if (currentPhase != Phase::PLAYING || !takeEdit(-1, data, playing, error))
            break;
        return;
    default:
        break;
    }
    stop("The host sent a message out of place" + (error.empty() ? "" : ": " + error) + ".");
}

void OnlineSession::takeInputs(int peer, const std::vector<uint8_t>& data, int playing) {
    InputsMessage message;
    std::string error;
    int sender = isHost ? machineOfPeer(peer) : 0;
    bool ok = decodeInputs(data.data(), data.size(), message, error);
    for (const Inputs& stream : message.streams) {
        if (!ok)
            break;
        if (stream.machine >= lockstep->machines())
            error = "inputs of no machine of the match";
        else if (isHost ? stream.machine != sender
                        : stream.machine == selfMachine &&
                              stream.firstTick + static_cast<int>(stream.ticks.size()) > resumeTick)
            error = "inputs for seats that are not its own";
        ok = error.empty() && lockstep->add(stream, playing, error);
    }
    if (!ok) {
        if (isHost)
            peerLeft(peer, "was dropped: " + error);
        else
            stop("The host sent bad inputs: " + error + ".");
        return;
    }
    // What the sender says it has; never more than there is to have.
    std::vector<int>& confirmed = acked[static_cast<size_t>(sender)];
    for (const InputsMessage::Ack& ack : message.acks)
        if (ack.machine < lockstep->machines())
            confirmed[static_cast<size_t>(ack.machine)] =
                std::max(confirmed[static_cast<size_t>(ack.machine)],
                         std::min(ack.next, lockstep->next(ack.machine)));
}

bool OnlineSession::takeEdit(int machine, const std::vector<uint8_t>& data, int playing,
                             std::string& error) {
    EditNote note;
    if (!decodeEdit(data.data(), data.size(), note, error))
        return false;
    bool fromHost = !isHost && note.machine == 0;
    if (isHost ? note.machine != machine || note.readmit >= 0
               : note.machine == selfMachine || (note.readmit >= 0 && !fromHost)) {
        error = "an edit in another machine's name";
        return false;
    }
    if (note.readmit == selfMachine)
        lockstep->catchUpTo(note.tick); // before its edits and controls, which reach that far
    if (!lockstep->addEdit(note, playing, error))
        return false;
    if (note.readmit >= 0 && note.readmit < lockstep->machines()) {
        lockstep->readmit(note.readmit, note.tick);
        if (note.readmit == selfMachine) { // this machine's own return: it plays on from there
            resumeTick = note.tick;
            nextScheduled = std::max(nextScheduled, note.tick);
            acked[0][static_cast<size_t>(selfMachine)] = note.tick;
        } else {
            say(gathered[static_cast<size_t>(note.readmit)].name + " is back.");
        }
    }
    if (isHost)
        sendToJoiners(std::string(data.begin(), data.end()), machine);
    return true;
}

void OnlineSession::edit(const MatchEdit& edit) {
    if (currentPhase != Phase::PLAYING)
        return;
    EditNote note;
    note.machine = selfMachine;
    note.tick = nextScheduled;
    note.edit = edit;
    std::string error;
    if (editsBeforeNext >= MAX_EDITS_PER_TICK || !lockstep->addEdit(note, nextScheduled, error)) {
        say("The edit was not made: " + (error.empty() ? "too many at once" : error) + ".");
        return;
    }
    ++editsBeforeNext;
    std::string bytes;
    encodeEdit(note, bytes);
    if (isHost)
        sendToJoiners(bytes);
    else
        sendToHost(bytes);
}

std::vector<MatchEdit> OnlineSession::editsAt(int tick) const {
    return lockstep->editsAt(tick);
}

void OnlineSession::takeHash(int machine, int tick, uint64_t hash) {
    std::map<int, uint64_t>& theirs = theirHashes[machine];
    if (theirs.size() >= MAX_PENDING_HASHES) {
        if (isHost)
            peerLeft(gathered[static_cast<size_t>(machine)].peer, "was dropped: too many hashes");
        else
            stop("The host sent too many state hashes.");
        return;
    }
    theirs[tick] = hash;
    compareHashes(machine);
}

void OnlineSession::compareHashes(int machine) {
    std::map<int, uint64_t>& theirs = theirHashes[machine];
    for (auto it = theirs.begin(); it != theirs.end();) {
        auto own = ownHashes.find(it->first);
        if (own == ownHashes.end()) {
            if (!ownHashes.empty() && it->first < ownHashes.begin()->first)
                it = theirs.erase(it); // older than anything kept: already compared
            else
                ++it;
            continue;
        }
        if (own->second != it->second) {
            outOfSync(it->first);
            return;
        }
        it = theirs.erase(it);
    }
}

void OnlineSession::hashAfter(int tick, uint64_t hash) {
    if (currentPhase != Phase::PLAYING)
        return;
    ownHashes[tick] = hash;
    while (ownHashes.size() > MAX_PENDING_HASHES)
        ownHashes.erase(ownHashes.begin());
    std::string bytes;
    encodeHash(tick, hash, bytes);
    if (isHost)
        sendToJoiners(bytes);
    else
        sendToHost(bytes);
    for (auto& entry : theirHashes) {
        compareHashes(entry.first);
        if (currentPhase != Phase::PLAYING)
            return;
    }
}

void OnlineSession::outOfSync(int tick) {
    if (currentPhase == Phase::STOPPED)
        return;
    std::string bytes;
    encodeDesync(tick, bytes);
    if (isHost)
        sendToJoiners(bytes);
    else
        sendToHost(bytes);
    link->flush();
    stop("Out of sync at tick " + std::to_string(tick));
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

void OnlineSession::schedule(int playing, const std::vector<ControlState>& local) {
    if (currentPhase != Phase::PLAYING || lockstep->next(selfMachine) < nextScheduled)
        return; // a machine come back waits for its own ticks so far
    int target = playing + delay;
    if (resumeTick > 0) // catching up: keep pace with the others, not with its own replay
        for (int machine = 0; machine < lockstep->machines(); ++machine)
            if (machine != selfMachine && !lockstep->dropped(machine))
                target = std::max(
                    target, std::min(lockstep->next(machine), playing + Lockstep::MAX_LEAD / 2));
    Inputs inputs;
    inputs.machine = selfMachine;
    inputs.firstTick = nextScheduled;
    std::vector<ControlState> seats = local;
    seats.resize(static_cast<size_t>(lockstep->seatsOf(selfMachine)));
    // A delay that grew leaves ticks to fill; one that shrank schedules nothing until the
    // ticks already given have been played.
    while (nextScheduled <= target &&
           static_cast<int>(inputs.ticks.size()) < MAX_TICKS_PER_INPUTS) {
        inputs.ticks.push_back(seats);
        inputs.edits.push_back(inputs.edits.empty() ? editsBeforeNext : 0);
        ++nextScheduled;
    }
    if (inputs.ticks.empty())
        return;
    editsBeforeNext = 0;
    std::string error;
    lockstep->add(inputs, playing, error);
}

void OnlineSession::sendInputs(int playing) {
    if (currentPhase != Phase::PLAYING)
        return;
    int keep = playing - 1;
    for (size_t to = 0; to < gathered.size(); ++to) {
        int peer = isHost ? gathered[to].peer : 0;
        if (isHost ? to == 0 || peer < 0 : to != 0)
            continue;
        InputsMessage message;
        const std::vector<int>& confirmed = acked[to];
        bool stalled = false;
        for (int machine = 0; machine < lockstep->machines(); ++machine) {
            // The destination's own controls (a joiner: everyone else's) are confirmed to it;
            // the rest it is sent from where it confirmed them.
            bool theirs = isHost ? machine == static_cast<int>(to) : machine != selfMachine;
            if (theirs) {
                message.acks.push_back({machine, lockstep->next(machine)});
                continue;
            }
            int from = confirmed[static_cast<size_t>(machine)];
            keep = std::min(keep, from);
            stalled = stalled || lockstep->next(machine) - from > MAX_UNCONFIRMED;
            Inputs stream = lockstep->ticksFrom(machine, from, MAX_TICKS_PER_INPUTS);
            if (!stream.ticks.empty())
                message.streams.push_back(std::move(stream));
        }
        if (stalled && isHost) {
            peerLeft(peer, "was dropped: it stopped confirming inputs");
            continue;
        }
        std::string bytes;
        encodeInputs(message, bytes);
        link->send(peer, bytes, false);
    }
    // The host keeps every tick: a machine that comes back is sent them all.
    if (!isHost)
        lockstep->forget(keep);
    link->flush();
}

bool OnlineSession::ready(int tick) const {
    return currentPhase == Phase::PLAYING && lockstep->ready(tick);
}

ControlState OnlineSession::controls(int tick, int seat) const {
    return lockstep->controls(tick, seat);
}

int OnlineSession::lag(int playing) const {
    if (currentPhase != Phase::PLAYING || !lockstep->ready(playing + 1))
        return 0;
    // The others have given controls further ahead than they would if they waited for us.
    int most = 0;
    for (int machine = 0; machine < lockstep->machines(); ++machine)
        if (machine != selfMachine && !lockstep->dropped(machine))
            most = std::max(most, lockstep->next(machine) - (playing + delay + 1));
    return most;
}

std::string OnlineSession::waitingText() const {
    if (!waitingSince || waitingFor.empty() || now() - *waitingSince < WAIT_SHOWN)
        return std::string();
    std::string names;
    for (int machine : waitingFor)
        names += (names.empty() ? "" : ", ") + gathered[static_cast<size_t>(machine)].name;
    return "Waiting for " + names + "...";
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

void OnlineSession::sendToJoiners(const std::string& bytes, int exceptMachine) {
    for (size_t machine = 1; machine < gathered.size(); ++machine)
        if (static_cast<int>(machine) != exceptMachine && gathered[machine].peer >= 0)
            link->send(gathered[machine].peer, bytes);
}

} // namespace net
