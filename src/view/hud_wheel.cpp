#include <GL/gl.h>
#include <cmath>

#include "entities/item.h"
#include "entities/tank.h"
#include "math/constants.h"
#include "view/headsupdisplay.h"

namespace {

constexpr float WHEEL_RADIUS = 0.165f; // R: the side of one slot's square
constexpr float MARGIN = 0.03f;        // from the overlay's top right corner
constexpr int RING_STEPS = 21;
constexpr int CIRCLE_SEGMENTS = 20;

// Moves the origin to the lower-left corner of the slot square at `angle` radians round the
// wheel centre and scales it to that square's side, so the square spans (0, 0) to (1, 1).
void enterSquare(float width, float angle, float z) {
    float cx = width - 1.5f * WHEEL_RADIUS - MARGIN;
    float cy = 1.0f - 1.5f * WHEEL_RADIUS - MARGIN;
    glTranslatef(cx + 0.6f * WHEEL_RADIUS * std::cos(angle),
                 cy + 0.6f * WHEEL_RADIUS * std::sin(angle), z);
    glScalef(WHEEL_RADIUS, WHEEL_RADIUS, WHEEL_RADIUS);
}

void drawSelectionRing(float width) {
    const float black[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glPushMatrix();
    enterSquare(width, static_cast<float>(PI / 4), -0.05f);
    glNormal3f(0, 0, 1);
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i <= RING_STEPS; ++i) {
        float a = static_cast<float>(2 * PI * i / RING_STEPS);
        glColor3f(0.3f, 0.1f, 0.0f);
        glVertex3f(0.5f + 0.45f * std::cos(a), 0.5f + 0.45f * std::sin(a), 0);
        glColor3f(0.93f, 0.96f, 0.01f);
        glVertex3f(0.5f + 0.6f * std::cos(a), 0.5f + 0.6f * std::sin(a), 0);
    }
    glEnd();
    glPopMatrix();
}

void drawSlot(float width, float angle, const Vec4f& colour, Item* item) {
    glPushMatrix();
    enterSquare(width, angle, -0.1f);
    glLineWidth(4.0f);
    glColor3fv(colour.data());
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < CIRCLE_SEGMENTS; ++i) {
        float a = static_cast<float>(2 * PI * i / CIRCLE_SEGMENTS);
        glVertex3f(0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a), 0);
    }
    glEnd();
    if (item)
        item->drawIcon();
    glPopMatrix();
}

} // namespace

void HeadsUpDisplay::drawWheel(const Tank& tank) {
    GLboolean culling = glIsEnabled(GL_CULL_FACE);
    glDisable(GL_CULL_FACE);
    drawSelectionRing(width);
    for (int k = 0; k < 3; ++k)
        drawSlot(width, wheelAngle - static_cast<float>(k) * static_cast<float>(2 * PI / 3),
                 tank.colour, tank.items[k]);
    if (culling)
        glEnable(GL_CULL_FACE);
}
