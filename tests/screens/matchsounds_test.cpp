#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "platform/frameclock.h"
#include "platform/window.h"
#include "screens/gamescreen.h"
#include "screens/gamesound.h"
#include "screens/shell.h"
#include "sdlpads/sdljoystickbackend.h"
#include "sdlpads/virtualpads.h"
#include "support/fakeplatform.h"
#include "support/recordingscreen.h"
#include "world/world.h"

namespace {

// The game screen ticked headless, with virtual pads for the system's and no audio device: the
// sounds are those the screens asked for, as the trace records them.
class MatchSoundsTest : public ::testing::Test {
protected:
    void SetUp() override {
        installEntityHooks();
        frameClock.fixedStep = true;
        previous = currentScreen;
        currentScreen = &menu;
        savedWidth = windowWidth;
        savedHeight = windowHeight;
        windowWidth = 800;
        windowHeight = 600;
        setRumbleEnabled(true);
        beginSoundFrame();
    }
    void TearDown() override {
        game->endGame();
        game->returnScreen = nullptr;
        JoystickManager::release();
        detachVirtualPads();
        frameClock.fixedStep = false;
        currentScreen = previous;
        windowWidth = savedWidth;
        windowHeight = savedHeight;
        setRumbleEnabled(true);
    }
    void start(int pads, bool withKeyboard) {
        std::string error;
        ASSERT_TRUE(attachVirtualPads(pads, error)) << error;
        testing::internal::CaptureStdout();
        JoystickManager::install(std::make_unique<SdlJoystickBackend>());
        ASSERT_TRUE(game->startGame("", withKeyboard));
        for (size_t i = 0; i < game->players.size(); ++i) {
            game->players[i]->tank = game->world()->addTank(static_cast<int>(i));
            game->players[i]->world = game->world();
        }
        testing::internal::GetCapturedStdout();
        game->returnScreen = &menu;
    }
    // One tick; the sounds it started, as "name@view".
    std::vector<std::string> tick() {
        beginSoundFrame();
        game->tick();
        std::vector<std::string> heard;
        for (const StartedSound& s : soundsThisFrame().started())
            heard.push_back(std::string(soundName(s.sound)) + "@" + std::to_string(s.view));
        return heard;
    }
    // A hit whatever came before: no invulnerability left from the last one.
    static void hit(Tank* tank, int healthBefore) {
        tank->invulnerableTime = 0;
        tank->health = healthBefore;
        tank->hit();
    }
    static bool has(const std::vector<std::string>& list, const std::string& item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    }

    GameScreen* game = GameScreen::instance();
    FakePlatform fake;
    std::vector<std::string> log;
    RecordingScreen menu{"menu", &log};
    Screen* previous = nullptr;
    int savedWidth = 0, savedHeight = 0;
};

// A pad's tank hit asks that pad to shake (SDL's rumble reaches the virtual pad), a destruction
// again; the keyboard's tank, hit or destroyed, shakes nothing; with rumble off no pad shakes.
TEST_F(MatchSoundsTest, RumbleReachesTheHitTanksPadNeverTheKeyboard) {
    start(1, true);
    ASSERT_EQ(game->players.size(), 2u);
    Tank* padTank = game->players[0]->tank;
    Tank* keyboardTank = game->players[1]->tank;

    hit(padTank, 5);
    std::vector<std::string> heard = tick();
    EXPECT_TRUE(has(heard, "tank-hit@0"));
    EXPECT_EQ(rumbledThisFrame(), std::vector<std::string>{"Virtual Pad 1"});
    int afterHit = virtualPadRumbles(0);
    EXPECT_GE(afterHit, 1) << "the virtual pad's rumble callback was not called";

    hit(keyboardTank, 5);
    heard = tick();
    EXPECT_TRUE(has(heard, "tank-hit@1"));
    EXPECT_TRUE(rumbledThisFrame().empty());
    EXPECT_EQ(virtualPadRumbles(0), afterHit);

    setRumbleEnabled(false);
    hit(padTank, 5);
    heard = tick();
    EXPECT_TRUE(has(heard, "tank-hit@0"));
    EXPECT_TRUE(rumbledThisFrame().empty());
    EXPECT_EQ(virtualPadRumbles(0), afterHit);

    setRumbleEnabled(true);
    hit(padTank, 1);
    heard = tick();
    EXPECT_TRUE(has(heard, "tank-destroyed@0"));
    EXPECT_TRUE(has(heard, "you-lose@0"));
    EXPECT_EQ(rumbledThisFrame(), std::vector<std::string>{"Virtual Pad 1"});
    EXPECT_GT(virtualPadRumbles(0), afterHit);
}

// A three-player match traced to its end: each destruction is heard in its own view with the big
// blast and that view's "You lose.", the survivor's "You win!" once, the countdown's last five
// seconds tick, and nothing else sounds while nothing happens.
TEST_F(MatchSoundsTest, AWholeMatchSoundsInTheViewsWhereItHappens) {
    start(3, false);
    ASSERT_EQ(game->players.size(), 3u);
    std::vector<Player*> p = game->players;
    for (int t = 0; t < 30; ++t)
        EXPECT_TRUE(tick().empty()) << "tick " << t;

    hit(p[2]->tank, 1);
    std::vector<std::string> heard = tick();
    EXPECT_TRUE(has(heard, "tank-destroyed@2"));
    EXPECT_TRUE(has(heard, "you-lose@2"));
    bool bigBlast = has(heard, "blast-nuke@2");
    for (int t = 0; t < 5 && !bigBlast; ++t)
        bigBlast = has(tick(), "blast-nuke@2");
    EXPECT_TRUE(bigBlast) << "the destroyed tank's blast";

    hit(p[0]->tank, 1);
    heard = tick();
    EXPECT_TRUE(has(heard, "you-lose@0"));
    EXPECT_TRUE(has(heard, "you-win@1"));
    EXPECT_FALSE(has(heard, "you-lose@2")) << "told once";

    int ticks = 0, wins = 0;
    std::vector<float> tickedAt;
    while (currentScreen != &menu || log.empty()) {
        float before = game->match->countdown;
        for (const std::string& s : tick()) {
            wins += s.rfind("you-win", 0) == 0;
            if (s == "countdown-tick@-1")
                tickedAt.push_back(before);
        }
        ASSERT_LT(++ticks, 31 * 60);
    }
    EXPECT_EQ(wins, 0) << "the win is told once";
    ASSERT_EQ(tickedAt.size(), 5u);
    for (size_t i = 0; i < tickedAt.size(); ++i)
        EXPECT_NEAR(tickedAt[i], 5.0f - static_cast<float>(i), 1.5f / 60) << i;
}

} // namespace
