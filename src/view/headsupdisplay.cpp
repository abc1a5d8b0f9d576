#include "view/headsupdisplay.h"

#include <GL/gl.h>
#include <cmath>

#include "entities/tank.h"
#include "math/constants.h"

namespace {
const float SLOT_TURN = static_cast<float>(2 * PI / 3); // radians between two slots
constexpr int TURN_FRAMES = 60 / 20;                    // frames a one-slot turn takes
constexpr float FULL_TILT = 135.0f;                     // degrees at full deflection
} // namespace

HeadsUpDisplay::HeadsUpDisplay()
    : wheelAngle(static_cast<float>(PI / 4)), quadric(gluNewQuadric()) {
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluQuadricNormals(quadric, GLU_SMOOTH);
}

HeadsUpDisplay::~HeadsUpDisplay() {
    gluDeleteQuadric(quadric);
}

void HeadsUpDisplay::aim(float x, float y) {
    tiltAxis = Vec3f(y, x, 0);
    tiltAxis.normalize();
    previousTilt = tilt;
    tilt = -FULL_TILT * std::sqrt(x * x + y * y);
}

float HeadsUpDisplay::ringAngle(int slot) {
    return static_cast<float>(PI / 4) + static_cast<float>(slot) * SLOT_TURN;
}

void HeadsUpDisplay::advanceWheel(int selected) {
    if (selected != lastSelected)
        for (int j = 1; j <= 2; ++j) {
            pendingTurn += SLOT_TURN;
            if ((lastSelected + j) % 3 == selected)
                break;
        }
    // A float remainder of a turn must not start one more third: the wheel would stop between
    // two slots for good.
    const float step = SLOT_TURN / TURN_FRAMES;
    if (pendingTurn > step * 0.5f) {
        wheelAngle += step;
        pendingTurn -= step;
    } else {
        // At rest the selected slot sits in the ring exactly: the rounding of every step would
        // otherwise add up over a long match and leave the wheel visibly askew.
        pendingTurn = 0;
        wheelAngle = ringAngle(selected);
    }
}

void HeadsUpDisplay::draw(const Tank& tank, float width, float height) {
    this->height = height;
    this->width = width;
    const float lightPosition[4] = {1.5f * width, 1.0f, 1.5f, 1.0f};
    const float white[4] = {1, 1, 1, 1};
    glLightfv(GL_LIGHT1, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT1, GL_SPECULAR, white);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glShadeModel(GL_SMOOTH);
    drawWheel(tank);
    int health = const_cast<Tank&>(tank).getHealth();
    gaugeImage.draw(health, [this, health] { drawGauge(health); });
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHTING);
    drawMap(tank);
    lastSelected = tank.currentItem;
}
