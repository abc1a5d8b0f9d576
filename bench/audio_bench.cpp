// The game thread's cost of sound, with SDL's dummy driver mixing on its own thread as a real
// device would: starting one effect (BM_StartSound; every 32nd start finds the channels full
// and stops the oldest, as a six-player brawl does), hearing one sound out of six views
// (BM_HearSixViews, the split-screen rule), a frame in which nothing happened (BM_QuietFrame:
// taking the world's events and starting the recorder's frame), and loading every effect and
// both music loops from data/sounds (BM_LoadEverySound, once at start-up).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "audio/audiodevice.h"
#include "audio/hearing.h"
#include "world/world.h"

namespace {

const std::string SOUNDS = std::string(QUORL_DATA_DIR) + "/sounds";

// One device for the whole run: SDL_mixer's output is global.
AudioDevice& device() {
    static AudioDevice* d = [] {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        auto* made = new AudioDevice;
        made->open(false);
        std::string error;
        if (!made->load(SOUNDS, error))
            std::abort();
        return made;
    }();
    return *d;
}

void BM_StartSound(benchmark::State& state) {
    AudioDevice& d = device();
    if (!d.isOpen()) {
        state.SkipWithError("no audio device");
        return;
    }
    int i = 0;
    for (auto _ : state) {
        d.recorder.beginFrame();
        d.play(static_cast<SoundId>(i % 5), 0.8f, -0.3f, 1);
        ++i;
    }
    state.SetLabel("dummy driver");
}
BENCHMARK(BM_StartSound)->Unit(benchmark::kMicrosecond);

void BM_HearSixViews(benchmark::State& state) {
    std::vector<Listener> views(6);
    for (int i = 0; i < 6; ++i) {
        views[static_cast<size_t>(i)].eye = Vec3f(static_cast<float>(10 * i), 5, 50);
        views[static_cast<size_t>(i)].lookPoint = Vec3f(static_cast<float>(10 * i), 20, 42);
        views[static_cast<size_t>(i)].up = Vec3f(0, 0, 1);
        views[static_cast<size_t>(i)].face = i;
        views[static_cast<size_t>(i)].x = static_cast<float>(400 * (i % 2));
        views[static_cast<size_t>(i)].y = static_cast<float>(200 * (i / 2));
        views[static_cast<size_t>(i)].width = 400;
        views[static_cast<size_t>(i)].height = 200;
    }
    float x = 0;
    for (auto _ : state) {
        Heard h = hear(views, 800, {Vec3f(x, 10, 43), 4, 1});
        benchmark::DoNotOptimize(h);
        x = x > 40 ? -40 : x + 0.5f;
    }
}
BENCHMARK(BM_HearSixViews)->Unit(benchmark::kMicrosecond);

void BM_QuietFrame(benchmark::State& state) {
    AudioDevice& d = device();
    World world(3, 28);
    std::vector<WorldEvent> events;
    for (auto _ : state) {
        d.recorder.beginFrame();
        world.takeEvents(events);
        benchmark::DoNotOptimize(events.data());
    }
}
BENCHMARK(BM_QuietFrame)->Unit(benchmark::kMicrosecond);

void BM_LoadEverySound(benchmark::State& state) {
    AudioDevice& d = device();
    if (!d.isOpen()) {
        state.SkipWithError("no audio device");
        return;
    }
    std::string error;
    for (auto _ : state)
        if (!d.load(SOUNDS, error))
            state.SkipWithError(error.c_str());
}
BENCHMARK(BM_LoadEverySound)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
