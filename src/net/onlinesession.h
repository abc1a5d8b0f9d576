#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/lockstep.h"
#include "net/netlink.h"
#include "net/netprotocol.h"

namespace net {

// One machine's side of an online match: the host, which seats every machine's players and
// starts the match, or a joiner. Joiners talk only to the host, which passes every machine's
// inputs on to the others; every machine plays the whole match itself from them (Lockstep).
//
// The caller (the game's online screens) calls service() every frame: it takes in what has
// come and reacts (hello, welcome, refusal, start, inputs, hashes, drops). During the match,
// before playing tick t, it gives this machine's controls (schedule), plays the tick once
// ready(t), reading every seat's controls(t, seat), and after every HASH_INTERVAL-th tick
// gives the state hash (hashAfter): a hash that differs from the host's stops the match on
// every machine ("Out of sync at tick N").
//
// A machine whose inputs are missing for WAIT_SHOWN is named in waitingText(); after DROP_AFTER
// the host drops it (its seats stand, on every machine alike) and the match goes on. It may
// come back (the same name, as many players): it is sent the match so far, plays it through to
// catch up, and its seats play again from the tick the host names. A host that leaves ends the
// match on the others. The host keeps every machine's controls of the match for that (some
// 30 bytes a seat a second). Any packet out of place, out of its limits, or
// naming a seat that is not its sender's drops that peer with a message.
class OnlineSession {
public:
    using Clock = std::function<double()>;     // seconds, steady
    static constexpr double WAIT_SHOWN = 0.25; // seconds
    static constexpr double DROP_AFTER = 3.0;  // seconds
    static constexpr int DEFAULT_DELAY = 3;    // ticks
    static constexpr int MAX_DELAY = 8;        // ticks

    enum class Phase {
        CONNECTING, // a joiner waiting for the host's welcome
        LOBBY,      // machines gather; the host may start
        PLAYING,    // start() holds the match
        STOPPED,    // stopMessage() says why; nothing more is played
    };

    struct Machine {
        std::string name;
        int peer = -1; // the host's link slot for a joiner; -1 for the host itself
        std::vector<RecordedSeat> seats;
    };

    // Hosting on `port` (0 for any), this machine's players `seats`. Null, with `error`.
    static std::unique_ptr<OnlineSession> host(uint16_t port, const std::string& machineName,
                                               std::vector<RecordedSeat> seats,
                                               const std::string& build, std::string& error,
                                               Clock clock = Clock());
    static std::unique_ptr<OnlineSession> join(const std::string& address, uint16_t port,
                                               const std::string& machineName,
                                               std::vector<RecordedSeat> seats,
                                               const std::string& build, std::string& error,
                                               Clock clock = Clock());
    ~OnlineSession();

    // Takes in everything that has come; `playing` is the tick to be played next.
    void service(int playing);

    Phase phase() const { return currentPhase; }
    bool hosting() const { return isHost; }
    // The machines in the lobby (the host's first), or the match's.
    const std::vector<Machine>& machines() const { return gathered; }
    // The host starts the match for everyone in the lobby: each machine's seats after the
    // ones before (at most MAX_PLAYERS in all), then `settings.computerTanks` computer seats
    // to fill up to MAX_PLAYERS. Needs the LOBBY phase; false, with `error`, otherwise.
    bool startMatch(const LevelSource& level, const MatchSettings& settings, uint32_t seed,
                    std::string& error);
    // The match, from PLAYING on.
    const Start& start() const { return started; }
    int self() const { return selfMachine; }

    // This machine's seats' controls (one per seat of it, in seat order) read before tick
    // `playing`: they are for tick playing + inputDelay().
    void schedule(int playing, const std::vector<ControlState>& local);
    // Once a frame; every INPUTS_EVERY frames, sends every machine what it has not confirmed yet
    // of the controls, with what this one has of theirs, and lets go of what is played and
    // confirmed everywhere. Other messages go out every frame.
    void sendInputs(int playing);
    int inputDelay() const { return delay; }
    // An edit this machine makes: every machine makes it before the next tick this machine
    // has not given its controls for.
    void edit(const MatchEdit& edit);
    // The edits to make before `tick`, the same on every machine.
    std::vector<MatchEdit> editsAt(int tick) const;
    bool ready(int tick) const;
    ControlState controls(int tick, int seat) const;
    // The state hash after `tick` (a multiple of HASH_INTERVAL).
    void hashAfter(int tick, uint64_t hash);
    // How many ticks this machine is behind the others when about to play `playing`: how far
    // their controls reach past the delay. A machine that stalled, or came back, catches up.
    int lag(int playing) const;

    // "Waiting for NAME..." while a machine's inputs have been missing for WAIT_SHOWN.
    std::string waitingText() const;
    const std::string& stopMessage() const { return stopText; }
    // Lines for the player that have come since the last call.
    std::vector<std::string> takeMessages();

    uint64_t bytesSent() const { return link->bytesSent(); }
    uint16_t port() const { return link->port(); }
    // The build this machine says it runs.
    const std::string& build() const { return buildId; }

private:
    OnlineSession(std::unique_ptr<NetLink> link, bool host, Clock clock);
    void handle(const NetLink::Event& event, int playing);
    void hostReceives(int peer, const std::vector<uint8_t>& data, int playing);
    void joinerReceives(const std::vector<uint8_t>& data, int playing);
    void takeHello(int peer, const std::vector<uint8_t>& data);
    void comeBack(int peer, const Hello& hello);
    void takeInputs(int peer, const std::vector<uint8_t>& data, int playing);
    // False, with `error`, for an edit out of place; relays it from the host.
    bool takeEdit(int machine, const std::vector<uint8_t>& data, int playing, std::string& error);
    void takeHash(int machine, int tick, uint64_t hash);
    void compareHashes(int machine);
    void peerLeft(int peer, const std::string& why);
    void dropMachine(int machine, int lastTick);
    void outOfSync(int tick);
    void stop(const std::string& message);
    void say(const std::string& line);
    void sendToHost(const std::string& bytes);
    void sendToJoiners(const std::string& bytes, int exceptMachine = -1);
    // A message for the other machines: from the host to every joiner, from a joiner to the
    // host.
    void sendToOthers(const std::string& bytes);
    int machineOfPeer(int peer) const;
    void beginMatch(const Start& start, int self);
    void checkWaiting(int playing);
    void adaptDelay();

    std::unique_ptr<NetLink> link;
    bool isHost;
    Clock now;
    Phase currentPhase = Phase::LOBBY;
    std::string buildId;
    std::string machineName;
    std::vector<RecordedSeat> localSeats;
    std::vector<Machine> gathered;
    std::map<int, std::vector<RecordedSeat>> pendingPeers; // host: connected, no hello yet
    Start started;
    int selfMachine = 0;
    std::unique_ptr<Lockstep> lockstep;
    // acked[d][s]: the next tick of machine s's controls machine d has confirmed (a joiner's
    // d is the host, 0). What is sent to d starts there.
    std::vector<std::vector<int>> acked;
    int nextScheduled = 0;
    int editsBeforeNext = 0; // this machine's edits waiting for its next scheduled tick
    int resumeTick = 0;      // a machine come back: the tick its controls count again from
    int delay = DEFAULT_DELAY;
    int framesSinceInputs = INPUTS_EVERY; // the first call sends
    // State hashes not yet compared: this machine's, and by machine the others'.
    std::map<int, uint64_t> ownHashes;
    std::map<int, std::map<int, uint64_t>> theirHashes;
    std::optional<double> waitingSince;
    std::vector<int> waitingFor;
    std::string stopText;
    std::vector<std::string> messages;
};

} // namespace net
