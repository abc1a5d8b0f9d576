// What an online match costs the network: machines in one process over 127.0.0.1, six busy pads
// in all, each machine played as the game screen plays it, a frame every 1/60 s of real time
// (ENet's acknowledgements and pings follow the clock). Reports the bytes each machine sent per
// second of match time, UDP payloads with ENet's headers, for a host and a joiner of three pads
// each and for three machines of two, beside the bytes of the INPUTS messages alone (the rest is
// ENet's headers, its acknowledgements and pings, and the state hashes). The aim is under 4 KB a
// second a machine.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/onlinesession.h"

namespace {

using net::OnlineSession;
using Phase = OnlineSession::Phase;
using Clock = std::chrono::steady_clock;

constexpr int TICKS = 600; // ten seconds of match
constexpr int MAX_TICKS_A_FRAME = 4;

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

    // One frame as the game screen has it: take in what came, give this machine's controls,
    // play a tick if everyone's are here and a few more while it is behind.
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
                return;
            for (size_t seat = 0; seat < session->start().seatMachines.size(); ++seat)
                state = mix(state, session->controls(tick, static_cast<int>(seat)));
            if (++tick % net::HASH_INTERVAL == 0)
                session->hashAfter(tick, state);
            if (!session->behind(tick))
                return;
            session->service(tick);
        }
    }
};

// The bytes of the INPUTS messages each machine makes for the whole match, a tick a message;
// machines' pads numbered on from the machines before.
std::vector<double> inputsBytes(const std::vector<int>& padsOf) {
    std::vector<double> bytes;
    int firstPad = 0;
    for (size_t m = 0; m < padsOf.size(); ++m) {
        net::InputEncoder encoder(static_cast<int>(m), padsOf[m]);
        std::string message;
        for (int t = 0; t < TICKS; ++t) {
            std::vector<ControlState> tick;
            for (int i = 0; i < padsOf[m]; ++i)
                tick.push_back(padAt(firstPad + i, t));
            encoder.encode(t, {tick}, message);
        }
        bytes.push_back(static_cast<double>(message.size()));
        firstPad += padsOf[m];
    }
    return bytes;
}

std::vector<RecordedSeat> pads(int count, const std::string& machine) {
    std::vector<RecordedSeat> seats;
    for (int i = 0; i < count; ++i)
        seats.push_back(
            {SeatKind::PAD, machine + " pad " + std::to_string(i + 1), Difficulty::NORMAL});
    return seats;
}

// Services every machine until `done` holds, a frame at a time; false after `seconds`.
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

void BM_OnlineMatchBytesSent(benchmark::State& state) {
    std::vector<int> padsOf =
        state.range(0) == 0 ? std::vector<int>{3, 3} : std::vector<int>{2, 2, 2};
    state.SetLabel(state.range(0) == 0 ? "3+3" : "2+2+2");
    std::vector<Machine> machines(padsOf.size());
    for (auto _ : state) {
        std::string error;
        machines[0].session =
            OnlineSession::host(0, "Host", pads(padsOf[0], "Host"), "bench", error);
        if (!machines[0].session) {
            state.SkipWithError(error.c_str());
            return;
        }
        for (size_t i = 1; i < machines.size(); ++i) {
            std::string name = "Joiner " + std::to_string(i);
            machines[i].session = OnlineSession::join("127.0.0.1", machines[0].session->port(),
                                                      name, pads(padsOf[i], name), "bench", error);
            machines[i].firstPad = machines[i - 1].firstPad + padsOf[i - 1];
            if (!machines[i].session) {
                state.SkipWithError(error.c_str());
                return;
            }
        }
        if (!serviceUntil(
                machines, [&] { return machines[0].session->machines().size() == machines.size(); },
                10)) {
            state.SkipWithError("the joiners did not join");
            return;
        }
        if (!machines[0].session->startMatch(LevelSource(), MatchSettings(), 7, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        auto allPlaying = [&] {
            return std::all_of(machines.begin(), machines.end(), [](const Machine& m) {
                return m.session->phase() == Phase::PLAYING;
            });
        };
        if (!serviceUntil(machines, allPlaying, 10)) {
            state.SkipWithError("the match did not start everywhere");
            return;
        }
        for (Machine& m : machines)
            m.sentAtStart = m.session->bytesSent();
        Clock::time_point next = Clock::now();
        for (int frames = 0; frames < 3 * TICKS; ++frames) {
            for (Machine& m : machines)
                m.frame();
            if (!allPlaying() || std::all_of(machines.begin(), machines.end(),
                                             [](const Machine& m) { return m.tick >= TICKS; }))
                break;
            next += std::chrono::microseconds(16667);
            std::this_thread::sleep_until(next);
        }
        for (Machine& m : machines)
            if (m.session->phase() != Phase::PLAYING || m.tick < TICKS ||
                m.state != machines[0].state) {
                state.SkipWithError(
                    ("a machine did not play the match alike: " + m.session->stopMessage())
                        .c_str());
                return;
            }
    }
    double seconds = TICKS / 60.0;
    double most = 0;
    // The INPUTS messages alone, as the sessions send them at a steady pace (a tick each): every
    // machine's go to the host, the host's own and everyone else's to each joiner.
    std::vector<double> own = inputsBytes(padsOf);
    double everyone = 0;
    for (double bytes : own)
        everyone += bytes;
    for (size_t i = 0; i < machines.size(); ++i) {
        std::string name = i == 0 ? "host" : "joiner" + std::to_string(i);
        double perSecond =
            static_cast<double>(machines[i].session->bytesSent() - machines[i].sentAtStart) /
            seconds;
        double inputs =
            i == 0 ? static_cast<double>(machines.size() - 1) * (everyone - own[0]) : own[i];
        state.counters[name + "_B_per_s"] = perSecond;
        state.counters[name + "_inputs_B_per_s"] = inputs / seconds;
        most = std::max(most, perSecond);
    }
    state.counters["most_B_per_s"] = most;
}

BENCHMARK(BM_OnlineMatchBytesSent)->DenseRange(0, 1)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
