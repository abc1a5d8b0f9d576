#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <cmath>
#include <cstdlib>

#include "math/constants.h"
#include "math/faces.h"
#include "math/randomsource.h"
#include "support/glwindow.h"
#include "support/vecexpect.h"
#include "view/followcamera.h"
#include "view/worldcamera.h"
#include "world/object.h"

namespace {

// Stands in for a tank: the camera reads only what every Object has.
class StandIn : public Object {
public:
    StandIn() : Object(Vec3f(0, 0, 5), nullptr) {}
    void draw(bool) override {}
};

// The eye's goal for the camera's current settings: behind the look point and above it.
Vec3f goalEye(const FollowCamera& camera, const Object& tank) {
    Vec3f look = tank.position + tank.forward * camera.lookahead;
    return look - tank.forward * (std::cos(camera.angle) * camera.distance) +
           tank.up * (std::sin(camera.angle) * camera.distance);
}

TEST(FollowCamera, SetTargetGoesFortyPercentOfTheWayThenEachUpdateLeavesSixtyPercent) {
    StandIn tank;
    FollowCamera camera;
    camera.update(1.0f); // nothing to follow yet
    expectVecNear(camera.eye, Vec3f(), 1e-4f);
    camera.setTarget(&tank);
    Vec3f goal = goalEye(camera, tank);
    expectVecNear(camera.eye, goal * 0.4f, 1e-4f);
    expectVecNear(camera.lookPoint, (tank.position + tank.forward * 12.0f) * 0.4f, 1e-4f);
    expectVecNear(camera.up, tank.up, 1e-4f);

    Vec3f gap = goal - camera.eye;
    camera.update(5.0f); // the lag is per call; dt does not speed it up
    expectVecNear(goal - camera.eye, gap * 0.6f, 1e-4f);
    camera.update(0.016f);
    expectVecNear(goal - camera.eye, gap * 0.36f, 1e-4f);
}

TEST(FollowCamera, RidingATurningLayerLeavesTenPercentUntilOneUpdateAfter) {
    StandIn tank;
    FollowCamera camera;
    camera.setTarget(&tank);
    tank.position = Vec3f(3, 0, 5); // carried by the layer
    tank.onRotatingLayer = true;
    Vec3f goal = goalEye(camera, tank);

    Vec3f gap = goal - camera.eye;
    camera.update(0.0f);
    expectVecNear(goal - camera.eye, gap * 0.1f, 1e-4f);
    EXPECT_TRUE(camera.fastFollow);

    tank.onRotatingLayer = false;
    gap = goal - camera.eye;
    camera.update(0.0f);
    expectVecNear(goal - camera.eye, gap * 0.1f, 1e-5f);
    EXPECT_FALSE(camera.fastFollow);

    gap = goal - camera.eye;
    camera.update(0.0f);
    expectVecNear(goal - camera.eye, gap * 0.6f, 1e-5f);
}

TEST(FollowCamera, GoalSitsDistanceFromTheLookPointFifteenDegreesUpAndFollowsSettings) {
    StandIn tank;
    tank.position = Vec3f(1, 2, 5);
    FollowCamera camera;
    camera.stiffness = 4.0f; // the catch-up is capped at all the way
    camera.setTarget(&tank);
    Vec3f offset = camera.eye - camera.lookPoint;
    expectVecNear(camera.lookPoint, Vec3f(1, 14, 5), 1e-4f);
    EXPECT_NEAR(offset.length(), 23.0f, 1e-4f);
    EXPECT_NEAR(std::asin(offset.dot(tank.up) / offset.length()), 15 * PI / 180, 1e-5);
    EXPECT_LT(offset.dot(tank.forward), 0.0f);

    camera.distance = 10.0f;
    camera.lookahead = 2.0f;
    EXPECT_NEAR((camera.eye - camera.lookPoint).length(), 23.0f, 1e-4f); // not before updating
    camera.update(0.0f);
    expectVecNear(camera.lookPoint, Vec3f(1, 4, 5), 1e-4f);
    EXPECT_NEAR((camera.eye - camera.lookPoint).length(), 10.0f, 1e-4f);
}

TEST(WorldCamera, ZoomStopsAtZeroAndStartsAgainFromThere) {
    WorldCamera camera;
    camera.zoom(-5.0f);
    EXPECT_EQ(camera.distance, 0.0f);
    camera.zoom(3.0f);
    camera.zoom(2.0f);
    EXPECT_EQ(camera.distance, 5.0f);
    camera.zoom(-7.5f);
    EXPECT_EQ(camera.distance, 0.0f);
    camera.zoom(1.5f);
    EXPECT_EQ(camera.distance, 1.5f);
}

TEST(WorldCamera, TurnsAndPansApplyAfterWhatCameBeforeAndResetForgetsThem) {
    WorldCamera camera;
    camera.zoom(4.0f);
    camera.rotate(static_cast<float>(PI / 2), 0, 0, 2); // the axis is normalised
    camera.pan(1.0f, 2.0f);
    Vec3f p(1, 0, 0);
    camera.transform.transformPoint(p);
    expectVecNear(p, Vec3f(-1, -3, 0),
                  1e-4f); // turned by -90 degrees about z, then moved by (-1, -2)

    camera.rotate(static_cast<float>(PI / 2), 1, 0, 0);
    p = Vec3f(1, 0, 0);
    camera.transform.transformPoint(p);
    expectVecNear(p, Vec3f(-1, 0, 3), 1e-4f);

    camera.reset();
    EXPECT_EQ(camera.distance, 0.0f);
    camera.rotate(1.0f, 0, 0, 0); // no axis: no turn, and no shrinking either
    p = Vec3f(1, 2, 3);
    camera.transform.transformPoint(p);
    expectVecNear(p, Vec3f(1, 2, 3), 0.0f);
}

TEST(Backdrop, DiscsStayInsideTheirSideSortedAndCountedPerSide) {
    randomSource.seed(7);
    Backdrop backdrop(100);
    ASSERT_EQ(backdrop.count, 100);
    ASSERT_EQ(backdrop.discs.size(), 100u);
    int seen[6] = {};
    int previousSide = 0;
    for (const Backdrop::Disc& disc : backdrop.discs) {
        EXPECT_GE(disc.r, 0.05f);
        EXPECT_LE(disc.r, 0.2f);
        EXPECT_LE(std::fabs(disc.x) + disc.r, 1.0f + 1e-6f);
        EXPECT_LE(std::fabs(disc.y) + disc.r, 1.0f + 1e-6f);
        ASSERT_GE(disc.side, previousSide);
        ASSERT_LE(disc.side, 5);
        previousSide = disc.side;
        ++seen[disc.side];
    }
    int total = 0;
    for (int side = 0; side < 6; ++side) {
        EXPECT_EQ(backdrop.sideCounts[side], seen[side]) << "side " << side;
        total += backdrop.sideCounts[side];
    }
    EXPECT_EQ(total, 100);
}

class CameraRendering : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(window.ok()) << window.error(); }

    void wideProjection() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(90.0, 4.0 / 3.0, 0.1, 10.0);
        glMatrixMode(GL_MODELVIEW);
    }

    GlTestWindow window;
};

TEST_F(CameraRendering, FollowCameraStoresTheWorldToEyeTransformOverAClearedDepthBuffer) {
    StandIn tank;
    tank.position = Vec3f(5, 1, 2);
    tank.up = Vec3f(1, 0, 0);
    tank.forward = Vec3f(0, 0, -1);
    randomSource.seed(3);
    FollowCamera camera;
    camera.setTarget(&tank);
    camera.update(0.0f);
    wideProjection();        // shows enough of the backdrop to be sure some discs are drawn
    glEnable(GL_DEPTH_TEST); // as the scene has it: the backdrop then writes depth

    camera.apply();
    EXPECT_EQ(window.glErrors(), "");

    Vec3f eye = camera.eye, look = camera.lookPoint, above = camera.lookPoint + camera.up;
    camera.viewMatrix.transformPoint(eye);
    camera.viewMatrix.transformPoint(look);
    camera.viewMatrix.transformPoint(above);
    expectVecNear(eye, Vec3f(), 1e-4f);
    expectVecNear(look, Vec3f(0, 0, -(camera.lookPoint - camera.eye).length()), 1e-4f);
    EXPECT_GT(above.y(), look.y());

    std::vector<unsigned char> image = window.readRgb();
    int bright = 0;
    for (unsigned char value : image)
        bright += value > 200;
    ASSERT_GT(bright, 0) << "no backdrop disc in view";
    for (float depth : window.readDepth())
        ASSERT_EQ(depth, 1.0f) << "the backdrop's depth would hide the scene";
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint shading = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    EXPECT_EQ(shading, GL_FLAT);
}

TEST_F(CameraRendering, BackdropTurnsWithTheViewButNeverComesNearer) {
    StandIn tank;
    randomSource.seed(3);
    FollowCamera camera;
    camera.stiffness = 4.0f; // straight to the goal
    camera.setTarget(&tank);
    wideProjection();
    camera.apply();
    std::vector<unsigned char> before = window.readRgb();

    tank.position = tank.position + Vec3f(40, -7, 3); // same heading, far away
    camera.update(0.0f);
    window.resetState();
    wideProjection();
    camera.apply();
    std::vector<unsigned char> after = window.readRgb();

    int bright = 0, differing = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        bright += before[i] > 200;
        differing += std::abs(before[i] - after[i]) > 8;
    }
    ASSERT_GT(bright, 0) << "no backdrop disc in view";
    EXPECT_LT(differing, 50); // rounding of the far position may move an edge pixel
}

// Where a disc sits around the eye: on the +Z side (4), `depth` from the eye, turned onto the
// normal of its own side.
Vec3f discCentre(const Backdrop::Disc& disc, float depth) {
    Vec3f centre(disc.x, disc.y, depth);
    if (disc.side == 5)
        return Vec3f(-disc.x, disc.y, -depth); // half a turn about y
    if (disc.side < 4)
        Matrix4f::rotation(static_cast<float>(PI / 2), cross(Z_AXIS, faceNormal(disc.side)))
            .transformPoint(centre);
    return centre;
}

TEST_F(CameraRendering, BackdropPutsWhiteDiscsOnTheSixSidesAroundTheEye) {
    randomSource.seed(11);
    Backdrop backdrop(100);
    int px = 0, py = 0;
    unsigned char drawnRed = 0;
    for (int side = 0, last = -1; side < 6; ++side) {
        ASSERT_GT(backdrop.sideCounts[side], 0) << "pick another seed";
        last += backdrop.sideCounts[side];
        window.resetState();
        wideProjection();
        Vec3f d = faceNormal(side);
        Vec3f up = side == 2 || side == 3 ? Z_AXIS : Y_AXIS;
        gluLookAt(0, 0, 0, d.x(), d.y(), d.z(), up.x(), up.y(), up.z());
        backdrop.draw();
        EXPECT_EQ(window.glErrors(), "") << "side " << side;

        std::vector<unsigned char> image = window.readRgb();
        for (size_t i = 0; i < image.size(); i += 3)
            ASSERT_TRUE(image[i] == image[i + 1] && image[i] == image[i + 2]) << "not white";

        // The run's last disc is drawn on top (and nearest), so its centre is opaque white.
        float depth = 1.0f - 0.001f * (backdrop.sideCounts[side] - 1);
        Vec3f centre = discCentre(backdrop.discs[last], depth);
        ASSERT_NEAR(centre.dot(d), depth, 1e-5f);
        GLdouble model[16], projection[16], wx, wy, wz;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(centre.x(), centre.y(), centre.z(), model, projection, viewport, &wx, &wy, &wz);
        px = static_cast<int>(wx);
        py = static_cast<int>(wy);
        drawnRed = window.pixel(px, py).r;
        EXPECT_GT(drawnRed, 200) << "side " << side << " at " << px << ", " << py;
    }

    window.swapBuffers(); // and the player sees just that
    EXPECT_EQ(window.shownPixel(px, py).r, drawnRed);
}

TEST_F(CameraRendering, WorldCameraMultipliesDistanceThenTransformOntoTheCurrentMatrix) {
    WorldCamera camera;
    camera.zoom(12.0f);
    camera.rotate(0.7f, 1, 2, 3);
    camera.pan(0.5f, -1.5f);
    Matrix4f before = Matrix4f::translation(2, 0, 0);
    glLoadMatrixf(before.transpose().data());

    camera.apply();
    Matrix4f expected = before * Matrix4f::translation(0, 0, -12) * camera.transform;
    GLfloat actual[16]; // column-major
    glGetFloatv(GL_MODELVIEW_MATRIX, actual);
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            EXPECT_NEAR(actual[column * 4 + row], expected.at(column, row), 1e-5f)
                << "row " << row << ", column " << column;
    EXPECT_EQ(window.glErrors(), "");
}

} // namespace
