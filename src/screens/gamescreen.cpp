#include "screens/gamescreen.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "math/text.h"
#include "platform/frameclock.h"
#include "platform/platform.h"
#include "screens/shell.h"
#include "view/playerlayout.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr float OVERVIEW_FOV = 65.0f; // degrees, the overview's vertical view
constexpr float DEMO_TURN = 0.15f;    // radians a second the overview turns with no player

} // namespace

GameScreen::GameScreen() : keyboardKeys(KeyboardInput::tankKeys()) {}

GameScreen* GameScreen::instance() {
    static GameScreen* screen = new GameScreen();
    return screen;
}

bool GameScreen::startGame(std::string levelPath, bool withKeyboard, const MatchSettings& setup) {
    LevelSource level;
    if (!levelPath.empty()) {
        level.name = std::filesystem::path(levelPath).filename().string();
        if (!readLevelText(levelPath, level.text))
            return false;
    }
    auto next = std::make_unique<Match>(std::move(level), setup);
    if (!next->world)
        return false;
    endGame();
    match = next.release();
    // Without a pad the keyboard plays, unless computer tanks fill the match: then it is a
    // demo that the keyboard did not ask to join.
    bool noPad = JoystickManager::instance()->connectedGamepads().empty();
    createPlayers(withKeyboard || (noPad && setup.computerTanks == 0));
    for (Player* player : players)
        match->addSeat(player);
    addComputerSeats(*match, setup.computerTanks, setup.difficulty, computers);
    overviewCamera = new WorldCamera();
    overviewCamera->zoomToFit(match->world->halfExtent(), OVERVIEW_FOV);
    viewMode = players.empty() ? 0 : 1;
    return true;
}

void GameScreen::endGame() {
    // The match first: it lets go of the seats' tanks before its world goes.
    delete match;
    match = nullptr;
    computers.clear();
    for (Player* player : players)
        delete player;
    players.clear();
    delete overviewCamera;
    overviewCamera = nullptr;
}

// Only pads plugged in now take a seat: an unplugged one would leave a tank nobody drives.
void GameScreen::createPlayers(bool withKeyboard) {
    std::vector<Gamepad*> pads = JoystickManager::instance()->connectedGamepads();
    static bool reported = false;
    if (pads.size() > MAX_PLAYERS && !reported) {
        reported = true;
        for (size_t i = MAX_PLAYERS; i < pads.size(); ++i)
            printf("Pad %d (%s) does not join: a match has at most %d players.\n",
                   pads[i]->joystick ? pads[i]->joystick->Index() + 1 : 0,
                   printable(pads[i]->name()).c_str(), MAX_PLAYERS);
    }
    for (size_t i = 0; i < pads.size() && i < MAX_PLAYERS; ++i)
        players.push_back(new Player(pads[i]));
    if (withKeyboard && players.size() < MAX_PLAYERS) {
        keyboardKeys.releaseAll();
        players.push_back(new Player(&keyboardKeys));
    }
    layOutPlayers();
}

void GameScreen::layOutPlayers() {
    std::vector<ViewRect> views =
        splitScreenLayout(static_cast<int>(players.size()), windowWidth, windowHeight);
    for (size_t i = 0; i < players.size(); ++i) {
        players[i]->viewportX = views[i].x;
        players[i]->viewportY = views[i].y;
        players[i]->viewportWidth = views[i].width;
        players[i]->viewportHeight = views[i].height;
    }
}

void GameScreen::bindPlayers() {
    match->seatTanks();
    followTanks();
}

// Each camera on its player's tank: a camera already on it keeps easing from where it is.
void GameScreen::followTanks() {
    for (Player* player : players)
        if (player->tank && player->camera.target != player->tank)
            player->camera.setTarget(player->tank);
}

void GameScreen::reshape(int, int) {
    layOutPlayers();
}

void GameScreen::activate() {
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    if (!match)
        startGame("");
    bindPlayers();
    AnimatedScreen::activate();
}

void GameScreen::deactivate() {
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
    keyboardKeys.releaseAll();
    AnimatedScreen::deactivate();
}

void GameScreen::tick() {
    frameClock.tick();
    float dt = frameClock.dt;
    JoystickManager::instance()->pollEvents();
    Match::Step step = match->tick(dt);
    if (step == Match::Step::NEW_ROUND)
        followTanks();
    if (viewMode == 1)
        for (Player* player : players)
            player->camera.update(dt);
    else if (players.empty())
        overviewCamera->rotate(dt * DEMO_TURN, 0, 1, 0); // a demo shows every face in turn
    if (step == Match::Step::OVER && returnScreen)
        switchScreen(returnScreen);
    platform().postRedisplay();
}

// The keyboard player's keys are not developer keys; a key bound to it does nothing else.
void GameScreen::keyboardUp(unsigned char key, int, int) {
    keyboardKeys.release(key);
}

void GameScreen::special(int key, int, int) {
    keyboardKeys.press(KeyboardInput::SPECIAL + key);
}

void GameScreen::specialUp(int key, int, int) {
    keyboardKeys.release(KeyboardInput::SPECIAL + key);
}
