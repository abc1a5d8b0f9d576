#include <cstdio>
#include <cstdlib>

#include "entities/tank.h"
#include "math/colours.h"
#include "math/constants.h"
#include "screens/gamescreen.h"
#include "screens/shell.h"
#include "world/world.h"

int smokeParticles = 30;

namespace {

// Grey level of a colour is its first component; a new level gives (g, g, g, 1).
void shiftGrey(Vec4f& colour, float delta, const char* format) {
    colour = grey(colour[0] + delta);
    printf(format, colour[0]);
}

} // namespace

void GameScreen::keyboard(unsigned char key, int, int) {
    if (replayKey(key) || (!replay && keyboardKeys.press(key)))
        return;
    if (key == 'q' || key == 'Q') {
        quitProgram();
        return;
    }
    if (key == 'c') {
        viewMode = !viewMode;
        if (viewMode == 0)
            overviewProjection();
        return;
    }
    if (cameraKey(key) || lightKey(key))
        return;
    switch (key) {
    case 'w':
    case 'd':
        smokeParticles += key == 'w' ? 2 : -2;
        printf("smokeParticles:%d\n", smokeParticles);
        break;
    case '1':
        addTestObstacles();
        break;
    case '2':
        giveItems(ITEM_PROJECTILE);
        break;
    case '3':
        giveItems(ITEM_TRIPLE_PROJECTILE);
        break;
    case '4':
        giveItems(ITEM_NUKE);
        break;
    default:
        break;
    }
}

// Every player's camera changes; the message shows player 0's value.
bool GameScreen::cameraKey(unsigned char key) {
    float FollowCamera::*field = nullptr;
    float delta = 1.0f;
    const char* format = nullptr;
    switch (key) {
    case '=':
    case '-':
        field = &FollowCamera::distance, format = "distance:%.0f\n";
        delta = key == '=' ? 1.0f : -1.0f;
        break;
    case ']':
    case '[':
        field = &FollowCamera::lookahead, format = "lookahead:%.0f\n";
        delta = key == ']' ? 1.0f : -1.0f;
        break;
    case '\'':
    case ';':
        field = &FollowCamera::fov, format = "fov:%.0f\n";
        delta = key == '\'' ? 1.0f : -1.0f;
        break;
    case '/':
    case '.':
        field = &FollowCamera::angle, format = "angle:%.0f\n";
        delta = static_cast<float>((key == '/' ? 1 : -1) * PI / 180);
        break;
    default:
        return false;
    }
    for (Player* player : players)
        player->camera.*field += delta;
    if (!players.empty()) {
        float shown = players.front()->camera.*field;
        printf(format, field == &FollowCamera::angle ? shown * 180 / PI : shown);
    }
    return true;
}

bool GameScreen::lightKey(unsigned char key) {
    if (!world())
        return false;
    switch (key) {
    case '0':
    case '9':
        shiftGrey(world()->lightDiffuse, key == '0' ? 0.01f : -0.01f, "light diffuse: %.2f\n");
        return true;
    case '8':
    case '7':
        shiftGrey(world()->lightAmbient, key == '8' ? 0.01f : -0.01f, "light ambient: %.2f\n");
        return true;
    case 'i':
    case 'u':
        shiftGrey(world()->lightModelAmbient, key == 'i' ? 0.01f : -0.01f,
                  "global ambient: %.2f\n");
        return true;
    case 'p':
    case 'o':
        shiftGrey(world()->lightSpecular, key == 'p' ? 0.01f : -0.01f, "light specular: %.2f\n");
        return true;
    case 'l':
    case 'k':
        shiftGrey(world()->specular, key == 'l' ? 0.01f : -0.01f, "world specular: %.2f\n");
        return true;
    case ',':
    case 'm': {
        Vec3f& a = world()->lightAttenuation;
        a[1] += key == ',' ? 0.01f : -0.01f;
        printf("light attentuation: %.2f\n", a[1]);
        return true;
    }
    default:
        return false;
    }
}

// The developer keys that change the match go through editMatch, so that a record keeps them.
void GameScreen::addTestObstacles() {
    std::string error;
    if (world() && !editMatch(MatchEdit{MatchEdit::Kind::ADD_TEST_OBSTACLES, 0, 0}, error))
        printf("No test obstacles: %s\n", error.c_str());
}

void GameScreen::giveItems(int kind) {
    std::string error;
    if (world() && !editMatch(MatchEdit{MatchEdit::Kind::GIVE_ITEMS, 0, kind}, error))
        printf("No items: %s\n", error.c_str());
}
