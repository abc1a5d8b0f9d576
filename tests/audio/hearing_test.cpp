#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/hearing.h"

namespace {

// The game's follow camera on a tank at the centre of `face` of a 3-cube (faces 42 from the
// centre): 12 behind and 6 above it, looking past it along the face's local +Y.
Listener viewOfTank(const Vec3f& tank, const Vec3f& up, const Vec3f& forward, int face, float x,
                    float y, float width, float height) {
    Listener view;
    view.eye = tank - forward * 12 + up * 6;
    view.lookPoint = tank + forward * 12;
    view.up = up;
    view.fovY = 33;
    view.face = face;
    view.x = x;
    view.y = y;
    view.width = width;
    view.height = height;
    return view;
}

const Vec3f PLUS_Z(0, 0, 1), MINUS_Z(0, 0, -1), PLUS_Y(0, 1, 0), PLUS_X(1, 0, 0);

double levelDifference(float pan) {
    float left = 0, right = 0;
    panGains(pan, left, right);
    return 20 * std::log10(left / right);
}

// One view filling the window is plain stereo: ahead is the middle, the right of the picture
// the right, its edge all the way, and behind the camera the side it lies on. Loudness is
// full near the camera and falls (never rises) with distance.
TEST(Hearing, OneViewIsOrdinaryStereoFallingWithDistance) {
    Listener view = viewOfTank(Vec3f(0, 0, 42), PLUS_Z, PLUS_Y, 4, 0, 0, 800, 600);
    std::vector<Listener> views{view};
    Heard ahead = hear(views, 800, {Vec3f(0, 0, 42), 4, 1});
    EXPECT_EQ(ahead.view, 0);
    EXPECT_FLOAT_EQ(ahead.gain, 1);
    EXPECT_NEAR(ahead.pan, 0, 1e-5);
    // 20 ahead of the eye and 3 to the right: 3 / (20 tan(16.5 deg) 4/3) of the way across.
    Vec3f eye = view.eye, aheadDir = view.lookPoint - view.eye;
    aheadDir.normalize();
    Vec3f right = cross(aheadDir, PLUS_Z);
    right.normalize();
    Heard r = hear(views, 800, {eye + aheadDir * 20 + right * 3, 4, 1});
    EXPECT_NEAR(r.pan, 3 / (20 * std::tan(16.5 * M_PI / 180) * 4 / 3), 1e-4);
    Heard l = hear(views, 800, {eye + aheadDir * 20 - right * 3, 4, 1});
    EXPECT_NEAR(l.pan, -r.pan, 1e-5);
    EXPECT_FLOAT_EQ(hear(views, 800, {eye + aheadDir * 20 + right * 30, 4, 1}).pan, 1);
    EXPECT_FLOAT_EQ(hear(views, 800, {eye - aheadDir * 5 - right * 2, 4, 1}).pan, -1);

    float previous = 2;
    for (float d = 1; d < 400; d *= 1.25f) {
        float gain = hear(views, 800, {eye + aheadDir * d, 4, 0.8f}).gain;
        if (d <= HEARING_NEAR) {
            EXPECT_FLOAT_EQ(gain, 0.8f) << d;
        } else {
            EXPECT_LT(gain, previous) << d;
        }
        EXPECT_NEAR(gain, 0.8f * HEARING_NEAR / std::fmax(HEARING_NEAR, d), 1e-5) << d;
        previous = gain;
    }
    // No views (a menu): the sound's own loudness, from the middle.
    Heard menu = hear({}, 800, {Vec3f(), -1, 0.6f});
    EXPECT_EQ(menu.view, -1);
    EXPECT_FLOAT_EQ(menu.gain, 0.6f);
    EXPECT_FLOAT_EQ(menu.pan, 0);
}

// Two players, one view above the other (both the window's full width): each hears its own
// tank's shot; the sound pans only by where it shows across the view.
TEST(Hearing, TopAndBottomViewsEachHearTheirOwnTank) {
    std::vector<Listener> views{viewOfTank(Vec3f(0, 0, 42), PLUS_Z, PLUS_Y, 4, 0, 300, 800, 300),
                                viewOfTank(Vec3f(0, 0, -42), MINUS_Z, PLUS_Y, 5, 0, 0, 800, 300)};
    Heard top = hear(views, 800, {Vec3f(0, 1, 43), 4, 1});
    EXPECT_EQ(top.view, 0);
    EXPECT_FLOAT_EQ(top.gain, 1);
    EXPECT_NEAR(top.pan, 0, 1e-4);
    Heard bottom = hear(views, 800, {Vec3f(0, 1, -43), 5, 1});
    EXPECT_EQ(bottom.view, 1);
    EXPECT_NEAR(bottom.pan, 0, 1e-4);
    // A shot to the right of the top view's tank (+X is its right) comes from the right.
    Heard aside = hear(views, 800, {Vec3f(8, 12, 43), 4, 1});
    EXPECT_EQ(aside.view, 0);
    EXPECT_GT(aside.pan, 0.3f);
}

// Four players in a 2x2 grid: a left view's own shot comes from the left, at least 6 dB
// louder there; a right view's from the right.
TEST(Hearing, LeftAndRightViewsPanToTheirSide) {
    std::vector<Listener> views{viewOfTank(Vec3f(0, 0, 42), PLUS_Z, PLUS_Y, 4, 0, 300, 400, 300),
                                viewOfTank(Vec3f(42, 0, 0), PLUS_X, PLUS_Y, 0, 400, 300, 400, 300),
                                viewOfTank(Vec3f(0, 0, -42), MINUS_Z, PLUS_Y, 5, 0, 0, 400, 300),
                                viewOfTank(Vec3f(0, 42, 0), PLUS_Y, PLUS_Z, 2, 400, 0, 400, 300)};
    const Vec3f tanks[] = {Vec3f(0, 0, 42), Vec3f(42, 0, 0), Vec3f(0, 0, -42), Vec3f(0, 42, 0)};
    const int faces[] = {4, 0, 5, 2};
    for (int i = 0; i < 4; ++i) {
        Heard shot = hear(views, 800, {tanks[i] * (43.5f / 42), faces[i], 1});
        EXPECT_EQ(shot.view, i);
        EXPECT_NEAR(shot.pan, i % 2 == 0 ? -0.5f : 0.5f, 0.02f) << i;
        double db = levelDifference(shot.pan);
        if (i % 2 == 0) {
            EXPECT_GE(db, 6.0) << "left view " << i;
        } else {
            EXPECT_LE(db, -6.0) << "right view " << i;
        }
        // Never beyond its own view's half of the window, wherever on the face it is.
        for (float x = -40; x <= 40; x += 8) {
            Vec3f p = tanks[i] * (43.5f / 42);
            p[(faces[i] / 2 + 1) % 3] += x;
            Heard h = hear(views, 800, {p, faces[i], 1});
            if (h.view == i) {
                EXPECT_TRUE(i % 2 == 0 ? h.pan <= 0 : h.pan >= 0) << i << " " << x;
            }
        }
    }
}

// The cube muffles: the same place heard from a view on another face is THROUGH_CUBE as loud
// as from a view on its face at the same distance; a view on the sound's face wins over a
// nearer view on another face unless the other is much nearer; a layer turn (face -1) is
// muffled for no one.
TEST(Hearing, AnotherFaceIsQuieter) {
    Listener onFace = viewOfTank(Vec3f(0, 0, 42), PLUS_Z, PLUS_Y, 4, 0, 0, 400, 600);
    Listener other = onFace;
    other.face = 0;
    other.x = 400;
    SoundPlace sound{Vec3f(0, 140, 43), 4, 1}; // far enough for the distances to count
    EXPECT_NEAR(loudnessIn(other, sound), THROUGH_CUBE * loudnessIn(onFace, sound), 1e-6);
    SoundPlace turn{Vec3f(0, 140, 43), -1, 1};
    EXPECT_FLOAT_EQ(loudnessIn(other, turn), loudnessIn(onFace, turn));

    std::vector<Listener> views{other, onFace};
    Heard h = hear(views, 800, sound);
    EXPECT_EQ(h.view, 1) << "the view on the sound's face, though listed second";
    EXPECT_LT(h.pan, 0) << "panned to that view's left half of the window";
    // A view on another face 2.5 times nearer still loses (0.35 * 2.5 < 1)...
    Listener nearer = other;
    Vec3f away = sound.position - onFace.eye;
    nearer.eye = sound.position - away * 0.4f;
    nearer.lookPoint = nearer.eye + (onFace.lookPoint - onFace.eye);
    EXPECT_EQ(hear({nearer, onFace}, 800, sound).view, 1);
    // ... and four times nearer wins.
    nearer.eye = sound.position - away * 0.25f;
    nearer.lookPoint = nearer.eye + (onFace.lookPoint - onFace.eye);
    EXPECT_EQ(hear({nearer, onFace}, 800, sound).view, 0);
}

TEST(Hearing, PanLawKeepsPowerAndReachesTheSides) {
    for (float pan = -1; pan <= 1.001f; pan += 0.125f) {
        float left = 0, right = 0;
        panGains(pan, left, right);
        EXPECT_NEAR(left * left + right * right, 1, 1e-5) << pan;
        EXPECT_GE(left, 0);
        EXPECT_GE(right, 0);
    }
    float left = 0, right = 0;
    panGains(-1, left, right);
    EXPECT_NEAR(right, 0, 1e-6);
    panGains(3, left, right); // clamped
    EXPECT_NEAR(left, 0, 1e-6);
    EXPECT_NEAR(levelDifference(0), 0, 1e-5);
}

} // namespace
