#include "view/backdrop.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

#include "math/constants.h"
#include "math/faces.h"
#include "view/viewrandom.h"

namespace {

constexpr int RIM_STEPS = 10;
// Each later disc of a run sits this much nearer the eye, so overlapping discs never fight
// over depth.
constexpr float DISC_SPACING = 0.001f; // world units

void drawDisc(const Backdrop::Disc& disc, float z) {
    glBegin(GL_TRIANGLE_FAN);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glVertex3f(disc.x, disc.y, z);
    // The rim fades to transparent, which is what makes the discs soft.
    glColor4f(1.0f, 1.0f, 1.0f, 0.0f);
    for (int i = RIM_STEPS; i > 0; --i) {
        float a = static_cast<float>(2.0 * PI * i / RIM_STEPS);
        glVertex3f(disc.x + disc.r * std::cos(a), disc.y + disc.r * std::sin(a), z);
    }
    glVertex3f(disc.x + disc.r, disc.y, z);
    glEnd();
}

} // namespace

Backdrop::Backdrop(int count) : count(count), sideCounts{} {
    discs.reserve(count > 0 ? count : 0);
    ViewRandom& random = skyRandom();
    for (int i = 0; i < count; ++i) {
        Disc disc;
        disc.r = random.uniform(0.05f, 0.2f);
        disc.x = random.uniform(disc.r - 1.0f, 1.0f - disc.r);
        disc.y = random.uniform(disc.r - 1.0f, 1.0f - disc.r);
        disc.side = random.uniformInt(0, 5);
        discs.push_back(disc);
    }
    std::stable_sort(discs.begin(), discs.end(),
                     [](const Disc& a, const Disc& b) { return a.side < b.side; });
    for (const Disc& disc : discs)
        ++sideCounts[disc.side];
}

void Backdrop::drawRun(int first, int side) const {
    glDisable(GL_LIGHTING);
    float z = 1.0f;
    for (int i = first; i < first + sideCounts[side]; ++i) {
        drawDisc(discs[i], z);
        z -= DISC_SPACING;
    }
}

void Backdrop::draw() const {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    int first = 0;
    // Sides 0..3 are the +Z side turned a quarter turn towards each face normal.
    for (int side = 0; side < 4; ++side) {
        Vec3f axis = cross(Z_AXIS, faceNormal(side));
        glPushMatrix();
        glRotatef(90.0f, axis.x(), axis.y(), axis.z());
        drawRun(first, side);
        glPopMatrix();
        first += sideCounts[side];
    }
    drawRun(first, 4);
    first += sideCounts[4];
    glPushMatrix();
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    drawRun(first, 5);
    glPopMatrix();
    glDisable(GL_BLEND);
    glShadeModel(GL_FLAT);
}
