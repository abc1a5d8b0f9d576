#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "platform/frameclock.h"
#include "screens/gamescreen.h"
#include "screens/shell.h"
#include "sdlpads/sdljoystickbackend.h"
#include "sdlpads/virtualpads.h"
#include "session/playsession.h"
#include "support/fakeplatform.h"
#include "support/recordingscreen.h"
#include "world/world.h"

namespace {

// The program's game screen on the program's joystick manager, with `pads` virtual pads
// standing in for the system's; everything is released again at the end, so that other
// tests can enumerate pads of their own.
class GameScreenTest : public ::testing::Test {
protected:
    void startPads(int pads) {
        std::string error;
        ASSERT_TRUE(attachVirtualPads(pads, error)) << error;
        testing::internal::CaptureStdout();
        JoystickManager::install(std::make_unique<SdlJoystickBackend>());
        testing::internal::GetCapturedStdout();
    }
    void SetUp() override {
        installEntityHooks();
        frameClock.fixedStep = true;
        previous = currentScreen;
        currentScreen = &menu; // the game is ticked here without being current: no GL
        savedWidth = windowWidth;
        savedHeight = windowHeight;
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
    }
    // A new game on the default cube, each player given the tank of its face as activation
    // would; what the tanks print is swallowed.
    void newGame() {
        testing::internal::CaptureStdout();
        ASSERT_TRUE(game->startGame(""));
        for (size_t i = 0; i < game->players.size(); ++i) {
            Player* player = game->players[i];
            player->tank = game->world()->addTank(static_cast<int>(i));
            player->world = game->world();
        }
        testing::internal::GetCapturedStdout();
        game->returnScreen = &menu;
    }
    static void destroy(Player* player) {
        player->tank->health = 1;
        player->tank->hit();
    }
    void tick(int ticks) {
        for (int t = 0; t < ticks; ++t)
            game->tick();
    }

    GameScreen* game = GameScreen::instance();
    FakePlatform fake;
    std::vector<std::string> log;
    RecordingScreen menu{"menu", &log};
    Screen* previous = nullptr;
    int savedWidth = 0, savedHeight = 0;
};

// Eight pads: six join, one a face, in pad order; the other two are named once, in the first
// game only.
TEST_F(GameScreenTest, AtMostSixPadsJoinAndTheRestAreReportedOnce) {
    startPads(8);
    windowWidth = 800;
    windowHeight = 600;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(game->startGame(""));
    std::string first = testing::internal::GetCapturedStdout();
    EXPECT_EQ(first, "Pad 7 (Virtual Pad 7) does not join: a match has at most 6 players.\n"
                     "Pad 8 (Virtual Pad 8) does not join: a match has at most 6 players.\n");
    ASSERT_EQ(game->players.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(game->players[i]->gamepad->name(), "Virtual Pad " + std::to_string(i + 1));
        EXPECT_EQ(game->players[i]->viewportWidth, 400);
        EXPECT_EQ(game->players[i]->viewportHeight, 200);
    }
    testing::internal::CaptureStdout();
    ASSERT_TRUE(game->startGame(""));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(game->players.size(), 6u);
}

// The match is decided when at most one tank is left: the last one wins, the countdown runs
// on the ticks' dt, and 30 s later the first screen is current again with a fresh countdown.
// Two tanks destroyed in the same tick leave no winner, and the countdown still runs.
TEST_F(GameScreenTest, TheLastTankWinsAndThirtySecondsLaterTheMenuReturns) {
    startPads(3);
    newGame();
    ASSERT_EQ(game->players.size(), 3u);
    std::vector<Player*> p = game->players;
    destroy(p[0]);
    tick(10);
    EXPECT_FALSE(p[0]->alive);
    EXPECT_FALSE(p[1]->won || p[2]->won);
    EXPECT_EQ(game->match->countdown, GameScreen::COUNTDOWN); // two are left
    destroy(p[2]);
    tick(1);
    EXPECT_TRUE(p[1]->won);
    EXPECT_FALSE(p[0]->won || p[2]->won);
    EXPECT_FLOAT_EQ(game->match->countdown, GameScreen::COUNTDOWN - 1.0f / 60);
    log.clear();
    tick(30 * 60 - 2);
    EXPECT_TRUE(log.empty()) << log.front();
    EXPECT_GT(game->match->countdown, 0.0f);
    for (int more = 0; more < 2 && log.empty(); ++more)
        tick(1); // float steps of 1/60 reach zero within a tick of the 30 s
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "menu:deactivate");
    EXPECT_EQ(log[1], "menu:activate");
    EXPECT_EQ(currentScreen, &menu);
    EXPECT_EQ(game->match->countdown, GameScreen::COUNTDOWN);
    EXPECT_TRUE(game->world()->validate());

    newGame();
    p = game->players;
    destroy(p[0]);
    tick(1);
    destroy(p[1]);
    destroy(p[2]);
    tick(1);
    for (Player* player : p)
        EXPECT_FALSE(player->alive || player->won);
    EXPECT_LT(game->match->countdown, GameScreen::COUNTDOWN);
}

// One player alone never ends the match, even with its tank gone.
TEST_F(GameScreenTest, AMatchOfOneNeverEndsByItself) {
    startPads(1);
    newGame();
    ASSERT_EQ(game->players.size(), 1u);
    destroy(game->players[0]);
    tick(31 * 60);
    EXPECT_FALSE(game->players[0]->alive);
    EXPECT_FALSE(game->players[0]->won);
    EXPECT_EQ(game->match->countdown, GameScreen::COUNTDOWN);
    EXPECT_TRUE(log.empty());
}

// A script sets a match up: the tank of a player still in it keeps the health it is given;
// anything else fails the run with the line that asked.
TEST_F(GameScreenTest, AScriptSetsATanksHealthInTheRunningMatchOnly) {
    startPads(2);
    newGame();
    destroy(game->players[1]);
    std::istringstream in("0 tank 0 health 2\n0 tank 1 health 5\n1 tank 0 health 3\n"
                          "1 tank 4 health 3\n");
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(parseScript(in, events, error)) << error;
    Options options;
    options.exitAfter = 2;
    NoPads pads;
    PlaySession session(options, events, pads);
    currentScreen = game;
    testing::internal::CaptureStdout();
    session.beginFrame();
    EXPECT_EQ(game->players[0]->tank->getHealth(), 2);
    EXPECT_EQ(game->players[1]->tank->getHealth(), 0); // destroyed stays destroyed
    session.afterDisplay();
    currentScreen = &menu;
    session.beginFrame(); // not in a match any more
    EXPECT_EQ(game->players[0]->tank->getHealth(), 2);
    EXPECT_EQ(session.finish(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Script line 2 (frame 0): player 1 has no tank left\n"
              "Script line 3 (frame 1): no match is running\n"
              "Script line 4 (frame 1): no match is running\n");
}

} // namespace
