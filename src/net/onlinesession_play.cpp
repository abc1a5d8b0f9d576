#include "net/onlinesession.h"

#include <algorithm>

#include "match/matchrules.h"
#include "net/inputstream.h"
#include "net/onlinesession_internal.h"

namespace net {

using namespace session;

void OnlineSession::takeInputs(int peer, const std::vector<uint8_t>& data, int playing) {
    InputsMessage message;
    std::string error;
    int sender = isHost ? machineOfPeer(peer) : 0;
    const Lockstep& held = *lockstep;
    bool ok = decodeInputs(data.data(), data.size(), message, error,
                           [&held](int machine, int tick) { return held.held(machine, tick); });
    for (const Inputs& stream : message.streams) {
        if (!ok)
            break;
        if (stream.machine >= lockstep->machines())
            error = "inputs of no machine of the match";
        else if (isHost
                     ? stream.machine != sender
                     : stream.machine == selfMachine &&
                           int64_t{stream.firstTick} + static_cast<int64_t>(stream.ticks.size()) >
                               resumeTick)
            error = "inputs for seats that are not its own";
        // Coded against a tick the host does not have: one it was never sent.
        else if (isHost && stream.ticks.empty() && stream.firstTick > lockstep->next(sender))
            error = "inputs from tick " + std::to_string(stream.firstTick) + " where tick " +
                    std::to_string(lockstep->next(sender)) + " was owed";
        // Sent unreliably, a message may come ahead of the host's reliable history before it:
        // what it holds comes again.
        else if (stream.ticks.empty() ||
                 (!isHost && stream.firstTick > lockstep->next(stream.machine)))
            continue;
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
    sendToOthers(bytes);
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
    sendToOthers(bytes);
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
    sendToOthers(bytes);
    link->flush();
    stop("Out of sync at tick " + std::to_string(tick));
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
    if (++framesSinceInputs < INPUTS_EVERY) {
        link->flush(); // hashes and edits go at once
        return;
    }
    framesSinceInputs = 0;
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
            keep = std::min(keep, from - 1); // the first tick sent is coded against the one before
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

} // namespace net
