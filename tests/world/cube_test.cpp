#include <gtest/gtest.h>

#include "support/vecexpect.h"

#include <array>
#include <cmath>

#include "math/colours.h"
#include "math/constants.h"
#include "math/faces.h"
#include "world/cube.h"
#include "world/cubegeometry.h"

namespace {

// Cubie-space side of each sticker colour: white +Y, green -X, red +Z, blue +X, orange -Z,
// yellow -Y.
const Vec3f STICKER_SIDES[6] = {Y_AXIS, NEG_X_AXIS, Z_AXIS, X_AXIS, NEG_Z_AXIS, NEG_Y_AXIS};

Vec3f rotated(const Matrix4f& m, const Vec3f& v) {
    Vec3f p = v;
    m.transformPoint(p);
    return p;
}

void expectColours(const Cube& cube, const std::array<int, 6>& expected) {
    for (int face = 0; face < 6; ++face)
        EXPECT_EQ(cube.faceColors[face], expected[face]) << "face " << face;
}

TEST(Cube, ConstructionPlacesTheCubieWithItsBevel) {
    Cube cube(10.0f, Vec3f(1, 2, 3));
    EXPECT_FALSE(cube.rotating);
    EXPECT_EQ(cube.size, 10.0f);
    EXPECT_FLOAT_EQ(cube.bevel, 0.5f);
    EXPECT_FLOAT_EQ(cube.inset, 0.125f);
    expectVecNear(rotated(cube.matrix, Vec3f()), Vec3f(1, 2, 3), 0.0f);
    expectVecNear(rotated(cube.matrix, X_AXIS), Vec3f(2, 2, 3), 0.0f);
    expectColours(cube, {3, 1, 0, 5, 2, 4});
}

// The draw rotation of each sticker must put it on its side, and a new cubie's colour table
// must name the sticker that is drawn there.
TEST(Cube, StickerRotationsMatchTheInitialColourTable) {
    Cube cube(10.0f, Vec3f());
    for (int colour = 0; colour < 6; ++colour) {
        SCOPED_TRACE(colour);
        const StickerRotation& r = stickerRotation(colour);
        Matrix4f m = Matrix4f::rotation(static_cast<float>(r.angle * PI / 180), r.axis);
        expectVecNear(rotated(m, Z_AXIS), STICKER_SIDES[colour]);
        EXPECT_EQ(cube.faceColors[faceOf(STICKER_SIDES[colour])], colour);
    }
    EXPECT_EQ(cube.faceColors[4], 2); // red is drawn when the +Z face is asked for
}

TEST(Cube, RotateStickersCyclesTheFourSidesAroundTheAxis) {
    Cube aboutX(1.0f, Vec3f()), aboutY(1.0f, Vec3f()), aboutZ(1.0f, Vec3f());
    aboutX.rotateStickers(0, false);
    expectColours(aboutX, {3, 1, 2, 4, 5, 0});
    aboutY.rotateStickers(1, false);
    expectColours(aboutY, {4, 2, 0, 5, 3, 1});
    aboutZ.rotateStickers(2, false);
    expectColours(aboutZ, {0, 5, 1, 3, 2, 4});

    for (int axis = 0; axis < 3; ++axis)
        for (bool counterClockwise : {false, true}) {
            Cube cube(1.0f, Vec3f());
            cube.rotateStickers(axis, counterClockwise);
            cube.rotateStickers(axis, !counterClockwise);
            expectColours(cube, {3, 1, 0, 5, 2, 4});
            for (int i = 0; i < 4; ++i)
                cube.rotateStickers(axis, counterClockwise);
            expectColours(cube, {3, 1, 0, 5, 2, 4});
        }
}

// After a quarter turn, the colour table must name the sticker whose side the turn matrix now
// points at each world face.
TEST(Cube, RotateStickersAgreesWithTheTurnMatrices) {
    for (int axis = 0; axis < 3; ++axis)
        for (bool counterClockwise : {false, true}) {
            SCOPED_TRACE(testing::Message() << "axis " << axis << " ccw " << counterClockwise);
            float angle = static_cast<float>(counterClockwise ? PI / 2 : -PI / 2);
            Vec3f axisVector = faceNormal(faceIndex(axis, true));
            Matrix4f turn = Matrix4f::rotation(angle, axisVector);
            Cube cube(1.0f, Vec3f());
            cube.rotateStickers(axis, counterClockwise);
            for (int colour = 0; colour < 6; ++colour)
                EXPECT_EQ(cube.faceColors[faceOf(rotated(turn, STICKER_SIDES[colour]))], colour);
        }
}

// The sticker spans the side inside its bevel. Each bevel quad joins a sticker edge to the
// pulled-in cubie edge; it must be flat, wound counter-clockwise seen from outside, and lit by a
// unit normal at right angles to it.
TEST(CubeSideGeometry, StickerAndBevelQuadsFitTogetherAndFaceOutwards) {
    Cube cube(10.0f, Vec3f());
    float h = 5.0f, i = cube.inset;
    CubeSideGeometry side = cubeSideGeometry(h, cube.bevel, i);
    for (const Vec3f& corner : side.sticker) {
        EXPECT_FLOAT_EQ(std::fabs(corner.x()), 4.5f);
        EXPECT_FLOAT_EQ(std::fabs(corner.y()), 4.5f);
        EXPECT_FLOAT_EQ(corner.z(), 5.0f);
    }
    for (int edge = 0; edge < 4; ++edge) {
        SCOPED_TRACE(edge);
        const Vec3f* q = side.bevels[edge];
        const Vec3f& normal = side.bevelNormals[edge];
        EXPECT_NEAR(normal.length(), 1.0f, 1e-6f);
        int stickerCorners = 0;
        Vec3f centre;
        for (int c = 0; c < 4; ++c) {
            const Vec3f& a = q[c];
            const Vec3f& next = q[(c + 1) % 4];
            EXPECT_NEAR(normal.dot(next - a), 0.0f, 1e-5f);
            EXPECT_GT(cross(next - a, q[(c + 2) % 4] - next).dot(normal), 0.0f);
            for (const Vec3f& s : side.sticker)
                stickerCorners += (a - s).length() < 1e-6f;
            if (a.z() != h) {
                EXPECT_FLOAT_EQ(a.z(), h - i);
            }
            centre += a * 0.25f;
        }
        EXPECT_EQ(stickerCorners, 2);
        EXPECT_GT(normal.dot(centre), 0.0f);
        EXPECT_GT(normal.z(), 0.0f);
    }
}

} // namespace
