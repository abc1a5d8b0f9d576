#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <filesystem>
#include <fstream>

#include "platform/traceline.h"
#include "screens/gamescreen.h"
#include "screens/gamesound.h"
#include "screens/onlinescreen.h"
#include "screens/player.h"
#include "screens/shell.h"
#include "screens/welcomescreen.h"
#include "support/fakeplatform.h"
#include "support/glwindow.h"
#include "support/menutesting.h"

namespace {

constexpr int DOWN = 1, UP = -1;

// The welcome screen driven by pads the test holds instead of the system's. GLUT must run (the
// screen measures its stroke text) and switching screens makes GL calls: a window is open.
class WelcomeMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.ok()) << window.error();
        fake = std::make_unique<FakePlatform>();
        screen = WelcomeScreen::instance();
        savedInputs = screen->inputs;
        screen->inputs = {MenuInput(&first), MenuInput(&second)};
        screen->mode = screen->selected = screen->scroll = 0;
        screen->keyboardKeys.releaseAll();
        screen->keyboardInput = MenuInput(&screen->keyboardKeys);
        screen->message.clear();
        previous = currentScreen;
        currentScreen = screen;
    }
    void TearDown() override {
        if (currentScreen != screen)
            currentScreen->deactivate();
        GameScreen::instance()->endGame();
        screen->inputs = savedInputs;
        currentScreen = previous;
    }
    void stick(float y) { // the first pad's stick at y for one tick
        first.stick.y = y;
        screen->tick();
    }
    void step(int direction) {
        stick(static_cast<float>(direction));
        stick(0);
    }
    void click(int button) { // a press and its release on the first pad, a tick each
        first.held[button] = true;
        screen->tick();
        first.held[button] = false;
        screen->tick();
    }
    void tapKey(int special) { // pressed and let go between two ticks
        screen->special(special, 0, 0);
        screen->specialUp(special, 0, 0);
        screen->tick();
        screen->tick();
    }
    void tapCharacter(unsigned char key) {
        screen->keyboard(key, 0, 0);
        screen->keyboardUp(key, 0, 0);
        screen->tick();
        screen->tick();
    }

    GlTestWindow window;
    std::unique_ptr<FakePlatform> fake;
    HeldPad first, second;
    WelcomeScreen* screen = nullptr;
    std::vector<MenuInput> savedInputs;
    Screen* previous = nullptr;
};

// Up from "Play" is "Quit"; a push moves once however long it is held; a stick between 0.4 and
// 0.5 keeps what it had. A marker left below the items (after a match started from list row 5)
// chooses nothing until a push wraps it back.
TEST_F(WelcomeMenu, TheMenuWrapsAndEveryPushMovesOnce) {
    for (int t = 0; t < 30; ++t)
        stick(UP);
    EXPECT_EQ(screen->selected, 4);
    stick(0.45f); // still the same push
    stick(0.4f);  // let go
    stick(0.45f); // not yet a push
    EXPECT_EQ(screen->selected, 4);
    stick(0.5f);
    stick(0.45f);
    stick(1.0f);
    EXPECT_EQ(screen->selected, 0);
    stick(0.4f);
    stick(0.6f);
    EXPECT_EQ(screen->selected, 1);
    stick(0);
    screen->selected = 5;
    click(0);
    EXPECT_EQ(currentScreen, screen);
    step(UP);
    EXPECT_EQ(screen->selected, 4);
    click(0); // "Quit"
    EXPECT_EQ(fake->loopsLeft, 1);
}

// With seven levels the list scrolls under the fifth row; down at the last level and up at the
// first do nothing, up at the first moves onto the match setup; each pad is read in turn, so
// two pads pushing in one tick move twice.
TEST_F(WelcomeMenu, SevenLevelsScrollUnderTheFifthRowAndTwoPadsMoveTwice) {
    ScratchFolder folder;
    for (int i = 1; i <= 7; ++i)
        folder.writeCube("Level " + std::to_string(i), 3, 0);
    click(0); // "Play"
    ASSERT_EQ(screen->levels.size(), 7u);
    const int walk[][3] = {// push, then selected and scroll
                           {DOWN, 1, 0}, {DOWN, 2, 0}, {DOWN, 3, 0}, {DOWN, 4, 0}, {DOWN, 4, 1},
                           {DOWN, 4, 2}, {DOWN, 4, 2}, {UP, 3, 2},   {UP, 2, 2},   {UP, 1, 2},
                           {UP, 0, 2},   {UP, 0, 1},   {UP, 0, 0}};
    for (const auto& w : walk) {
        step(w[0]);
        EXPECT_EQ(screen->selected, w[1]);
        EXPECT_EQ(screen->scroll, w[2]);
        EXPECT_EQ(screen->setupRow, -1);
    }
    // Up at the first level moves onto the match setup's last row; the levels stay.
    step(UP);
    EXPECT_EQ(screen->setupRow, WelcomeScreen::SETUP_ROUNDS);
    EXPECT_EQ(screen->selected, 0);
    EXPECT_EQ(screen->scroll, 0);
    first.stick.y = second.stick.y = DOWN;
    screen->tick(); // back onto the first level, then the second
    EXPECT_EQ(screen->setupRow, -1);
    EXPECT_EQ(screen->selected, 1);
    click(1); // back, to "Play"
    EXPECT_EQ(screen->mode, 0);
    EXPECT_EQ(screen->selected, 0);
}

// The arrows, Enter and Escape work as a pad does, one step per press even when the key goes
// up before the tick; a level chosen with Enter starts on that level with the keyboard playing.
TEST_F(WelcomeMenu, TheKeyboardChoosesALevelAndPlaysIt) {
    ScratchFolder folder;
    folder.writeCube("Big", 5, 0);
    folder.writeCube("Middle", 4, 2);
    tapKey(GLUT_KEY_DOWN);
    tapKey(GLUT_KEY_UP);
    screen->keyboard('\r', 0, 0);
    screen->tick();
    EXPECT_EQ(screen->mode, 0); // the choice is made on the release
    screen->keyboardUp('\r', 0, 0);
    screen->tick();
    ASSERT_EQ(screen->mode, 1);
    tapCharacter(27);
    EXPECT_EQ(screen->mode, 0);
    tapCharacter('\r');
    tapKey(GLUT_KEY_DOWN);
    tapCharacter('\r');
    GameScreen* game = GameScreen::instance();
    ASSERT_EQ(currentScreen, game);
    EXPECT_EQ(game->world()->n, 4);
    EXPECT_EQ(game->world()->boxes.size(), 2u);
    EXPECT_EQ(game->returnScreen, screen);
    ASSERT_FALSE(game->players.empty());
    EXPECT_EQ(game->players.back()->gamepad->name(), "Keyboard");
}

// A level that cannot be loaded leaves the screen as it was, with a message naming it; an empty
// list has nothing to choose.
TEST_F(WelcomeMenu, ChoicesThatCannotStartAMatchLeaveTheScreenAsItWas) {
    ScratchFolder folder;
    folder.writeLevelFile("Broken", "seven 28\n");
    click(0);
    click(0);
    EXPECT_EQ(currentScreen, screen);
    TraceLine line;
    screen->addTraceFields(line);
    EXPECT_EQ(line.text(), "{\"mode\":1,\"selected\":0,\"scroll\":0,\"levels\":1,"
                           "\"setupRow\":-1,\"bots\":0,\"difficulty\":\"normal\",\"rounds\":1,"
                           "\"message\":\"Cannot load \\\"Broken\\\"\"}");
    std::filesystem::remove(folder.path / "levels" / "Broken");
    click(1);
    click(0);
    EXPECT_TRUE(screen->levels.empty());
    EXPECT_TRUE(screen->message.empty());
    step(DOWN);
    click(0);
    EXPECT_EQ(currentScreen, screen);
    EXPECT_EQ(screen->selected, 0);
    EXPECT_EQ(GameScreen::instance()->world(), nullptr);
}

// A button or stick still held from the screen before does not choose or move when the menu
// comes back; what is pressed here does.
TEST_F(WelcomeMenu, WhatWasHeldBeforeTheMenuCameBackDoesNotAct) {
    first.held[0] = true;
    first.stick.y = DOWN;
    screen->activate();
    screen->tick();
    first.held[0] = false;
    stick(0);
    EXPECT_EQ(screen->mode, 0);
    EXPECT_EQ(screen->selected, 0);
    click(0);
    EXPECT_EQ(screen->mode, 1);
    screen->deactivate();
}

} // namespace

namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// "Settings" sits between "Level Editor" and "Quit". Its rows are the settings that have one;
// up and down go round them, left and right change the value (full screen at once), and going
// back writes the file, only when something changed. A file that cannot be written is said.
TEST_F(WelcomeMenu, SettingsRowsChangeWithLeftAndRightAndAreSavedWhenLeft) {
    ScratchFolder folder;
    screen->settings = Settings();
    screen->settingsPath = (folder.path / "config" / "settings").string();
    fullscreen = false;
    EXPECT_STREQ(screen->menuItems[2], "Settings");
    step(DOWN);
    step(DOWN);
    click(0);
    ASSERT_EQ(screen->mode, WelcomeScreen::SETTINGS);
    std::vector<size_t> rows = WelcomeScreen::settingRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], Settings::indexOf("fullscreen"));
    EXPECT_EQ(rows[1], Settings::indexOf("multisample"));
    EXPECT_EQ(rows[2], Settings::indexOf("effects_volume"));
    EXPECT_EQ(rows[3], Settings::indexOf("music_volume"));
    EXPECT_EQ(rows[4], Settings::indexOf("rumble"));
    TraceLine line;
    screen->addTraceFields(line);
    EXPECT_NE(line.text().find("\"fullscreen\":\"off\",\"multisample\":\"auto\""),
              std::string::npos)
        << line.text();

    tapKey(GLUT_KEY_RIGHT); // full screen on, at once
    EXPECT_EQ(screen->settings.get("fullscreen"), 1);
    EXPECT_TRUE(fullscreen);
    EXPECT_EQ(fake->fullScreenToggles, 1);
    for (int row = 1; row <= 5; ++row)
        step(DOWN); // round to the first row
    step(UP);       // and back to the last
    EXPECT_EQ(screen->selected, 4);
    step(UP);
    step(UP);
    step(UP);
    EXPECT_EQ(screen->selected, 1);
    first.stick.x = -1; // left: auto -> off
    screen->tick();
    first.stick.x = 0;
    screen->tick();
    EXPECT_EQ(screen->settings.get("multisample"), Settings::MULTISAMPLE_OFF);
    click(0); // choose moves it on: off -> auto
    EXPECT_EQ(screen->settings.get("multisample"), Settings::MULTISAMPLE_AUTO);
    tapKey(GLUT_KEY_RIGHT);
    EXPECT_FALSE(std::filesystem::exists(screen->settingsPath)); // not before leaving
    tapCharacter(27);
    EXPECT_EQ(screen->mode, WelcomeScreen::MAIN_MENU);
    EXPECT_EQ(screen->selected, 2);
    EXPECT_EQ(fileText(screen->settingsPath),
              "# Quorl's settings, rewritten when they are changed in the game.\n"
              "fullscreen = on\nwindow_width = 800\nwindow_height = 600\nmultisample = on\n"
              "effects_volume = 10\nmusic_volume = 7\nrumble = on\n"
              "computer_tanks = 0\ndifficulty = normal\nrounds_to_win = 1\njoin_address =\n");

    // Unchanged: the file is not touched, even when it is no longer the settings' own text.
    std::ofstream(screen->settingsPath) << "window_width = 1024\n";
    click(0);
    click(1);
    EXPECT_EQ(fileText(screen->settingsPath), "window_width = 1024\n");

    // A file that cannot be written: said on the screen, the game goes on.
    screen->settingsPath = (folder.path / "config" / "settings" / "settings").string();
    click(0);
    tapKey(GLUT_KEY_LEFT);
    click(1);
    EXPECT_EQ(screen->mode, WelcomeScreen::MAIN_MENU);
    EXPECT_EQ(screen->message.find("Settings not saved: "), 0u) << screen->message;
    fullscreen = false;
}

// The menu answers every move, choice and return with its sound, and the rumble row acts at
// once (the volume rows reach the device the same way; without one they only change the
// settings).
TEST_F(WelcomeMenu, MenuSoundsAndTheRumbleRowActAtOnce) {
    ScratchFolder folder;
    screen->settings = Settings();
    screen->settingsPath = (folder.path / "settings").string();
    auto heard = [] {
        std::string names;
        for (const StartedSound& s : soundsThisFrame().started())
            names += std::string(soundName(s.sound)) + " ";
        beginSoundFrame();
        return names;
    };
    beginSoundFrame();
    step(DOWN);
    step(DOWN);
    EXPECT_EQ(heard(), "menu-move menu-move ");
    click(0);
    ASSERT_EQ(screen->mode, WelcomeScreen::SETTINGS);
    EXPECT_EQ(heard(), "menu-choose ");
    step(UP); // round to the last row: rumble
    EXPECT_EQ(heard(), "menu-move ");
    setRumbleEnabled(true);
    tapKey(GLUT_KEY_LEFT);
    EXPECT_EQ(screen->settings.get("rumble"), 0);
    EXPECT_FALSE(rumbleEnabled());
    EXPECT_EQ(heard(), "menu-choose ");
    click(1);
    EXPECT_EQ(screen->mode, WelcomeScreen::MAIN_MENU);
    EXPECT_EQ(heard(), "menu-back ");
    EXPECT_NE(fileText(screen->settingsPath).find("rumble = off"), std::string::npos);
    setRumbleEnabled(true);
}

} // namespace

// The match setup beside the level list: up from the first level onto its rows, left and right
// (a pad's stick or the keyboard's arrows, button 0 like right) change them within their
// ranges, leaving the list writes them to the settings file, and the next run takes them from
// the file, the command line winning for that run.
TEST_F(WelcomeMenu, MatchSetupRowsChangeWithLeftAndRightAndAreRemembered) {
    ScratchFolder folder;
    folder.writeCube("Arena", 3, 0);
    screen->settings = Settings();
    screen->settingsPath = (folder.path / "config" / "settings").string();
    screen->setup = MatchSettings();
    screen->setupRow = -1;
    auto push = [&](float x) { // the first pad's stick to the side for one tick, then back
        first.stick.x = x;
        screen->tick();
        first.stick.x = 0;
        screen->tick();
    };
    click(0); // "Play"
    ASSERT_EQ(screen->mode, WelcomeScreen::LEVEL_LIST);
    push(1); // on a level, sideways changes nothing
    EXPECT_EQ(screen->setup.roundsToWin, 1);
    step(UP);
    ASSERT_EQ(screen->setupRow, WelcomeScreen::SETUP_ROUNDS);
    const int rounds[] = {3, 5, 1};
    for (int expected : rounds) {
        push(1);
        EXPECT_EQ(screen->setup.roundsToWin, expected);
    }
    tapKey(GLUT_KEY_LEFT); // the keyboard: 1 -> 5, round
    EXPECT_EQ(screen->setup.roundsToWin, 5);
    step(UP);
    push(-1);
    EXPECT_EQ(screen->setup.difficulty, Difficulty::EASY);
    push(-1);
    EXPECT_EQ(screen->setup.difficulty, Difficulty::HARD);
    step(UP);
    step(UP); // the first row stays the first
    ASSERT_EQ(screen->setupRow, WelcomeScreen::SETUP_COMPUTERS);
    push(-1);
    EXPECT_EQ(screen->setup.computerTanks, 0);
    for (int i = 0; i < 8; ++i)
        click(0); // like right, up to the faces left free
    int most = screen->mostComputers();
    EXPECT_GE(most, 1);
    EXPECT_LE(most, 5);
    EXPECT_EQ(screen->setup.computerTanks, most);
    TraceLine line;
    screen->addTraceFields(line);
    EXPECT_NE(line.text().find("\"setupRow\":0,\"bots\":" + std::to_string(most) +
                               ",\"difficulty\":\"hard\",\"rounds\":5"),
              std::string::npos)
        << line.text();
    EXPECT_FALSE(std::filesystem::exists(screen->settingsPath)); // not before leaving
    click(1);
    EXPECT_EQ(screen->mode, WelcomeScreen::MAIN_MENU);
    EXPECT_EQ(fileText(screen->settingsPath),
              "# Quorl's settings, rewritten when they are changed in the game.\n"
              "fullscreen = off\nwindow_width = 800\nwindow_height = 600\nmultisample = auto\n"
              "effects_volume = 10\nmusic_volume = 7\nrumble = on\n"
              "computer_tanks = " +
                  std::to_string(most) +
                  "\ndifficulty = hard\nrounds_to_win = 5\njoin_address =\n");

    // The next run: the file's choice, and what the command line gives over it, unsaved.
    Settings read;
    std::string warning;
    loadSettings(screen->settingsPath, read, warning);
    EXPECT_EQ(warning, "");
    screen->settings = read;
    MatchSettings given;
    given.computerTanks = 2;
    given.difficulty = Difficulty::EASY;
    screen->takeSetup(given, true, false, false);
    EXPECT_EQ(screen->setup.computerTanks, 2);
    EXPECT_EQ(screen->setup.difficulty, Difficulty::HARD);
    EXPECT_EQ(screen->setup.roundsToWin, 5);
    EXPECT_EQ(screen->settings.get("computer_tanks"), most);
}

// "Play Online" stands just above "Quit" with a record and without one, the other rows where a
// hand knows them; "Host" and "Join" go round, "Host" leads to the level list, and back goes a step
// at a time. A level that cannot be loaded, or a port another holds, says why and stays; a level
// hosted opens the lobby.
TEST_F(WelcomeMenu, PlayOnlineSitsAboveQuitAndHostsALevelFromTheList) {
    ScratchFolder folder;
    folder.writeLevelFile("Broken", "seven 28\n");
    folder.writeCube("Cube", 3, 0);
    for (bool record : {false, true}) {
        screen->lastRecord = record ? "quorl-20260101-000000.qrec" : "";
        const int online = record ? 4 : 3;
        screen->selected = 0;
        step(UP);
        step(UP); // round past "Quit"
        ASSERT_EQ(screen->selected, online);
        click(0);
        ASSERT_EQ(screen->mode, WelcomeScreen::ONLINE);
        for (int row : {WelcomeScreen::ONLINE_JOIN, WelcomeScreen::ONLINE_HOST}) {
            step(DOWN);
            EXPECT_EQ(screen->selected, row);
        }
        click(0);
        ASSERT_TRUE(screen->mode == WelcomeScreen::LEVEL_LIST && screen->listHosts);
        click(1);
        EXPECT_EQ(screen->selected, WelcomeScreen::ONLINE_HOST);
        tapCharacter(27);
        EXPECT_EQ(screen->mode, WelcomeScreen::MAIN_MENU);
        EXPECT_EQ(screen->selected, online);
    }
    screen->lastRecord.clear();
    screen->chooseMenuItem(WelcomeScreen::PLAY_ONLINE);
    click(0);
    click(0); // "Broken"
    EXPECT_EQ(screen->message, "Cannot load \"Broken\"");
    step(DOWN);
    std::string error;
    auto holder = net::OnlineSession::host(0, "Other", {}, "test", error);
    ASSERT_NE(holder, nullptr) << error;
    screen->hostPort = holder->port();
    click(0);
    EXPECT_EQ(screen->message.find("Cannot host: "), 0u) << screen->message;
    holder.reset();
    click(0);
    OnlineScreen* online = OnlineScreen::instance();
    ASSERT_EQ(currentScreen, online);
    online->keyboard(27, 0, 0); // back, onto "Play Online"
    EXPECT_EQ(screen->selected, 3);
    screen->hostPort = net::DEFAULT_PORT;
}

// The Join line starts with the address last joined; printable characters are added up to 64,
// Backspace takes the last off, anything else does nothing. What is no address, or names no
// machine, says why under the line and stays; Escape goes back to "Join".
TEST_F(WelcomeMenu, TheJoinLineTakesTypingAndSaysWhatCannotBeJoined) {
    ScratchFolder folder;
    screen->settings = Settings();
    ASSERT_TRUE(screen->settings.setTextValue("join_address", "10.0.0.7:9"));
    auto type = [&](const std::string& text) {
        for (char c : text)
            screen->keyboard(static_cast<unsigned char>(c), 0, 0);
        screen->keyboardKeys.releaseAll();
    };
    screen->chooseMenuItem(WelcomeScreen::PLAY_ONLINE);
    step(DOWN);
    click(0);
    ASSERT_EQ(screen->mode, WelcomeScreen::JOIN_ADDRESS);
    EXPECT_EQ(screen->address, "10.0.0.7:9");
    type(std::string("1\b\b2\x07\x7f\xe9\tx y"));
    EXPECT_EQ(screen->address, "10.0.0.7:2x y");
    type(std::string(80, '7'));
    EXPECT_EQ(screen->address.size(), WelcomeScreen::MAX_ADDRESS);
    const std::pair<std::string, std::string> refused[] = {
        {"", "Type the host's address first"},
        {"127.0.0.1:99999", "Not an address: "},
        {":27183", "Not an address: "},
        {"a..b:27183", "Cannot join: there is no machine \"a..b\""}};
    for (const auto& [typed, says] : refused) {
        type(std::string(WelcomeScreen::MAX_ADDRESS, '\b') + typed);
        click(0); // a pad's button 0 joins as Enter does
        EXPECT_EQ(currentScreen, screen);
        EXPECT_EQ(screen->address, typed);
        EXPECT_EQ(screen->message.find(says), 0u) << typed << ": " << screen->message;
    }
    tapCharacter(27);
    EXPECT_EQ(screen->mode, WelcomeScreen::ONLINE);
    EXPECT_EQ(screen->selected, WelcomeScreen::ONLINE_JOIN);
    EXPECT_EQ(screen->settings.textValue("join_address"), "10.0.0.7:9");
}
