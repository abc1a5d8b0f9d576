#include "screens/gamescreen.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>

#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "platform/frameclock.h"
#include "platform/platform.h"
#include "screens/shell.h"
#include "view/playerlayout.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr int DEFAULT_SIZE = 3;        // cubies per edge of the game started without a level
constexpr int DEFAULT_CUBIE_SIZE = 28; // world units
constexpr float OVERVIEW_FOV = 65.0f;  // degrees, the overview's vertical view

} // namespace

GameScreen::GameScreen() : keyboardKeys(KeyboardInput::tankKeys()) {}

GameScreen* GameScreen::instance() {
    static GameScreen* screen = new GameScreen();
    return screen;
}

bool GameScreen::startGame(std::string levelPath, bool withKeyboard) {
    World* next = nullptr;
    if (levelPath.empty()) {
        next = new World(DEFAULT_SIZE, DEFAULT_CUBIE_SIZE);
    } else if (!(next = loadLevel(levelPath))) {
        return false;
    }
    endGame();
    world = next;
    createPlayers(withKeyboard || JoystickManager::instance()->count == 0);
    overviewCamera = new WorldCamera();
    overviewCamera->zoomToFit(world->halfExtent(), OVERVIEW_FOV);
    viewMode = 1;
    countdown = COUNTDOWN;
    return true;
}

void GameScreen::endGame() {
    for (Player* player : players)
        delete player;
    players.clear();
    delete overviewCamera;
    overviewCamera = nullptr;
    // Last: the players' cameras and tanks pointed into it.
    delete world;
    world = nullptr;
}

void GameScreen::createPlayers(bool withKeyboard) {
    JoystickManager* pads = JoystickManager::instance();
    int count = pads->count;
    static bool reported = false;
    if (count > MAX_PLAYERS && !reported) {
        reported = true;
        for (int i = MAX_PLAYERS; i < count; ++i)
            printf("Pad %d (%s) does not join: a match has at most %d players.\n", i + 1,
                   pads->getGamepad(i)->name().c_str(), MAX_PLAYERS);
    }
    for (int i = 0; i < count && i < MAX_PLAYERS; ++i)
        players.push_back(new Player(pads->getGamepad(i)));
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
    for (Player* player : players) {
        if (player->tank && player->world == world)
            continue; // already playing in this world
        player->tank = nullptr;
        for (int face = 0; face < 6 && !player->tank; ++face)
            player->tank = world->addTank(face);
        if (player->tank) {
            player->world = world;
            player->camera.setTarget(player->tank);
        }
    }
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
    if (!world)
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
    int aliveCount = 0;
    Player* lastAlive = nullptr;
    for (Player* player : players) {
        player->update(dt);
        if (player->alive) {
            ++aliveCount;
            lastAlive = player;
        }
    }
    if (players.size() > 1 && aliveCount <= 1) {
        countdown -= dt;
        if (lastAlive)
            lastAlive->won = true;
    }
    if (countdown <= 0) {
        countdown = COUNTDOWN;
        if (returnScreen)
            switchScreen(returnScreen);
    }
    world->update(dt);
    if (viewMode == 1)
        for (Player* player : players)
            player->camera.update(dt);
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
