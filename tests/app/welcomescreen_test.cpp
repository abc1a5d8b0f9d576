#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <algorithm>
#include <random>

#include "app/gamescreen.h"
#include "app/joystickmanager.h"
#include "app/leveleditor.h"
#include "app/player.h"
#include "app/shell.h"
#include "app/trace.h"
#include "app/welcomescreen.h"
#include "menutesting.h"
#include "support/fakeplatform.h"
#include "support/glwindow.h"
#include "world/world.h"

namespace {

constexpr int DOWN = 1, UP = -1;

// The welcome screen with pads the test holds in place of the system's. GLUT must run (the
// screen measures its stroke text), and the activations make GL calls: a window is open.
class WelcomeMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.ok()) << window.error();
        fake = std::make_unique<FakePlatform>();
        screen = WelcomeScreen::instance();
        savedInputs = screen->inputs;
        screen->inputs.clear();
        screen->mode = 0;
        screen->selected = 0;
        screen->scroll = 0;
        screen->levels.clear();
        screen->message.clear();
        screen->keyboardKeys.releaseAll();
        screen->keyboardInput = MenuInput(&screen->keyboardKeys);
        previous = currentScreen;
        currentScreen = screen;
    }
    void TearDown() override {
        if (currentScreen && currentScreen != screen)
            currentScreen->deactivate();
        GameScreen::instance()->endGame();
        screen->inputs = savedInputs;
        currentScreen = previous;
        fake.reset();
    }

    // Pads in the order the screen handles them.
    void usePads(std::vector<HeldPad*> pads) {
        for (HeldPad* pad : pads)
            screen->inputs.emplace_back(pad);
    }
    // Holds the stick at y for one tick.
    void stick(HeldPad& pad, float y) {
        pad.stick.y = y;
        screen->tick();
    }
    // A push and its release, a tick each.
    void step(HeldPad& pad, int direction) {
        stick(pad, static_cast<float>(direction));
        stick(pad, 0);
    }
    // A press of the button and its release, a tick each.
    void click(HeldPad& pad, int button) {
        pad.held[button] = true;
        screen->tick();
        pad.held[button] = false;
        screen->tick();
    }
    // The index in the list of the level the marker stands on.
    int chosenIndex() const { return screen->scroll + screen->selected; }

    GlTestWindow window;
    std::unique_ptr<FakePlatform> fake;
    WelcomeScreen* screen = nullptr;
    std::vector<MenuInput> savedInputs;
    Screen* previous = nullptr;
};

// Up from "Play" is "Quit" and down from "Quit" is "Play"; a push moves once however long it
// is held; a stick between the thresholds keeps what it had: 0.45 does not start a push, nor
// end one.
TEST_F(WelcomeMenu, MainMenuWrapsAndEveryPushMovesOnce) {
    HeldPad pad;
    usePads({&pad});
    stick(pad, UP);
    EXPECT_EQ(screen->selected, 2);
    for (int t = 0; t < 30; ++t)
        stick(pad, UP);
    EXPECT_EQ(screen->selected, 2);
    stick(pad, 0);
    step(pad, DOWN);
    EXPECT_EQ(screen->selected, 0);
    step(pad, DOWN);
    EXPECT_EQ(screen->selected, 1);
    stick(pad, 0.45f);
    EXPECT_EQ(screen->selected, 1);
    stick(pad, 0.5f);
    EXPECT_EQ(screen->selected, 2);
    stick(pad, 0.45f);
    stick(pad, 1.0f); // still the same push
    EXPECT_EQ(screen->selected, 2);
    stick(pad, 0.4f); // let go
    stick(pad, 0.6f);
    EXPECT_EQ(screen->selected, 0);
    EXPECT_EQ(screen->mode, 0);
}

// With seven levels: the fifth row is the last visible one and the list scrolls under it; at
// the last level down does nothing; up from the top row scrolls back while it can.
TEST_F(WelcomeMenu, SevenLevelsScrollUnderTheFifthRow) {
    ScratchFolder folder;
    for (int i = 1; i <= 7; ++i)
        folder.writeCube("Level " + std::to_string(i), 3, 0);
    HeldPad pad;
    usePads({&pad});
    click(pad, 0); // "Play"
    ASSERT_EQ(screen->mode, 1);
    ASSERT_EQ(screen->levels.size(), 7u);
    EXPECT_EQ(screen->levels[6], "Level 7");
    const int expected[][2] = {// selected, scroll after each push down
                               {1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1}, {4, 2}, {4, 2}};
    for (const auto& e : expected) {
        step(pad, DOWN);
        EXPECT_EQ(screen->selected, e[0]);
        EXPECT_EQ(screen->scroll, e[1]);
    }
    const int back[][2] = {{3, 2}, {2, 2}, {1, 2}, {0, 2}, {0, 1}, {0, 0}, {0, 0}};
    for (const auto& e : back) {
        step(pad, UP);
        EXPECT_EQ(screen->selected, e[0]);
        EXPECT_EQ(screen->scroll, e[1]);
    }
    click(pad, 1); // back to the main menu, on "Play"
    EXPECT_EQ(screen->mode, 0);
    EXPECT_EQ(screen->selected, 0);
}

// Against a plain model of a scrolling list (the marker moves through the levels and stops
// at their ends; the window of five rows moves only as far as it must to show it), for any
// length and any walk of pushes.
TEST_F(WelcomeMenu, TheListFollowsTheMarkerForAnyLengthAndWalk) {
    std::mt19937 random(7);
    for (int count = 0; count <= 12; ++count) {
        screen->mode = 1;
        screen->levels.assign(count, "x");
        screen->selected = screen->scroll = 0;
        int index = 0, top = 0;
        for (int push = 0; push < 60; ++push) {
            int direction = random() % 2 ? DOWN : UP;
            index = std::clamp(index + direction, 0, std::max(count - 1, 0));
            top = std::clamp(top, index - WelcomeScreen::VISIBLE_ROWS + 1, index);
            HeldPad pad;
            MenuInput input(&pad);
            pad.stick.y = static_cast<float>(direction);
            screen->handleInput(input, false);
            ASSERT_EQ(chosenIndex(), index) << count << " levels, push " << push;
            ASSERT_EQ(screen->scroll, top) << count << " levels, push " << push;
            ASSERT_GE(screen->selected, 0);
            ASSERT_LT(screen->selected, WelcomeScreen::VISIBLE_ROWS);
        }
    }
}

// Each pad is read in turn within the tick, so two pads pushing down together move twice,
// and one pushing down while the other pushes up leaves the marker where it was.
TEST_F(WelcomeMenu, TwoPadsPushingInOneTickMoveTwice) {
    HeldPad first, second;
    usePads({&first, &second});
    first.stick.y = second.stick.y = DOWN;
    screen->tick();
    EXPECT_EQ(screen->selected, 2);
    first.stick.y = second.stick.y = 0;
    screen->tick();
    first.stick.y = DOWN;
    second.stick.y = UP;
    screen->tick();
    EXPECT_EQ(screen->selected, 2);
}

// The arrows, Enter and Escape drive the menu as a pad does, a step per press even when the
// key is pressed and let go between two ticks; Escape goes back from the list.
TEST_F(WelcomeMenu, TheKeyboardDrivesTheMenuLikeAPad) {
    ScratchFolder folder;
    folder.writeCube("A", 2, 0);
    folder.writeCube("B", 3, 0);
    screen->special(GLUT_KEY_DOWN, 0, 0);
    screen->specialUp(GLUT_KEY_DOWN, 0, 0);
    screen->tick();
    screen->tick();
    EXPECT_EQ(screen->selected, 1);
    screen->special(GLUT_KEY_UP, 0, 0); // held across ticks: one step
    for (int t = 0; t < 10; ++t)
        screen->tick();
    screen->specialUp(GLUT_KEY_UP, 0, 0);
    screen->tick();
    EXPECT_EQ(screen->selected, 0);
    screen->keyboard('\r', 0, 0);
    screen->tick();
    EXPECT_EQ(screen->mode, 0); // a choice is made on the release
    screen->keyboardUp('\r', 0, 0);
    screen->tick();
    ASSERT_EQ(screen->mode, 1);
    EXPECT_EQ(screen->levels, (std::vector<std::string>{"A", "B"}));
    screen->special(GLUT_KEY_DOWN, 0, 0);
    screen->specialUp(GLUT_KEY_DOWN, 0, 0);
    screen->tick();
    EXPECT_EQ(screen->selected, 1);
    screen->keyboard(27, 0, 0);
    screen->keyboardUp(27, 0, 0);
    screen->tick();
    screen->tick();
    EXPECT_EQ(screen->mode, 0);
    EXPECT_EQ(screen->selected, 0);
}

// A level chosen in the list is the one the match is played on, and the keyboard that chose
// it is one of the players.
TEST_F(WelcomeMenu, ALevelChosenFromTheListStartsThatLevel) {
    ScratchFolder folder;
    folder.writeCube("Big", 5, 0);
    folder.writeCube("Middle", 4, 2);
    folder.writeCube("Small", 2, 1);
    HeldPad pad;
    usePads({&pad});
    click(pad, 0);
    step(pad, DOWN);
    ASSERT_EQ(screen->levels[chosenIndex()], "Middle");
    screen->keyboard('\r', 0, 0);
    screen->keyboardUp('\r', 0, 0);
    screen->tick();
    screen->tick();
    GameScreen* game = GameScreen::instance();
    ASSERT_EQ(currentScreen, game);
    ASSERT_NE(game->world, nullptr);
    EXPECT_EQ(game->world->n, 4);
    EXPECT_EQ(game->world->boxes.size(), 2u);
    EXPECT_TRUE(game->world->validate());
    EXPECT_EQ(game->returnScreen, screen);
    bool keyboardPlays = false;
    for (const Player* player : game->players)
        keyboardPlays = keyboardPlays || (player->gamepad && player->gamepad->name() == "Keyboard");
    EXPECT_TRUE(keyboardPlays);
}

// A level that cannot be loaded leaves the screen as it was, with a message that names it;
// an empty list shows nothing to choose and choosing does nothing.
TEST_F(WelcomeMenu, ChoicesThatCannotStartAMatchLeaveTheScreenAsItWas) {
    ScratchFolder folder;
    folder.writeLevelFile("Broken", "seven 28\n");
    HeldPad pad;
    usePads({&pad});
    click(pad, 0);
    ASSERT_EQ(screen->levels.size(), 1u);
    click(pad, 0);
    EXPECT_EQ(currentScreen, screen);
    EXPECT_EQ(screen->mode, 1);
    EXPECT_EQ(screen->message, "Cannot load \"Broken\"");
    TraceLine line;
    screen->addTraceFields(line);
    EXPECT_NE(line.text().find("\"message\":\"Cannot load \\\"Broken\\\"\""), std::string::npos)
        << line.text();
    std::filesystem::remove(folder.path / "levels" / "Broken");
    click(pad, 1);
    click(pad, 0); // "Play" again: the list is read anew, and is empty
    EXPECT_TRUE(screen->levels.empty());
    EXPECT_TRUE(screen->message.empty());
    step(pad, DOWN);
    step(pad, UP);
    EXPECT_EQ(screen->selected, 0);
    EXPECT_EQ(screen->scroll, 0);
    click(pad, 0);
    EXPECT_EQ(currentScreen, screen);
    EXPECT_EQ(screen->mode, 1);
    EXPECT_EQ(GameScreen::instance()->world, nullptr);
}

// Back from a match started on list row 4, the marker stands below the three items: button 0
// chooses nothing until the stick wraps it back into the menu.
TEST_F(WelcomeMenu, AMarkerBelowTheItemsChoosesNothingUntilItMoves) {
    HeldPad pad;
    usePads({&pad});
    screen->selected = 4;
    click(pad, 0);
    EXPECT_EQ(screen->mode, 0);
    EXPECT_EQ(currentScreen, screen);
    EXPECT_EQ(fake->loopsLeft, 0);
    step(pad, DOWN);
    EXPECT_EQ(screen->selected, 2);
    click(pad, 0); // "Quit"
    EXPECT_EQ(fake->loopsLeft, 1);
}

// What a player held on the screen before (a fire button, the stick) when the menu comes back
// must not choose or move: only what is pressed here counts.
TEST_F(WelcomeMenu, WhatWasHeldBeforeTheScreenCameDoesNotAct) {
    HeldPad pad;
    usePads({&pad});
    pad.held[0] = true;
    pad.stick.y = DOWN;
    screen->activate();
    screen->tick();
    pad.held[0] = false;
    pad.stick.y = 0;
    screen->tick();
    EXPECT_EQ(screen->mode, 0);
    EXPECT_EQ(screen->selected, 0);
    click(pad, 0);
    EXPECT_EQ(screen->mode, 1); // "Play": a press made here chooses
    screen->deactivate();
}

// "Level Editor" opens the editor on a new cube; the status line says what can play.
TEST_F(WelcomeMenu, TheEditorEntryOpensTheEditorAndTheStatusLineNamesTheKeyboard) {
    screen->chooseMenuItem(1);
    ASSERT_EQ(currentScreen, LevelEditor::instance());
    EXPECT_EQ(LevelEditor::instance()->world->n, 3);
    std::string expected = "Connect a gamepad to play    Keyboard: arrows, Space, Tab";
    if (JoystickManager::instance()->count > 0) // a machine with pads: they are named instead
        expected = expected.substr(expected.find("    Keyboard"));
    EXPECT_NE(screen->statusLine().find(expected), std::string::npos) << screen->statusLine();
}

} // namespace
