// What recording costs: bytes a minute of a six-pad match and the game thread's time per tick,
// for a scripted match on a fixed step, the real clock steady at 60 frames a second, the real
// clock on a heavily loaded machine (a model of a measured run: software rendering on two
// shared cores), and every stick of six pads moving every tick; and how long --verify takes
// to check a ten-minute six-player match. Runs from the game's data folder (the tank model);
// the simulation's diagnostics are sent nowhere while it runs.
//
//   BM_RecordAMinute/<case>: bytes_per_minute (the finished file), record_us_mean, _p99 and
//   _max (the recorder's share of a tick in the thread's own time: its bookkeeping, every 60th
//   tick a hash, every second a block written and flushed), finish_ms (the end: the whole body
//   compressed and the file written again)
//   BM_VerifyTenMinutes: seconds to re-simulate and compare 36000 ticks of six players; the
//   record's size and finish

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <vector>

#include "entities/tank.h"
#include "replay/matchrecorder.h"
#include "replay/matchreplay.h"
#include "replay/recordfile.h"
#include "world/world.h"
#include <ctime>

namespace {

// Standard output goes nowhere while it lives (tanks made, bounces, item switches).
class Quiet {
public:
    Quiet() {
        fflush(stdout);
        saved = dup(STDOUT_FILENO);
        int nowhere = open("/dev/null", O_WRONLY);
        dup2(nowhere, STDOUT_FILENO);
        close(nowhere);
    }
    ~Quiet() {
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }

private:
    int saved;
};

void toDataFolder() {
    if (!std::filesystem::exists("models/tank_01.obj"))
        std::filesystem::current_path(QUORL_DATA_DIR);
}

struct Rng {
    uint64_t state;
    uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    double unit() { return next() / 4294967296.0; }
};

float pad(double v) { // what a pad reports: whole 1/32768ths
    return static_cast<float>(std::clamp(std::lround(v * 32768), -32768L, 32767L) / 32768.0);
}

// A busy six-pad match: driving, turning, firing, switching items, turning layers.
ControlState scripted(int seat, int t) {
    ControlState c;
    c.connected = true;
    int phase = (t + seat * 37) % 240;
    c.left.y = phase < 150 ? -1.0f : (phase < 180 ? 0.5f : 0.0f);
    c.left.x = (seat % 2 ? 1.0f : -1.0f) * (phase >= 90 && phase < 130 ? 0.75f : 0.0f);
    c.triggerA = (t + seat * 11) % 47 < 5 ? 1.0f : -0.0f;
    c.triggerB = (t + seat * 13) % 131 < 4 ? 1.0f : 0.0f;
    if ((t + seat * 97) % 400 == 300)
        c.buttons = static_cast<uint16_t>(1u << (seat % 6));
    return c;
}

// Both sticks of every pad on the move every tick, with a pad's noise.
ControlState stickHeavy(int seat, int t, Rng& rng) {
    ControlState c = scripted(seat, t);
    double a = t * 0.05 + seat;
    c.left.x = pad(0.9 * std::sin(a) + (rng.unit() - 0.5) * 0.002);
    c.left.y = pad(-0.9 * std::cos(a * 0.7) + (rng.unit() - 0.5) * 0.002);
    c.right.x = pad(std::sin(a * 1.3) * 0.5 + (rng.unit() - 0.5) * 0.002);
    c.right.y = pad(std::cos(a * 0.9) * 0.5 + (rng.unit() - 0.5) * 0.002);
    return c;
}

enum class Case { FIXED_STEP, STEADY_CLOCK, LOADED_CLOCK, STICK_HEAVY, FRANTIC };

float dtOf(Case c, int t, Rng& rng) {
    switch (c) {
    case Case::FIXED_STEP:
        return 1.0f / 60;
    case Case::STEADY_CLOCK: // 1000/60 ms in whole milliseconds: 17, 17, 16
    case Case::FRANTIC:
        return static_cast<float>((t % 3 == 2 ? 16 : 17) / 1000.0);
    case Case::LOADED_CLOCK:
    case Case::STICK_HEAVY: {
        // Modelled on a real-clock run on this machine: about half the ticks within a
        // millisecond or two of the frame, a third anywhere from 1 to 30 ms, some stalls.
        double u = rng.unit(), ms;
        if (u < 0.55)
            ms = 16.5 + (rng.unit() + rng.unit() - 1) * 2.5;
        else if (u < 0.9)
            ms = 1 + rng.unit() * 29;
        else
            ms = 30 + rng.unit() * rng.unit() * 300;
        return static_cast<float>(std::lround(ms) / 1000.0);
    }
    }
    return 1.0f / 60;
}

const char* caseName(Case c) {
    switch (c) {
    case Case::FIXED_STEP:
        return "fixed_step";
    case Case::STEADY_CLOCK:
        return "steady_clock";
    case Case::LOADED_CLOCK:
        return "loaded_clock";
    case Case::STICK_HEAVY:
        return "stick_heavy";
    case Case::FRANTIC:
        return "frantic";
    }
    return "";
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Tanks brought back to full health now and then (an edit the record keeps), so that all six
// play on however long the match.
void keepTanksAlive(Match& match, MatchRecorder& recorder) {
    for (size_t i = 0; i < match.seats.size(); ++i) {
        Tank* tank = match.seats[i]->tank;
        if (!tank || tank->getHealth() <= 0 || tank->getHealth() > 4)
            continue;
        MatchEdit edit{MatchEdit::Kind::SET_HEALTH, static_cast<int>(i), Tank::MAX_HEALTH};
        std::string error;
        if (applyMatchEdit(match, edit, error))
            recorder.noteEdit(edit);
    }
}

// Every pad fires every 8 ticks, its slots filled again (an edit) every 20.
ControlState frantic(int seat, int t) {
    ControlState c = scripted(seat, t);
    c.triggerA = (t + seat) % 8 < 2 ? 1.0f : 0.0f;
    return c;
}

void refill(Match& match, MatchRecorder& recorder, int t) {
    MatchEdit edit{MatchEdit::Kind::GIVE_ITEMS, 0, (t / 20) % 3};
    std::string error;
    if (applyMatchEdit(match, edit, error))
        recorder.noteEdit(edit);
}

double finishMicros = 0; // the last record's finish: its end and its compression

// Six pads on the default cube, recorded into `path` for `ticks` ticks; the recorder's share
// of each tick, microseconds of the thread's own time, into `recordMicros`. Returns the
// objects in the world on an average tick.
double recordMatch(Case c, const std::string& path, int ticks, std::vector<double>& recordMicros) {
    Quiet quiet;
    std::vector<std::unique_ptr<ReplayInput>> pads;
    std::vector<std::unique_ptr<Seat>> seats;
    Match match(LevelSource(), MatchSettings(), 99);
    for (int i = 0; i < 6; ++i) {
        pads.push_back(std::make_unique<ReplayInput>("Pad " + std::to_string(i + 1), "pad"));
        seats.push_back(std::make_unique<Seat>(pads.back().get()));
        match.addSeat(seats.back().get());
    }
    match.seatTanks();
    Rng rng{5};
    double objects = 0;
    {
        MatchRecorder recorder(match, path, "bench");
        finishMicros = 0;
        for (int t = 0; t < ticks; ++t) {
            for (int i = 0; i < 6; ++i)
                pads[static_cast<size_t>(i)]->controls = c == Case::STICK_HEAVY
                                                             ? stickHeavy(i, t, rng)
                                                         : c == Case::FRANTIC ? frantic(i, t)
                                                                              : scripted(i, t);
            float dt = dtOf(c, t, rng);
            if (t % 300 == 299)
                keepTanksAlive(match, recorder);
            if (c == Case::FRANTIC && t % 20 == 0)
                refill(match, recorder, t);
            objects += static_cast<double>(match.world->allObjects.size());
            double start = threadSeconds();
            recorder.beforeTick();
            double between = threadSeconds();
            match.tick(dt);
            double after = threadSeconds();
            recorder.afterTick(dt);
            double end = threadSeconds();
            recordMicros.push_back(((between - start) + (end - after)) * 1e6);
        }
        double start = threadSeconds();
        recorder.finish();
        finishMicros = (threadSeconds() - start) * 1e6;
    }
    return objects / ticks;
}

void BM_RecordAMinute(benchmark::State& state) {
    toDataFolder();
    Case c = static_cast<Case>(state.range(0));
    state.SetLabel(caseName(c));
    std::string path = (std::filesystem::temp_directory_path() /
                        ("quorl_bench_" + std::to_string(getpid()) + ".qrec"))
                           .string();
    std::vector<double> micros;
    recordMatch(c, path, 600, micros); // warm: the first use of the compressor and the buffers
    size_t bytes = 0;
    double objects = 0;
    for (auto _ : state) {
        micros.clear();
        objects = recordMatch(c, path, 3600, micros);
        bytes = std::filesystem::file_size(path);
        double total = 0;
        for (double m : micros)
            total += m;
        state.SetIterationTime(total * 1e-6);
    }
    std::filesystem::remove(path);
    double mean = 0;
    for (double m : micros)
        mean += m;
    state.counters["bytes_per_minute"] = static_cast<double>(bytes);
    state.counters["objects"] = objects;
    state.counters["finish_ms"] = finishMicros * 1e-3;
    state.counters["record_us_mean"] = mean / static_cast<double>(micros.size());
    state.counters["record_us_max"] = *std::max_element(micros.begin(), micros.end());
    std::sort(micros.begin(), micros.end());
    state.counters["record_us_p99"] = micros[micros.size() * 99 / 100];
}

BENCHMARK(BM_RecordAMinute)
    ->DenseRange(0, 4)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_VerifyTenMinutes(benchmark::State& state) {
    toDataFolder();
    std::string path = (std::filesystem::temp_directory_path() /
                        ("quorl_bench_ten_" + std::to_string(getpid()) + ".qrec"))
                           .string();
    std::vector<double> ignored;
    double objects = recordMatch(Case::FRANTIC, path, 36000, ignored);
    auto record = std::make_shared<MatchRecord>();
    std::string error;
    if (!readRecordFile(path, "bench", *record, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    size_t bytes = std::filesystem::file_size(path);
    std::filesystem::remove(path);
    Verification verdict;
    for (auto _ : state) {
        Quiet quiet;
        verifyRecord(record, verdict, error);
    }
    if (verdict.differs || verdict.ticks != 36000)
        state.SkipWithError("the ten-minute record does not verify");
    state.counters["ticks"] = verdict.ticks;
    state.counters["hashes"] = verdict.hashesChecked;
    state.counters["objects"] = objects;
    state.counters["finish_ms"] = finishMicros * 1e-3;
    state.counters["bytes"] = static_cast<double>(bytes);
}

BENCHMARK(BM_VerifyTenMinutes)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
