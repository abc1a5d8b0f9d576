// Frames per second of whole game frames (GameScreen::display) in the game's own window (800x600)
// under the software renderer, with 1, 2, 4 and 6 players on a 3x3x3 and a 5x5x5 cube: 40
// blocks, six tanks (the players' and the rest), each player's heads-up display, and shells and
// explosions in the air. The floor is the same views only cleared, and the frame swapped.
// QUORL_BENCH_MULTISAMPLE=auto|on|off opens the window as --multisample does (auto, the game's
// default, when unset); each case's label says which kind of window it ran in.
// "Verdicts" shows each view's end-of-match message instead of its display, which puts a
// price on the displays. "BigLevel" plays whole frames, tick and display, of a two-pad match
// as --pads 2 plays it, on a shipped level and on levels of the most blocks a level holds (see
// biglevel_bench.cpp), the pads driving, firing and turning layers. Needs an X display; without
// one every case reports an error.

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include "entities/collisionresponder.h"
#include "entities/entityhooks.h"
#include "entities/explosion.h"
#include "entities/item.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "math/randomsource.h"
#include "platform/frameclock.h"
#include "screens/gamescreen.h"
#include "screens/shell.h"
#include "sdlpads/sdljoystickbackend.h"
#include "sdlpads/virtualpads.h"
#include "support/biglevels.h"
#include "world/box.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr float TICK = 1.0f / 60;

// The window's size: 800x600, or QUORL_BENCH_SIZE=WxH (the X screen must be at least as large,
// or the server clips what it shows and the figures flatter).
void windowSize(int& width, int& height) {
    width = 800;
    height = 600;
    const char* size = std::getenv("QUORL_BENCH_SIZE");
    int w = 0, h = 0;
    if (size && std::sscanf(size, "%dx%d", &w, &h) == 2 && w > 0 && h > 0) {
        width = w;
        height = h;
    }
}

// As the game's --multisample takes it: auto (the default), on or off.
Multisample multisampleWanted() {
    const char* setting = std::getenv("QUORL_BENCH_MULTISAMPLE");
    std::string wanted = setting ? setting : "auto";
    return wanted == "off"  ? Multisample::OFF
           : wanted == "on" ? Multisample::ON
                            : Multisample::AUTO;
}

// The game's window, once per process, and six virtual pads for six players.
bool openGameWindow() {
    static int state = 0; // 0 not tried, 1 open, -1 failed
    if (state != 0)
        return state > 0;
    state = -1;
    if (std::getenv("DISPLAY") == nullptr)
        return false;
    if (!std::filesystem::exists("models/tank_01.obj"))
        std::filesystem::current_path(QUORL_DATA_DIR);
    std::string error;
    if (!attachVirtualPads(6, error))
        return false;
    int argc = 1;
    char name[] = "quorl_bench";
    char* argv[] = {name, nullptr};
    std::streambuf* console = std::cout.rdbuf(nullptr); // not the start-up lines
    int width = 0, height = 0;
    windowSize(width, height);
    openWindow(&argc, argv, WindowSettings{width, height, false, multisampleWanted(), "bench"});
    windowWidth = width; // as the first reshape would
    windowHeight = height;
    installEntityHooks();
    installCollisionResponse();
    JoystickManager::install(std::make_unique<SdlJoystickBackend>());
    std::cout.rdbuf(console);
    state = 1;
    return true;
}

// 40 grey blocks of 4 to 10 units at random places on the faces.
World* blockWorld(int n) {
    World* world = new World(n, 28);
    for (int i = 0; i < 40; ++i) {
        float size = randomSource.randomFloat(4, 10);
        Box* box = new Box(world->randomFacePosition(8, 8), world, size, size, size);
        float g = randomSource.randomFloat(0.3f, 0.8f);
        box->colour = Vec4f(g, g, g, 1);
        world->addObject(box);
    }
    return world;
}

// In flight above each face: a shell climbing from its centre, and every other face a blast
// half grown.
void fillTheAir(World& world) {
    float h = world.halfExtent();
    for (int face = 0; face < 6; ++face) {
        Vec3f normal;
        normal[face >> 1] = (face & 1) ? -1.0f : 1.0f;
        Vec3f side = cross(normal, std::fabs(normal.x()) > 0.5f ? Vec3f(0, 0, 1) : Vec3f(1, 0, 0));
        Vec3f start = normal * (h + 6) + side * 8;
        world.addObject(new Projectile(start, normal * 20 + side * 30, &world, ITEM_PROJECTILE));
        if (face % 2 == 0) {
            auto* blast = new Explosion(normal * h - side * 10, &world, 8);
            world.addObject(blast);
            for (int t = 0; t < 15; ++t)
                blast->update(TICK);
        }
    }
}

// A match of `players` players on an n x n x n cube of 40 blocks, all six tanks on the cube,
// the cameras settled behind their tanks.
GameScreen* setUpMatch(int n, int players) {
    randomSource.seed(7);
    GameScreen* game = GameScreen::instance();
    std::streambuf* console = std::cout.rdbuf(nullptr); // not the tanks' positions
    game->startGame("");
    delete game->match->world;
    game->match->world = blockWorld(n);
    game->activate(); // binds the six pads' players to the six faces' tanks
    while (static_cast<int>(game->players.size()) > players) {
        delete game->players.back(); // its tank stays in the world
        game->players.pop_back();
        game->match->seats.pop_back();
        game->match->wins.pop_back();
    }
    game->reshape(windowWidth, windowHeight);
    fillTheAir(*game->world());
    for (int t = 0; t < 120; ++t)
        for (Player* player : game->players)
            player->camera.update(TICK);
    for (int frame = 0; frame < 3; ++frame) // display lists and textures made, caches warm
        game->display();
    glFinish();
    std::cout.rdbuf(console);
    return game;
}

void reportRate(benchmark::State& state) {
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    state.SetLabel(samples > 1 ? std::to_string(samples) + "x multisampled" : "not multisampled");
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_GameFrame(benchmark::State& state) {
    if (!openGameWindow()) {
        state.SkipWithError("no X display, or no virtual pads");
        return;
    }
    GameScreen* game =
        setUpMatch(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        game->display();
        glFinish();
    }
    reportRate(state);
}

void BM_GameFrameVerdicts(benchmark::State& state) {
    if (!openGameWindow()) {
        state.SkipWithError("no X display, or no virtual pads");
        return;
    }
    GameScreen* game =
        setUpMatch(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (Player* player : game->players)
        player->won = true;
    for (auto _ : state) {
        game->display();
        glFinish();
    }
    reportRate(state);
}

// The same views, cleared as a frame clears them, and the frame swapped: the cost of the
// window itself.
void BM_GameFrameFloor(benchmark::State& state) {
    if (!openGameWindow()) {
        state.SkipWithError("no X display, or no virtual pads");
        return;
    }
    GameScreen* game = setUpMatch(3, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (Player* player : game->players) {
            glViewport(player->viewportX, player->viewportY, player->viewportWidth,
                       player->viewportHeight);
            glClear(GL_DEPTH_BUFFER_BIT);
        }
        glutSwapBuffers();
        glFinish();
    }
    reportRate(state);
}

const char* const BIG_LEVEL_NAMES[] = {"Open Arena", "stacked", "spread"};

// A match of the first two pads on level 0 (the shipped "Open Arena"), 1 (the editor's stacks of
// MAX_LEVEL_BLOCKS identical blocks) or 2 (as many distinct blocks on a 5x5x5 cube), read from a
// scratch folder as the game reads levels/; the other pads' players and tanks are taken out.
GameScreen* setUpBigLevel(int level) {
    namespace fs = std::filesystem;
    const fs::path previous = fs::current_path();
    const fs::path data = fs::exists("models/tank_01.obj") ? previous : fs::path(QUORL_DATA_DIR);
    const fs::path scratch =
        fs::temp_directory_path() / ("quorl_bench_" + std::to_string(getpid()));
    fs::create_directories(scratch / "levels");
    for (const char* folder : {"models", "textures"})
        if (!fs::exists(scratch / folder))
            fs::create_directory_symlink(data / folder, scratch / folder);
    const std::string name = BIG_LEVEL_NAMES[level];
    std::string text;
    if (level == 1) {
        text = biglevels::stackedLevel();
    } else if (level == 2) {
        text = biglevels::spreadLevel();
    } else {
        std::ifstream in(data / "levels" / name, std::ios::binary);
        std::ostringstream read;
        read << in.rdbuf();
        text = read.str();
    }
    std::ofstream(scratch / "levels" / name, std::ios::binary) << text;
    fs::current_path(scratch);

    randomSource.seed(7);
    frameClock.fixedStep = true; // as --fixed-step: every tick 1/60 s, whatever the frame took
    GameScreen* game = GameScreen::instance();
    std::streambuf* console = std::cout.rdbuf(nullptr); // not the tanks' positions
    bool loaded = game->startGame(name);
    if (loaded) {
        game->activate();
        while (game->players.size() > 2) {
            Tank* tank = game->players.back()->tank;
            delete game->players.back();
            game->players.pop_back();
            game->match->seats.pop_back();
            game->match->wins.pop_back();
            game->world()->removeObject(tank); // still the world's to delete
            auto& tanks = game->world()->tanks;
            tanks.erase(std::find(tanks.begin(), tanks.end(), tank));
        }
        game->reshape(windowWidth, windowHeight);
        for (int frame = 0; frame < 3; ++frame) { // display lists and textures made
            game->tick();
            game->display();
        }
        glFinish();
    }
    std::cout.rdbuf(console);
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return loaded ? game : nullptr;
}

// The pads of a scripted two-pad match: drive, back up for a while, steer now and then, fire
// twice a second, and turn a layer every two seconds each. The tanks are kept alive and armed.
void playPads(GameScreen& game, int frame) {
    for (int pad = 0; pad < 2; ++pad) {
        setVirtualPadControl(pad, "lefty", frame % 300 < 240 ? -1.0f : 1.0f);
        setVirtualPadControl(pad, "leftx", frame % 120 < 30 ? (pad ? 0.6f : -0.8f) : 0.0f);
        setVirtualPadControl(pad, "righttrigger", (frame + 15 * pad) % 30 < 3 ? 1.0f : 0.0f);
        setVirtualPadControl(pad, "x", (frame + 60 * pad) % 120 < 2 ? 1.0f : 0.0f);
    }
    for (Player* player : game.players) {
        player->tank->health = Tank::MAX_HEALTH;
        if (player->tank->itemCount < Tank::SLOTS)
            player->tank->addItem(new Item(ITEM_PROJECTILE));
    }
}

void BM_GameFrameBigLevel(benchmark::State& state) {
    if (!openGameWindow()) {
        state.SkipWithError("no X display, or no virtual pads");
        return;
    }
    const int level = static_cast<int>(state.range(0));
    GameScreen* game = setUpBigLevel(level);
    if (!game) {
        state.SkipWithError("the level does not load");
        return;
    }
    std::streambuf* console = std::cout.rdbuf(nullptr);
    int frame = 0;
    for (auto _ : state) {
        playPads(*game, frame++);
        game->tick();
        game->display();
        glFinish();
    }
    std::cout.rdbuf(console);
    std::cout.clear();
    reportRate(state);
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    state.SetLabel(std::string(BIG_LEVEL_NAMES[level]) + ", " +
                   std::to_string(game->world()->boxes.size()) + " blocks, " +
                   (samples > 1 ? std::to_string(samples) + "x multisampled" : "not multisampled"));
}

BENCHMARK(BM_GameFrame)
    ->ArgsProduct({{3, 5}, {1, 2, 4, 6}})
    ->ArgNames({"n", "players"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_GameFrameVerdicts)
    ->ArgsProduct({{3}, {1, 6}})
    ->ArgNames({"n", "players"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// 300 frames: five seconds of play, five layer turns.
BENCHMARK(BM_GameFrameBigLevel)
    ->DenseRange(0, 2)
    ->ArgName("level")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(300);
BENCHMARK(BM_GameFrameFloor)
    ->Arg(1)
    ->Arg(6)
    ->ArgName("players")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
