// What an online match costs the network: machines in one process over 127.0.0.1, six busy pads
// in all, each machine played as the game screen plays it (service, then per tick played its
// controls scheduled, then once a frame sendInputs), a frame every 1/60 s of real time (ENet's
// acknowledgements and pings follow the clock). Reports the bytes each machine sent per second
// of match time, UDP payloads with ENet's headers (bytesSent()), for a host and a joiner of three
// pads each, for three machines of two and for six machines of one, beside the bytes of its
// INPUTS messages alone (the rest is ENet's headers, its acknowledgements and pings, and the state
// hashes). The aim is under 4 KB a second a machine; a host passes every other machine's controls
// on to every joiner, so its bytes grow with the square of the machines.
//
// The INPUTS bytes are counted where the link hands a packet to ENet: the benchmark is linked
// with enet_peer_send wrapped (bench/CMakeLists.txt), and the wrapper passes every packet on. So
// is how often each tick goes out, as messages go again until confirmed.

#include <benchmark/benchmark.h>
#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/inputstream.h"
#include "net/onlinesession.h"

extern "C" int __real_enet_peer_send(ENetPeer* peer, enet_uint8 channel, ENetPacket* packet);

namespace {

// By ENet host: the INPUTS messages it was handed, their bytes and the ticks of their streams.
struct Sent {
    uint64_t bytes = 0;
    uint64_t ticks = 0;
};
std::map<const ENetHost*, Sent> inputsOf;
// By sender and receiver, every tick of every machine sent: a receiver that loses nothing holds
// the tick each stream is coded against, as the sender sent it before.
std::map<std::pair<const ENetPeer*, std::pair<int, int>>, std::vector<ControlState>> sentTicks;

} // namespace

extern "C" int __wrap_enet_peer_send(ENetPeer* peer, enet_uint8 channel, ENetPacket* packet) {
    net::InputsMessage message;
    std::string error;
    auto held = [peer](int machine, int tick) -> const std::vector<ControlState>* {
        auto it = sentTicks.find({peer, {machine, tick}});
        return it == sentTicks.end() ? nullptr : &it->second;
    };
    if (net::decodeInputs(packet->data, packet->dataLength, message, error, held)) {
        inputsOf[peer->host].bytes += packet->dataLength;
        for (const net::Inputs& stream : message.streams) {
            inputsOf[peer->host].ticks += stream.ticks.size();
            for (size_t t = 0; t < stream.ticks.size(); ++t)
                sentTicks[{peer, {stream.machine, stream.firstTick + static_cast<int>(t)}}] =
                    stream.ticks[t];
        }
    }
    return __real_enet_peer_send(peer, channel, packet);
}

namespace {

using net::OnlineSession;
using Phase = OnlineSession::Phase;
using Clock = std::chrono::steady_clock;

constexpr int TICKS = 600;           // ten seconds of match
constexpr int MAX_TICKS_A_FRAME = 4; // as the game screen plays while not far behind
constexpr double SECONDS = TICKS / 60.0;

// What pad `seat` holds at tick `t`: driving, turning, tilting the map every tick, firing,
// switching items, turning layers, and pad 3 unplugged for a second.
ControlState padAt(int seat, int t) {
    ControlState c;
    c.connected = !(seat == 2 && t >= 200 && t < 260);
    if (!c.connected)
        return c;
    int phase = (t + seat * 37) % 240;
    c.left.y = phase < 150 ? -1.0f : (phase < 180 ? 0.5f : 0.0f);
    c.left.x = (seat % 2 ? 1.0f : -1.0f) * (phase >= 90 && phase < 130 ? 0.75f : 0.0f);
    c.right.x = static_cast<float>((t * (seat + 1)) % 65) / 32.0f - 1.0f;
    c.triggerA = (t + seat * 11) % 47 < 5 ? 1.0f : -0.0f;
    c.triggerB = (t + seat * 13) % 131 < 4 ? 1.0f : 0.0f;
    if ((t + seat * 97) % 400 == 300)
        c.buttons = static_cast<uint16_t>(1u << (seat % 6));
    return c;
}

// A running hash of every seat's controls stands in for the match's state: what the lockstep
// must keep alike on every machine.
uint64_t mix(uint64_t hash, const ControlState& c) {
    const float values[6] = {c.left.x, c.left.y, c.right.x, c.right.y, c.triggerA, c.triggerB};
    for (float v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        hash = (hash ^ bits) * 0x100000001b3ull;
    }
    hash = (hash ^ c.buttons) * 0x100000001b3ull;
    return (hash ^ (c.connected ? 1u : 2u)) * 0x100000001b3ull;
}

struct Machine {
    std::unique_ptr<OnlineSession> session;
    int firstPad = 0;
    int tick = 0;
    uint64_t state = 0xcbf29ce484222325ull;
    uint64_t sentAtStart = 0;
    const ENetHost* host = nullptr; // found by its bytes sent

    // One frame as the game screen has it: take in what came, give this machine's controls and
    // play a tick once everyone's are here, a few more while behind, then send the controls.
    void frame() {
        session->service(tick);
        for (int i = 0; i < MAX_TICKS_A_FRAME && tick < TICKS; ++i) {
            if (session->phase() != Phase::PLAYING)
                return;
            std::vector<ControlState> local;
            int mine = 0;
            for (uint8_t machine : session->start().seatMachines)
                if (machine == session->self())
                    local.push_back(padAt(firstPad + mine++, tick));
            session->schedule(tick, local);
            if (!session->ready(tick))
                break;
            for (size_t seat = 0; seat < session->start().seatMachines.size(); ++seat)
                state = mix(state, session->controls(tick, static_cast<int>(seat)));
            if (++tick % net::HASH_INTERVAL == 0)
                session->hashAfter(tick, state);
            if (session->lag(tick) <= 0)
                break;
            session->service(tick);
        }
        session->sendInputs(tick);
    }
};

std::vector<RecordedSeat> pads(int count, const std::string& machine) {
    std::vector<RecordedSeat> seats;
    for (int i = 0; i < count; ++i)
        seats.push_back(
            {SeatKind::PAD, machine + " pad " + std::to_string(i + 1), Difficulty::NORMAL});
    return seats;
}

// Services every machine until `done` holds, a millisecond apart; false after `seconds`.
template <typename Done>
bool serviceUntil(std::vector<Machine>& machines, Done done, double seconds) {
    Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                               std::chrono::duration<double>(seconds));
    while (!done()) {
        if (Clock::now() > end)
            return false;
        for (Machine& m : machines)
            m.session->service(m.tick);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The machines of `padsOf` joined and playing; an error, or "".
std::string gather(std::vector<Machine>& machines, const std::vector<int>& padsOf) {
    std::string error;
    machines[0].session = OnlineSession::host(0, "Host", pads(padsOf[0], "Host"), "bench", error);
    if (!machines[0].session)
        return error;
    for (size_t i = 1; i < machines.size(); ++i) {
        std::string name = "Joiner " + std::to_string(i);
        machines[i].session = OnlineSession::join("127.0.0.1", machines[0].session->port(), name,
                                                  pads(padsOf[i], name), "bench", error);
        machines[i].firstPad = machines[i - 1].firstPad + padsOf[i - 1];
        if (!machines[i].session)
            return error;
    }
    if (!serviceUntil(
            machines, [&] { return machines[0].session->machines().size() == machines.size(); },
            10))
        return "the joiners did not join";
    if (!machines[0].session->startMatch(LevelSource(), MatchSettings(), 7, error))
        return error;
    auto playing = [&] {
        return std::all_of(machines.begin(), machines.end(),
                           [](const Machine& m) { return m.session->phase() == Phase::PLAYING; });
    };
    return serviceUntil(machines, playing, 10) ? "" : "the match did not start everywhere";
}

void BM_NetMatchBytesSent(benchmark::State& state) {
    // By case: each machine's pads.
    const std::vector<int> matches[] = {{3, 3}, {2, 2, 2}, {1, 1, 1, 1, 1, 1}};
    const char* const labels[] = {"3+3", "2+2+2", "1+1+1+1+1+1"};
    std::vector<int> padsOf = matches[state.range(0)];
    state.SetLabel(labels[state.range(0)]);
    std::vector<Machine> machines(padsOf.size());
    sentTicks.clear();
    std::map<const ENetHost*, Sent> inputsAtStart;
    for (auto _ : state) {
        std::string error = gather(machines, padsOf);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        for (Machine& m : machines)
            m.sentAtStart = m.session->bytesSent();
        inputsAtStart = inputsOf;
        Clock::time_point began = Clock::now(), next = began;
        bool done = false;
        for (int frames = 0; frames < 3 * TICKS && !done; ++frames) {
            for (Machine& m : machines)
                m.frame();
            done = std::all_of(machines.begin(), machines.end(), [](const Machine& m) {
                return m.tick >= TICKS || m.session->phase() != Phase::PLAYING;
            });
            next += std::chrono::microseconds(16667);
            std::this_thread::sleep_until(next);
        }
        // Longer than the match's ten seconds where a machine waited for another.
        state.counters["real_s"] = std::chrono::duration<double>(Clock::now() - began).count();
        for (Machine& m : machines) {
            if (m.session->phase() != Phase::PLAYING || m.tick < TICKS ||
                m.state != machines[0].state) {
                state.SkipWithError(
                    ("a machine did not play the match alike: " + m.session->stopMessage())
                        .c_str());
                return;
            }
            for (const auto& [host, sent] : inputsOf)
                if (host->totalSentData == m.session->bytesSent())
                    m.host = host;
            if (!m.host) {
                state.SkipWithError("a machine's ENet host was not found");
                return;
            }
        }
    }
    double most = 0;
    for (size_t i = 0; i < machines.size(); ++i) {
        const Machine& m = machines[i];
        std::string name = i == 0 ? "host" : "joiner" + std::to_string(i);
        double perSecond = static_cast<double>(m.session->bytesSent() - m.sentAtStart) / SECONDS;
        state.counters[name + "_B_per_s"] = perSecond;
        const Sent &end = inputsOf[m.host], &start = inputsAtStart[m.host];
        state.counters[name + "_inputs_B_per_s"] =
            static_cast<double>(end.bytes - start.bytes) / SECONDS;
        // How often each tick of each stream went to each machine that needs it: a host passes
        // every other machine's on to each joiner.
        double needed =
            i == 0 ? static_cast<double>((machines.size() - 1) * (machines.size() - 1)) : 1.0;
        state.counters[name + "_sends_a_tick"] =
            static_cast<double>(end.ticks - start.ticks) / (needed * TICKS);
        most = std::max(most, perSecond);
    }
    state.counters["most_B_per_s"] = most;
}

BENCHMARK(BM_NetMatchBytesSent)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
