#include "screens/welcomescreen.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>

#include "assets/glm.h"
#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "math/colours.h"
#include "platform/frameclock.h"
#include "platform/platform.h"
#include "platform/stroketext.h"
#include "platform/traceline.h"
#include "screens/gamescreen.h"
#include "screens/leveleditor.h"
#include "screens/shell.h"
#include "world/levelfile.h"
#include "world/rubikscube.h"

namespace {

constexpr float MARKER_TURN_TIME = static_cast<float>(36 * (1.0 / 60)); // seconds a quarter turn

float widestItem(const char* const items[3]) {
    float widest = 0;
    for (int i = 0; i < 3; ++i)
        widest = std::max(widest, strokeTextWidth(items[i]));
    return widest;
}

} // namespace

WelcomeScreen* WelcomeScreen::instance() {
    static WelcomeScreen* screen = new WelcomeScreen();
    return screen;
}

WelcomeScreen::WelcomeScreen()
    : keyboardKeys(KeyboardInput::menuKeys()), keyboardInput(&keyboardKeys) {
    JoystickManager* pads = JoystickManager::instance();
    for (int i = 0; i < pads->count; ++i)
        inputs.emplace_back(pads->getGamepad(i));
    titleModel = glmReadOBJ("models/zentrovix.obj");
    glmFitUnitCube(titleModel);
    float dimensions[3];
    glmExtents(titleModel, dimensions);
    glmScaleBy(titleModel, 1.0f / dimensions[0]);
    glmExtents(titleModel, dimensions);
    titleSize = Vec3f(dimensions[0], dimensions[1], dimensions[2]);
    glmFaceNormals(titleModel);
    glmVertexNormals(titleModel, 15.0f);
    displayTank = new Tank(Vec3f(0, 1, 0), nullptr);
    displayTank->colour = Vec4f(0.35f, 0.35f, 0.35f, 1);
    textScale = 0.45f / widestItem(menuItems);
    markerSize = strokeTextWidth("W") * textScale * 0.5f;
    marker = new RubiksCube(3, 2.0f / 3.0f * markerSize, MARKER_TURN_TIME);
}

void WelcomeScreen::release() {
    glmFreeModel(titleModel);
    titleModel = nullptr;
    delete displayTank;
    displayTank = nullptr;
    delete marker;
    marker = nullptr;
}

void WelcomeScreen::addTraceFields(TraceLine& line) const {
    line.add("mode", mode);
    line.add("selected", selected);
    line.add("scroll", scroll);
    line.add("levels", static_cast<int>(levels.size()));
    if (!message.empty())
        line.add("message", message);
}

void WelcomeScreen::tick() {
    frameClock.tick();
    float dt = frameClock.dt;
    JoystickManager::instance()->pollEvents();
    for (MenuInput& input : inputs)
        handleInput(input, false);
    handleInput(keyboardInput, true);
    if (!marker->isRotating)
        marker->startRotation(markerRandom.uniformInt(0, 5), 0);
    marker->updateRotation(dt);
    markerAngle += dt * markerSpin;
    platform().postRedisplay();
}

void WelcomeScreen::handleInput(MenuInput& input, bool fromKeyboard) {
    input.poll();
    if (mode == 0) {
        if (input.verticalChanged())
            selected = (selected + input.y + 3) % 3;
        if (input.released(0))
            chooseMenuItem(selected);
        return;
    }
    if (input.verticalChanged())
        moveInList(input.y);
    if (input.released(1)) {
        mode = 0;
        selected = 0;
    } else if (input.released(0)) {
        startLevel(scroll + selected, fromKeyboard);
    }
}

// In the list, the selection moves within the visible rows and scrolls at their ends.
void WelcomeScreen::moveInList(int step) {
    int count = static_cast<int>(levels.size());
    selected += step;
    if (selected >= count - scroll) {
        selected = count - scroll - 1;
    } else if (selected >= VISIBLE_ROWS) {
        selected = VISIBLE_ROWS - 1;
        if (scroll < count - 1)
            scroll += 1;
    } else if (selected < 0) {
        selected = 0;
        if (scroll > 0)
            scroll -= 1;
    }
    if (selected < 0) // an empty list leaves nothing to select
        selected = 0;
}

void WelcomeScreen::chooseMenuItem(int item) {
    message.clear();
    switch (item) {
    case 0:
        mode = 1;
        scroll = 0;
        listFiles("levels", levels);
        break;
    case 1:
        switchScreen(LevelEditor::instance());
        break;
    case 2:
        quitProgram();
        break;
    default:
        break;
    }
}

bool WelcomeScreen::startLevelNamed(const std::string& name) {
    listFiles("levels", levels);
    for (size_t i = 0; i < levels.size(); ++i)
        if (levels[i] == name) {
            mode = 1;
            return startLevel(static_cast<int>(i));
        }
    printf("There is no level \"%s\" in levels/\n", name.c_str());
    return false;
}

bool WelcomeScreen::startLevel(int index, bool fromKeyboard) {
    if (index < 0 || index >= static_cast<int>(levels.size()))
        return false; // an empty list has nothing to start
    printf("Loading level: %s\n", levels[index].c_str());
    GameScreen* game = GameScreen::instance();
    bool keyboardJoins = fromKeyboard || JoystickManager::instance()->count == 0;
    if (!game->startGame(levels[index], keyboardJoins)) {
        message = "Cannot load \"" + levels[index] + "\"";
        return false;
    }
    game->returnScreen = this;
    switchScreen(game);
    return true;
}

void WelcomeScreen::keyboard(unsigned char key, int, int) {
    keyboardKeys.press(key);
}

void WelcomeScreen::keyboardUp(unsigned char key, int, int) {
    keyboardKeys.release(key);
}

void WelcomeScreen::special(int key, int, int) {
    keyboardKeys.press(KeyboardInput::SPECIAL + key);
}

void WelcomeScreen::specialUp(int key, int, int) {
    keyboardKeys.release(KeyboardInput::SPECIAL + key);
}

void WelcomeScreen::activate() {
    reshape(windowWidth, windowHeight);
    const float black[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    mode = 0;
    // Keys, sticks and buttons held while another screen was current must not act here.
    keyboardKeys.releaseAll();
    JoystickManager::instance()->pollEvents();
    for (MenuInput& input : inputs)
        input.settle();
    keyboardInput.settle();
    AnimatedScreen::activate();
    scheduleNextFrame();
}

void WelcomeScreen::deactivate() {
    keyboardKeys.releaseAll();
    AnimatedScreen::deactivate();
}
