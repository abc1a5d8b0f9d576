#include <gtest/gtest.h>

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <string>

#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "math/constants.h"
#include "math/randomsource.h"
#include "screens/player.h"
#include "support/glwindow.h"
#include "support/vecexpect.h"
#include "view/headsupdisplay.h"
#include "world/world.h"

namespace {

const float SLOT = static_cast<float>(2 * PI / 3); // radians between two slots

// One frame of the wheel as draw() runs it: the wheel moves, then the selection is remembered.
float frame(HeadsUpDisplay& hud, int selected) {
    hud.advanceWheel(selected);
    hud.lastSelected = selected;
    return hud.wheelAngle;
}

// The signed turn (radians, -pi..pi) from angle a to angle b: the wheel's angle is only
// meaningful modulo a full turn.
float turnBetween(float a, float b) {
    return static_cast<float>(std::remainder(double(b) - a, 2 * PI));
}

// How far (radians, 0..pi) the wheel is from holding `slot` in the selection ring.
float offSlot(float wheelAngle, int slot) {
    return std::fabs(turnBetween(HeadsUpDisplay::ringAngle(slot), wheelAngle));
}

TEST(HeadsUpDisplay, TheWheelTurnsForwardAThirdOfASlotAFrameToTheNewSelection) {
    Player player(nullptr);
    HeadsUpDisplay& hud = player.hud;
    EXPECT_LT(offSlot(hud.wheelAngle, 0), 1e-6f);
    // Slot 0 to slot 2: two thirds of a turn over 6 frames; then slot 2 back to slot 0: one
    // third over 3 frames, still forward.
    const struct { int from, to, frames; } changes[] = {{0, 2, 6}, {2, 0, 3}, {0, 1, 3}, {1, 0, 6}};
    for (const auto& change : changes) {
        float turned = 0, angle = hud.wheelAngle;
        for (int f = 1; f <= change.frames + 2; ++f) {
            turned += turnBetween(angle, frame(hud, change.to));
            angle = hud.wheelAngle;
            EXPECT_NEAR(turned, std::min(f, change.frames) * SLOT / 3, 1e-5f)
                << change.from << " to " << change.to << ", frame " << f;
        }
        EXPECT_LT(offSlot(hud.wheelAngle, change.to), 1e-6f);
        EXPECT_EQ(hud.pendingTurn, 0.0f);
    }
}

// A long match of item switches at random moments, often in the middle of a turn: the wheel
// never runs backwards, and whenever it rests it rests on the selected slot, however many
// turns it has made.
TEST(HeadsUpDisplay, TheWheelAlwaysComesToRestOnTheSelectedSlot) {
    Player player(nullptr);
    HeadsUpDisplay& hud = player.hud;
    randomSource.seed(11);
    int selected = 0, rests = 0;
    float worst = 0;
    for (int f = 0; f < 200000; ++f) {
        if (randomSource.randomInt(0, 3) == 0)
            selected = randomSource.randomInt(0, 2);
        float before = hud.wheelAngle;
        frame(hud, selected);
        ASSERT_GT(turnBetween(before, hud.wheelAngle), -1e-3f) << "frame " << f;
        if (hud.pendingTurn == 0 && hud.lastSelected == selected) {
            ++rests;
            worst = std::max(worst, offSlot(hud.wheelAngle, selected));
        }
    }
    EXPECT_GT(rests, 10000);
    EXPECT_LT(worst, 1e-3f) << "a resting wheel stands between two slots";
}

// The miniature turns the tank's up towards the viewer and its forward up the screen, for a
// tank on any face heading any way; the right stick's tilt comes on top of that.
TEST(HeadsUpDisplay, TheMiniatureShowsTheTanksFaceWithItsForwardUp) {
    const Vec3f none;
    for (int face = 0; face < 6; ++face) {
        Vec3f up;
        up[face >> 1] = (face & 1) ? -1.0f : 1.0f;
        Vec3f side = cross(up, std::fabs(up.x()) > 0.5f ? Vec3f(0, 0, 1) : Vec3f(1, 0, 0));
        Vec3f along = cross(side, up);
        for (int k = 0; k < 16; ++k) {
            float a = static_cast<float>(k * PI / 8 + 0.1);
            Vec3f forward = along * std::cos(a) + side * std::sin(a);
            SCOPED_TRACE("face " + std::to_string(face) + ", heading " + std::to_string(k));
            Matrix4f m = HeadsUpDisplay::mapOrientation(up, forward, 0, none);
            Vec3f u = up, f = forward;
            m.transformPoint(u);
            m.transformPoint(f);
            expectVecNear(u, Vec3f(0, 0, 1), 1e-4f);
            expectVecNear(f, Vec3f(0, 1, 0), 1e-3f);

            Vec3f axis(0.6f, 0.8f, 0);
            Matrix4f tilted = HeadsUpDisplay::mapOrientation(up, forward, -135, axis);
            Vec3f tiltedUp = up, expectedUp(0, 0, 1);
            tilted.transformPoint(tiltedUp);
            Matrix4f::rotation(static_cast<float>(-135 * PI / 180), axis)
                .transformPoint(expectedUp);
            expectVecNear(tiltedUp, expectedUp, 1e-4f);
        }
    }
}

// The health gauge read back from the screen: one disc per point above the icon, red up to 3,
// yellow up to 6, green beyond; none at 0.
TEST(HeadsUpDisplay, TheGaugeStacksOneDiscPerPointInTheHealthsColour) {
    GlTestWindow window;
    ASSERT_TRUE(window.ok()) << window.error();
    installEntityHooks();
    World world(3, 28);
    Player player(nullptr);
    player.tank = world.addTank(4);
    player.world = &world;
    const float aspect = float(GlTestWindow::WIDTH) / GlTestWindow::HEIGHT;
    // Seen from a little above, a disc shows its lit side, then its dimmer cap: a disc is a
    // run of bright pixels of its colour.
    enum Colour { OTHER, RED, YELLOW, GREEN };
    auto colourAt = [&](int y, bool& bright) {
        GlTestWindow::Pixel p = window.pixel(742, y); // the gauge's centre line
        int r = p.r, g = p.g, b = p.b;
        bright = std::max(r, g) >= 200;
        if (r > 90 && g < r * 2 / 5 && b < r * 2 / 5)
            return RED;
        if (r > 90 && g > r * 3 / 5 && b < r * 2 / 5)
            return YELLOW;
        if (g > 90 && r < g * 2 / 5 && b < g * 2 / 5)
            return GREEN;
        return OTHER;
    };
    const struct {
        int health;
        Colour colour;
    } cases[] = {{0, RED}, {1, RED}, {3, RED}, {4, YELLOW}, {6, YELLOW}, {7, GREEN}, {10, GREEN}};
    for (const auto& c : cases) {
        window.resetState();
        glEnable(GL_COLOR_MATERIAL); // as the game screen sets it up
        glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_DEPTH_TEST);
        glMatrixMode(GL_PROJECTION);
        glFrustum(-aspect / 2, aspect / 2, -0.5, 0.5, 7, 10);
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(-aspect / 2, -0.5f, -7.0f);
        player.tank->health = c.health;
        player.hud.draw(*player.tank, aspect, 1.0f);
        ASSERT_EQ(GlTestWindow::glErrors(), "");
        // From just above the icon to well above a full stack: runs of 3 pixels or more.
        int discs = 0, others = 0, run = 0;
        for (int y = 107; y <= 360; ++y) {
            bool bright = false;
            Colour colour = colourAt(y, bright);
            run = colour == c.colour && bright ? run + 1 : 0;
            discs += run == 3;
            others += colour != c.colour && colour != OTHER;
        }
        EXPECT_EQ(discs, c.health) << "health " << c.health;
        EXPECT_EQ(others, 0) << "health " << c.health;
    }
}

} // namespace
