#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "matchrun.h"
#include "math/randomsource.h"
#include "support/childprocess.h"

namespace {

using namespace gamerun;

// Four grey blocks on every face, away from the tanks' starting places.
std::string blockLevel() {
    std::ostringstream level;
    level << "3 28\n\n";
    for (int face = 0; face < 6; ++face)
        for (int corner = 0; corner < 4; ++corner) {
            float p[3];
            int axis = face >> 1;
            p[axis] = (face & 1) ? -42.0f : 42.0f;
            p[(axis + 1) % 3] = (corner & 1) ? 22.0f : -22.0f;
            p[(axis + 2) % 3] = (corner & 2) ? 22.0f : -22.0f;
            level << p[0] << " " << p[1] << " " << p[2] << " \n6 6 " << 3 + corner << "\n"
                  << "0.5 0.5 0.5 1 \n\n";
        }
    return level.str();
}

// Six players mashing their pads: every frame some pad moves a stick, pulls a trigger or
// taps a layer button; every few seconds the developer keys hand out
// shells, triple shells and nukes, and now and then a pad is unplugged and plugged back. Each
// tank is put back to full health every two seconds, which no tank can lose in that time, so
// the match never ends and the run stays in it.
std::string randomScript(int frames, unsigned int seed) {
    static const char* const sticks[] = {"leftx", "lefty", "rightx", "righty"};
    static const char* const buttons[] = {"a", "b", "x", "y", "leftshoulder", "rightshoulder"};
    randomSource.seed(seed);
    std::ostringstream s;
    for (int f = 1; f < frames; ++f) {
        for (int pad = 0; pad < 6; ++pad) {
            if (randomSource.randomInt(0, 5) != 0)
                continue;
            int what = randomSource.randomInt(0, 9);
            if (what < 5) {
                s << f << " pad " << pad << " " << sticks[randomSource.randomInt(0, 3)] << " "
                  << randomSource.randomFloat(-1, 1) << "\n";
            } else if (what < 9) {
                s << f << " pad " << pad << " "
                  << (randomSource.randomInt(0, 1) ? "lefttrigger " : "righttrigger ")
                  << randomSource.randomInt(0, 1) << "\n";
            } else { // a layer button, tapped: held, it would turn layer after layer
                const char* button = buttons[randomSource.randomInt(0, 5)];
                s << f << " pad " << pad << " " << button << " 1\n"
                  << f + 2 << " pad " << pad << " " << button << " 0\n";
            }
        }
        if (f % 180 == 90) {
            char key = static_cast<char>('2' + randomSource.randomInt(0, 2));
            s << f << " key " << key << " down\n" << f + 1 << " key " << key << " up\n";
        }
        if (f % 400 == 200) {
            int pad = randomSource.randomInt(0, 5);
            s << f << " pad " << pad << " unplug\n" << f + 30 << " pad " << pad << " plug\n";
        }
        if (f % 120 == 0)
            for (int player = 0; player < 6; ++player)
                s << f << " tank " << player << " health 10\n";
    }
    return s.str();
}

// What every frame of a match must hold, whatever the players do: six players in, each tank
// standing on the face it reports (but while a layer turns it), inside that face's square,
// with a sound inventory.
void expectSoundMatch(const JsonValue& frame) {
    ASSERT_EQ(frame["screen"].string, "game");
    ASSERT_EQ(frame["players"].size(), 6u);
    for (size_t p = 0; p < 6; ++p) {
        const JsonValue& player = frame["players"][p];
        SCOPED_TRACE("player " + std::to_string(p));
        ASSERT_TRUE(player["alive"].boolean);
        double health = player["health"].num();
        ASSERT_TRUE(health >= 1 && health <= 10) << health;
        int face = static_cast<int>(player["face"].num());
        ASSERT_TRUE(face >= 0 && face <= 5) << face;
        for (size_t slot = 0; slot < 3; ++slot) {
            const JsonValue& item = player["items"][slot];
            ASSERT_TRUE(item.isNull() || (item.num() >= 0 && item.num() <= 4)) << slot;
        }
        double current = player["current"].num();
        ASSERT_TRUE(current >= 0 && current <= 2);
        if (frame["rotating"].boolean)
            continue;
        const JsonValue& position = player["position"];
        int axis = face >> 1;
        ASSERT_NEAR(position[axis].num(), (face & 1) ? -42 : 42, 0.01);
        for (int other = 0; other < 3; ++other)
            ASSERT_LE(std::fabs(position[other].num()), 42.01) << other;
    }
}

// What a sanitizer build's run of the game preloads: the sanitizer runtime first, as it must
// come, then the software GL driver, which the window's closing would otherwise unload before
// the leak check at exit; unloaded, the driver's own allocations kept until exit could not be
// named, and its suppressions would not apply. Empty for other builds.
std::string sanitizerPreload() {
#if defined(__SANITIZE_ADDRESS__)
    std::ifstream maps("/proc/self/maps");
    std::string runtime;
    for (std::string line; runtime.empty() && std::getline(maps, line);)
        if (line.find("/libasan.so") != std::string::npos)
            runtime = line.substr(line.find('/'));
    for (const char* driver : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
                               "/usr/lib64/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"})
        if (!runtime.empty() && fs::exists(driver))
            return runtime + " " + driver;
#endif
    return "";
}

// A short soak: 6 s of frames; QUORL_SOAK_SECONDS makes it longer (the long soak runs the
// sanitizer build for minutes). In a sanitizer build any report fails the run, and so does a
// leak at its clean exit.
TEST(GameSoak, SixPadsAtRandomKeepTheMatchSound) {
    int seconds = 6;
    if (const char* text = std::getenv("QUORL_SOAK_SECONDS"))
        seconds = std::max(1, std::atoi(text));
    const int frames = seconds * 60;
    MatchFolder run(blockLevel());
    run.write("soak.txt", randomScript(frames, 5));
    std::string preload = sanitizerPreload();
    if (!preload.empty())
        setenv("LD_PRELOAD", preload.c_str(), 1); // for the game only
    ChildProcess game(QUORL_BINARY,
                      {"--pads", "6", "--level", "arena", "--script", "soak.txt", "--seed", "5",
                       "--fast", "--trace", "trace.jsonl", "--size", "160x120", "--exit-after",
                       std::to_string(frames - 1)},
                      run.path.string(), true);
    unsetenv("LD_PRELOAD");
    int status = game.waitForExit(60.0 + seconds * 30.0); // slow sanitizer builds too
    std::string out = game.output();
    ASSERT_EQ(status, 0) << out.substr(out.size() > 4000 ? out.size() - 4000 : 0);
    EXPECT_EQ(out.find("ERROR: "), std::string::npos) << "a sanitizer spoke";
    EXPECT_EQ(out.find("runtime error"), std::string::npos) << "a sanitizer spoke";
    std::vector<JsonValue> t = readTrace(run.file("trace.jsonl"));
    ASSERT_EQ(t.size(), static_cast<size_t>(frames));
    int rotating = 0, shells = 0, explosions = 0;
    for (size_t f = 0; f < t.size(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        ASSERT_EQ(t[f]["tick"].num(), double(f));
        expectSoundMatch(t[f]);
        rotating += t[f]["rotating"].boolean;
        shells += t[f]["shells"].num() > 0;
        explosions += t[f]["explosions"].num() > 0;
    }
    // The mashing did play: layers turned, shells flew, blasts went off.
    EXPECT_GT(rotating, frames / 10);
    EXPECT_GT(shells, frames / 20);
    EXPECT_GT(explosions, frames / 40);
}

} // namespace
