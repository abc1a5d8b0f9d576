#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "math/constants.h"
#include "math/faces.h"
#include "math/randomsource.h"
#include "support/glwindow.h"
#include "world/rubikscube.h"

namespace {

// Cubie-space side of each sticker colour: white +Y, green -X, red +Z, blue +X, orange -Z,
// yellow -Y.
const Vec3f STICKER_SIDES[6] = {Y_AXIS, NEG_X_AXIS, Z_AXIS, X_AXIS, NEG_Z_AXIS, NEG_Y_AXIS};

// Records every turn it is asked for, the way the world intercepts them.
class RecordingCube : public RubiksCube {
public:
    using RubiksCube::RubiksCube;
    void startRotation(int layerNumber, int direction) override {
        started.emplace_back(layerNumber, direction);
        RubiksCube::startRotation(layerNumber, direction);
    }
    std::vector<std::pair<int, int>> started;
};

// The discrete state a turn must keep exact: the grid and every sticker table.
struct Snapshot {
    std::vector<Cube*> grid;
    std::vector<std::array<int, 6>> colours;

    explicit Snapshot(const RubiksCube& cube) : grid(cube.grid) {
        for (const Cube* cubie : cube.cubies) {
            std::array<int, 6> c;
            std::copy(cubie->faceColors, cubie->faceColors + 6, c.begin());
            colours.push_back(c);
        }
    }
    bool operator==(const Snapshot& o) const { return grid == o.grid && colours == o.colours; }
};

// Starts a turn and animates it to its end, validating after every step.
void turn(RubiksCube& cube, int layerNumber, int direction) {
    cube.startRotation(layerNumber, direction);
    ASSERT_TRUE(cube.validate());
    for (int step = 0; step < 18; ++step) {
        ASSERT_TRUE(cube.isRotating) << "ended early at step " << step;
        cube.updateRotation(static_cast<float>(SECONDS_PER_FRAME));
        ASSERT_TRUE(cube.validate());
    }
    ASSERT_FALSE(cube.isRotating);
}

Vec3f cellCentre(const RubiksCube& cube, int x, int y, int z) {
    float first = cube.cubieSize * 0.5f - cube.halfExtent();
    return Vec3f(first + x * cube.cubieSize, first + y * cube.cubieSize,
                 first + z * cube.cubieSize);
}

// Every cubie's matrix puts it at the centre of the cell the grid files it under, and its
// sticker table names the sticker whose side the matrix turns towards each world face.
void expectMatricesMatchGrid(const RubiksCube& cube) {
    const float tolerance = 1e-3f * cube.cubieSize;
    for (int z = 0; z < cube.n; ++z)
        for (int y = 0; y < cube.n; ++y)
            for (int x = 0; x < cube.n; ++x) {
                const Cube* cubie = cube.cubieAt(x, y, z);
                if (!cubie)
                    continue;
                SCOPED_TRACE(testing::Message() << "cell " << x << " " << y << " " << z);
                Vec3f origin;
                cubie->matrix.transformPoint(origin);
                EXPECT_LT((origin - cellCentre(cube, x, y, z)).length(), tolerance);
                for (int colour = 0; colour < 6; ++colour) {
                    Vec3f tip = STICKER_SIDES[colour];
                    cubie->matrix.transformPoint(tip);
                    Vec3f direction = tip - origin;
                    ASSERT_GT(direction.dot(faceNormal(faceOf(direction))), 0.999f);
                    EXPECT_EQ(cubie->faceColors[faceOf(direction)], colour);
                }
            }
}

TEST(RubiksCube, BuildsOnlyTheSurfaceCubies) {
    const int expected[] = {8, 26, 56, 98};
    for (int n = 2; n <= 5; ++n) {
        SCOPED_TRACE(n);
        RubiksCube cube(n, 10.0f, ROTATION_TIME);
        EXPECT_TRUE(cube.validate());
        EXPECT_EQ(cube.cubieCount, expected[n - 2]);
        expectMatricesMatchGrid(cube);
    }
    RubiksCube three(3, 10.0f, ROTATION_TIME);
    EXPECT_EQ(three.cubieAt(1, 1, 1), nullptr);
    EXPECT_EQ(three.cubieAt(0, 1, 0), three.cubies[3]); // walk order: x fastest, then y
    EXPECT_FLOAT_EQ(three.layerLowerBound(0), -15.0f);
    EXPECT_FLOAT_EQ(three.layerLowerBound(5), 5.0f);
}

// Outer counter j, inner k: X lists (index, k, j), Y (j, index, k), Z (k, j, index).
TEST(RubiksCube, LayersListTheirCellsInOrder) {
    RubiksCube cube(3, 10.0f, ROTATION_TIME);
    auto expectCell = [](const Layer::Cell& c, int x, int y, int z) {
        EXPECT_TRUE(c.x == x && c.y == y && c.z == z) << c.x << " " << c.y << " " << c.z;
    };
    expectCell(cube.layers[1]->cells[3], 1, 0, 1);
    expectCell(cube.layers[5]->cells[1], 0, 2, 1);
    expectCell(cube.layers[6]->cells[5], 2, 1, 0);
}

TEST(RubiksCube, CellOfClampsPointsIntoTheGrid) {
    RubiksCube cube(3, 10.0f, ROTATION_TIME);
    auto expectCell = [&](const Vec3f& p, int x, int y, int z) {
        Layer::Cell c = cube.cellOf(p);
        EXPECT_EQ(c.x, x);
        EXPECT_EQ(c.y, y);
        EXPECT_EQ(c.z, z);
    };
    expectCell(Vec3f(0, 0, 0), 1, 1, 1);
    expectCell(Vec3f(-15, 15, 5), 0, 2, 2); // a boundary goes to the upper cell
    expectCell(Vec3f(-16, 99, 4.9f), 0, 2, 1);
    float nan = std::numeric_limits<float>::quiet_NaN();
    float huge = std::numeric_limits<float>::max();
    expectCell(Vec3f(nan, -huge, huge), 0, 0, 2);
}

TEST(RubiksCube, QuarterTurnReindexesAtOnceAndAnimatesInEighteenSteps) {
    RubiksCube cube(3, 10.0f, ROTATION_TIME);
    Cube* corner = cube.cubieAt(0, 0, 0);
    Cube* top = cube.cubieAt(0, 2, 0);
    Cube* still = cube.cubieAt(1, 0, 0);
    Matrix4f stillMatrix = still->matrix;
    cube.startRotation(0, 0);
    ASSERT_TRUE(cube.validate());
    EXPECT_EQ(cube.cubieAt(0, 2, 0), corner);
    EXPECT_EQ(cube.cubieAt(0, 2, 2), top);
    EXPECT_EQ(cube.cubieAt(1, 0, 0), still);
    for (int step = 0; step < 17; ++step) {
        cube.updateRotation(0.5f); // dt is ignored: one call is one tick
        ASSERT_TRUE(cube.validate());
    }
    EXPECT_TRUE(cube.isRotating);
    cube.updateRotation(0.0f);
    EXPECT_FALSE(cube.isRotating);
    EXPECT_TRUE(cube.validate());
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(still->matrix.data()[i], stillMatrix.data()[i]);
    expectMatricesMatchGrid(cube);
}

// Float sums of 1/60 fall just short of many whole-frame turn times; the turn must still end
// on its last frame and land at exactly a quarter turn.
TEST(RubiksCube, TurnOfAnyWholeNumberOfFramesEndsOnItsLastFrame) {
    for (int frames : {1, 6, 12, 18, 36, 48, 90}) {
        SCOPED_TRACE(frames);
        RubiksCube cube(3, 1.0f, frames * static_cast<float>(SECONDS_PER_FRAME));
        cube.startRotation(8, 1);
        for (int step = 1; step < frames; ++step)
            cube.updateRotation(0.0f);
        EXPECT_TRUE(cube.isRotating);
        cube.updateRotation(0.0f);
        EXPECT_FALSE(cube.isRotating);
        EXPECT_TRUE(cube.validate());
        expectMatricesMatchGrid(cube);
    }
}

TEST(RubiksCube, RotateAtPicksTheLayerHoldingTheCoordinate) {
    RecordingCube cube(3, 10.0f, ROTATION_TIME);
    const std::pair<float, int> cases[] = {{4.9f, 1},   {-20.0f, 0}, {99.0f, 2}, {-5.0f, 1},
                                           {-5.01f, 0}, {1e30f, 2},  {-1e30f, 0}};
    for (const auto& c : cases) {
        cube.started.clear();
        cube.rotateAt(0, c.first, 1);
        ASSERT_EQ(cube.started.size(), 1u) << c.first;
        EXPECT_EQ(cube.started[0], std::make_pair(c.second, 1)) << c.first;
        while (cube.isRotating)
            cube.updateRotation(0.0f);
    }
    cube.started.clear();
    cube.rotateAt(3, 0.0f, 0);
    cube.rotateAt(-1, 0.0f, 0);
    cube.rotateAt(1, std::numeric_limits<float>::quiet_NaN(), 0);
    EXPECT_TRUE(cube.started.empty());
    EXPECT_FALSE(cube.isRotating);

    // Cubies whose size is not a whole number still turn the layer under the coordinate.
    RecordingCube small(3, 0.5f, ROTATION_TIME);
    small.rotateAt(1, 0.0f, 0);
    EXPECT_EQ(small.started.at(0).first, 4);
}

TEST(RubiksCube, OppositeTurnsAndFourEqualTurnsRestoreEveryLayer) {
    for (int n = 2; n <= 5; ++n) {
        RubiksCube cube(n, 10.0f, ROTATION_TIME);
        Snapshot start(cube);
        for (int layer = 0; layer < cube.layerCount; ++layer)
            for (int direction = 0; direction < 2; ++direction) {
                SCOPED_TRACE(testing::Message()
                             << "n " << n << " layer " << layer << " dir " << direction);
                turn(cube, layer, direction);
                // Every turn moves cubies or stickers that the snapshot sees.
                EXPECT_FALSE(Snapshot(cube) == start);
                turn(cube, layer, 1 - direction);
                EXPECT_TRUE(Snapshot(cube) == start);
                for (int i = 0; i < 4; ++i)
                    turn(cube, layer, direction);
                EXPECT_TRUE(Snapshot(cube) == start);
                expectMatricesMatchGrid(cube);
            }
    }
}

TEST(RubiksCube, RandomTurnsKeepMatricesGridAndStickersInStep) {
    randomSource.seed(1234);
    for (int n = 2; n <= 5; ++n) {
        SCOPED_TRACE(n);
        RubiksCube cube(n, 28.0f, ROTATION_TIME);
        for (int i = 0; i < 40; ++i) {
            int layer = randomSource.randomInt(0, cube.layerCount - 1);
            int direction = randomSource.randomInt(0, 1);
            turn(cube, layer, direction);
            expectMatricesMatchGrid(cube);
            if (HasFailure())
                return;
        }
    }
}

// Each corruption breaks one invariant; validate must notice every one.
TEST(RubiksCube, ValidateNoticesEveryBrokenInvariant) {
    using Corruption = void (*)(RubiksCube&);
    const std::pair<const char*, Corruption> corruptions[] = {
        {"interior cell filled", [](RubiksCube& c) { c.grid[13] = c.cubies[0]; }},
        {"surface cell emptied", [](RubiksCube& c) { c.grid[0] = nullptr; }},
        {"cubie in two cells", [](RubiksCube& c) { c.grid[0] = c.grid[1]; }},
        {"stranger in a cell",
         [](RubiksCube& c) {
             static Cube stranger(10.0f, Vec3f());
             c.grid[3] = &stranger;
         }},
        {"cubie count off", [](RubiksCube& c) { c.cubieCount += 1; }},
        {"grid too small", [](RubiksCube& c) { c.grid.pop_back(); }},
        {"flagged while idle", [](RubiksCube& c) { c.cubies[5]->rotating = true; }},
        {"turning cubie not listed",
         [](RubiksCube& c) {
             c.startRotation(0, 0);
             c.rotatingCubies.pop_back();
         }},
        {"turning cubie not flagged",
         [](RubiksCube& c) {
             c.startRotation(2, 1);
             c.rotatingCubies[0]->rotating = false;
         }},
        {"outsider flagged",
         [](RubiksCube& c) {
             c.startRotation(0, 1);
             c.cubieAt(2, 2, 2)->rotating = true;
         }},
    };
    for (const auto& corruption : corruptions) {
        SCOPED_TRACE(corruption.first);
        RubiksCube cube(3, 10.0f, ROTATION_TIME);
        std::vector<Cube*> owned = cube.grid; // put back so that the destructor frees each once
        corruption.second(cube);
        EXPECT_FALSE(cube.validate());
        cube.grid = owned;
    }
}

// Seen head-on, unlit, with back faces culled: the front stickers show through, the bevels
// darken the seams, and a finished turn shows the stickers it brought round.
TEST(RubiksCubeDrawing, FrontFaceShowsItsStickersAndFollowsATurn) {
    GlTestWindow window;
    ASSERT_TRUE(window.ok()) << window.error();
    RubiksCube cube(3, 10.0f, ROTATION_TIME);
    auto drawFront = [&] {
        window.resetState();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glMatrixMode(GL_PROJECTION);
        glOrtho(-20, 20, -15, 15, -100, 100); // 20 pixels per unit, origin at (400, 300)
        glMatrixMode(GL_MODELVIEW);
        cube.draw();
        glFinish();
    };
    auto expectColour = [&](float x, float y, int r, int g, int b) {
        GlTestWindow::Pixel p =
            window.pixel(400 + static_cast<int>(x * 20), 300 + static_cast<int>(y * 20));
        EXPECT_TRUE(std::abs(p.r - r) < 8 && std::abs(p.g - g) < 8 && std::abs(p.b - b) < 8)
            << "at " << x << ", " << y << ": " << int(p.r) << " " << int(p.g) << " " << int(p.b);
    };
    drawFront();
    expectColour(0, 0, 255, 0, 0); // red front
    expectColour(-10, 10, 255, 0, 0);
    expectColour(5, 0, 13, 13, 13); // the seam between two cubies
    turn(cube, 2, 0);               // the right column, white top coming round to the front
    drawFront();
    expectColour(10, 0, 255, 255, 255);
    expectColour(10, -10, 255, 255, 255);
    expectColour(0, 0, 255, 0, 0);
    EXPECT_EQ(GlTestWindow::glErrors(), "");
}

#ifndef NDEBUG
TEST(RubiksCubeDeathTest, RejectsMisuse) {
    EXPECT_DEATH(RubiksCube(1, 10.0f, ROTATION_TIME), "n >= 2");
    RubiksCube cube(2, 10.0f, ROTATION_TIME);
    cube.startRotation(0, 0);
    EXPECT_DEATH(cube.rotateAt(0, 0.0f, 0), "!isRotating");
    EXPECT_DEATH(cube.startRotation(1, 0), "!isRotating");
}
#endif

} // namespace
