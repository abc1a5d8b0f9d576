#include <GL/gl.h>
#include <GL/glu.h>

#include "entities/tank.h"
#include "platform/stroketext.h"
#include "screens/gamescreen.h"
#include "screens/overlaytext.h"
#include "screens/shell.h"
#include "world/cube.h"
#include "world/world.h"

namespace {

// The world's depths fill the back of the depth range and the overlay's the front, so the
// overlay lies over the world without a depth clear between them.
constexpr double WORLD_NEAREST_DEPTH = 0.1;
constexpr double OVERLAY_FARTHEST_DEPTH = 0.05;

// Where the scoreboard's first line stands in a player's view, under "You win!" / "You lose.".
constexpr float SCOREBOARD_TOP = 0.4f;

void drawMessage(const char* message, bool red, float aspect) {
    glTranslatef(0.0f, 0.5f, -0.3f);
    float scale = aspect / strokeTextWidth(message);
    glScalef(scale, scale, scale);
    if (red)
        glColor3f(1, 0, 0);
    drawStrokeText(message, 4.0f);
}

} // namespace

void GameScreen::overviewProjection() const {
    glViewport(0, 0, windowWidth, windowHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(65, aspectRatio(windowWidth, windowHeight), 0.001, 200);
    glMatrixMode(GL_MODELVIEW);
}

void GameScreen::display() {
    glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
    // The stencil too: one clear of the whole depth and stencil buffer is the cheap kind.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (world() && viewMode == 0) {
        overviewProjection();
        glLoadIdentity();
        overviewCamera->apply();
        world()->draw(nullptr, nullptr);
        drawOverviewOverlay();
    } else if (world()) {
        // Each view goes to the renderer as soon as it is drawn: a software renderer's threads
        // fill it in while this one sends the next.
        for (Player* player : players) {
            drawPlayerView(*player);
            glFlush();
        }
    }
    if (replay)
        drawReplayStatus();
    if (online)
        drawOnlineStatus();
    glFlush();
    presentFrame();
    scheduleNextFrame();
}

// A view draws on the depth buffer as the frame's clear left it and clears nothing itself: a
// clear in the middle of a frame costs the software renderer a pass over the whole window, and
// a view needed two (behind the backdrop, under the overlay). The scissor keeps each view's
// drawing, wide lines included, off its neighbours' depths.
void GameScreen::drawPlayerView(Player& player) {
    if (!player.tank || player.viewportWidth <= 0 || player.viewportHeight <= 0)
        return;
    glViewport(player.viewportX, player.viewportY, player.viewportWidth, player.viewportHeight);
    glScissor(player.viewportX, player.viewportY, player.viewportWidth, player.viewportHeight);
    glEnable(GL_SCISSOR_TEST);
    float aspect = aspectRatio(player.viewportWidth, player.viewportHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(player.camera.fov, aspect, 0.5, 200);
    glDepthRange(WORLD_NEAREST_DEPTH, 1.0);
    player.camera.apply();
    glPushMatrix();
    world()->draw(&player.camera.viewMatrix, &player.camera.up);
    glPopMatrix();
    glDepthRange(0.0, OVERLAY_FARTHEST_DEPTH);
    overlayProjection(aspect);
    drawOverlay(player, aspect);
    glDepthRange(0.0, 1.0);
    glDisable(GL_SCISSOR_TEST);
}

void GameScreen::drawOverlay(const Player& player, float aspect) {
    glPushMatrix();
    if (player.tank->getHealth() > 0 && !player.won)
        const_cast<Player&>(player).hud.draw(*player.tank, aspect, 1.0f);
    else
        drawMessage(player.won ? "You win!" : "You lose.", !player.won, aspect);
    glPopMatrix();
    if (showsScoreboard())
        drawScoreboard(aspect, SCOREBOARD_TOP);
    drawLabel(player, aspect);
    if (showsScoreboard())
        drawWinnerLine(aspect);
}

// "2 Orange - Keyboard" small in the top left corner, where the display draws nothing: players
// who cannot tell the tank colours apart still find their view.
void GameScreen::drawLabel(const Player& player, float) const {
    size_t number = 1;
    while (number <= players.size() && players[number - 1] != &player)
        ++number;
    std::string text = std::to_string(number) + " " + colourName(player.tank->colour) + " - " +
                       (player.gamepad ? player.gamepad->name() : std::string("no controls"));
    const float height = LABEL_HEIGHT;
    drawOutlinedText(text, 0.02f, 1.0f - 0.02f - height, height);
}
