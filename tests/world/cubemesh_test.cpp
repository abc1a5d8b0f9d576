#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "math/faces.h"
#include "world/cubemesh.h"
#include "world/rubikscube.h"

namespace {

constexpr float STICKER_AREA = 81; // (10 - 2 * 0.5)^2 for cubies of edge 10

float quadArea(const CubeMesh& mesh, int quad) {
    auto corner = [&](int c) {
        const float* p = mesh.vertices[quad * 4 + c].position;
        return Vec3f(p[0], p[1], p[2]);
    };
    return 0.5f * cross(corner(2) - corner(0), corner(3) - corner(1)).length();
}

bool isDark(const CubeMesh& mesh, int quad) {
    return mesh.vertices[quad * 4].colour[0] == BEVEL_COLOUR[0];
}

// Whole sides in a range: the stickers, coloured or dark. Bevels are far smaller.
int wholeSides(const CubeMesh& mesh, const CubeMesh::Range& range, bool dark) {
    int count = 0;
    for (int q = range.first; q < range.first + range.count; ++q)
        count += std::fabs(quadArea(mesh, q) - STICKER_AREA) < 0.1f && isDark(mesh, q) == dark;
    return count;
}

int cubiesInLayer(const RubiksCube& cube, int axis, int index) {
    int count = 0;
    if (index < 0 || index >= cube.n)
        return 0;
    for (const Layer::Cell& cell : cube.layers[axis * cube.n + index]->cells)
        count += cube.cubieAt(cell.x, cell.y, cell.z) != nullptr;
    return count;
}

TEST(RubiksCubeSides, CubiesCarryStickersOnTheSurfaceOnly) {
    for (int n = 2; n <= 5; ++n) {
        RubiksCube cube(n, 10, 0.3f);
        int stickers = 0;
        for (int z = 0; z < n; ++z)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const Cube* cubie = cube.cubieAt(x, y, z);
                    if (!cubie)
                        continue;
                    const int cell[3] = {x, y, z};
                    for (int f = 0; f < 6; ++f) {
                        bool surface = cell[faceAxis(f)] == (faceSign(f) > 0 ? n - 1 : 0);
                        EXPECT_EQ(cubie->outer[cubie->faceColors[f]], surface);
                        stickers += surface;
                    }
                }
        EXPECT_EQ(stickers, 6 * n * n);
    }
}

// At rest every sticker shows once and no inner side whole; halfway through a turn the turning
// cubies show their inner sides along the axis, and the neighbouring layers their sides
// facing the turning one, each once.
TEST(CubeMesh, ShowsTheStickersAndWhatATurnUncovers) {
    const int turns[][3] = {{3, 0, 0}, {3, 1, 1}, {4, 2, 3}, {5, 2, 2}, {5, 1, 0}};
    for (const auto& t : turns) {
        int n = t[0], axis = t[1], index = t[2];
        RubiksCube cube(n, 10, 0.3f);
        CubeMesh mesh;
        mesh.update(cube);
        EXPECT_TRUE(mesh.validate());
        for (int f = 0; f < 6; ++f) {
            EXPECT_EQ(wholeSides(mesh, mesh.still[f], false), n * n);
            EXPECT_EQ(mesh.vertices[mesh.still[f].first * 4].colour[1],
                      FACE_COLORS[INITIAL_FACE_COLORS[f]][1]);
        }
        EXPECT_EQ(wholeSides(mesh, mesh.all(), true), 0);

        cube.startRotation(axis * n + index, 0);
        for (int step = 0; step < 9; ++step)
            cube.updateRotation(1.0f / 60);
        mesh.update(cube);
        EXPECT_TRUE(mesh.validate());
        int turningDark = 0, stillDark = 0, coloured = 0;
        for (int f = 0; f < 6; ++f) {
            turningDark += wholeSides(mesh, mesh.turning[f], true);
            stillDark += wholeSides(mesh, mesh.still[f], true);
            coloured += wholeSides(mesh, mesh.turning[f], false);
            coloured += wholeSides(mesh, mesh.still[f], false);
        }
        int inLayer = cubiesInLayer(cube, axis, index);
        int ends = (index == 0) + (index == n - 1); // the layer's own face, if any, is stickered
        EXPECT_EQ(turningDark, inLayer * (2 - ends)) << n << " " << axis << " " << index;
        EXPECT_EQ(stillDark,
                  cubiesInLayer(cube, axis, index - 1) + cubiesInLayer(cube, axis, index + 1));
        EXPECT_EQ(coloured, 6 * n * n);
    }
}

// Each step of a turn lays out the turning cubies again and keeps the rest; whatever the path,
// the mesh is the one a fresh mesh builds from the cube as it stands.
TEST(CubeMesh, UpdatesLikeAFreshBuildAndOnlyWhenTheCubeMoved) {
    RubiksCube cube(4, 10, 0.3f);
    CubeMesh mesh;
    EXPECT_TRUE(mesh.update(cube));
    EXPECT_FALSE(mesh.update(cube));
    auto expectFresh = [&](const char* when) {
        CubeMesh fresh;
        fresh.update(cube);
        ASSERT_EQ(mesh.vertices.size(), fresh.vertices.size()) << when;
        for (size_t i = 0; i < fresh.vertices.size(); ++i)
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(mesh.vertices[i].position[k], fresh.vertices[i].position[k]) << when;
        for (int f = 0; f < 6; ++f)
            EXPECT_EQ(mesh.turning[f].first, fresh.turning[f].first) << when;
    };
    for (int turn = 0; turn < 3; ++turn) {
        cube.startRotation(turn * 5, turn % 2);
        EXPECT_TRUE(mesh.update(cube));
        expectFresh("at the start");
        while (cube.isRotating) {
            std::vector<CubeMesh::Vertex> stillPart(
                mesh.vertices.begin(), mesh.vertices.begin() + mesh.turning[0].first * 4);
            cube.updateRotation(1.0f / 60);
            EXPECT_TRUE(mesh.update(cube));
            ASSERT_TRUE(mesh.validate());
            for (size_t i = 0; cube.isRotating && i < stillPart.size(); ++i)
                ASSERT_EQ(stillPart[i].position[0], mesh.vertices[i].position[0]);
            expectFresh(cube.isRotating ? "turning" : "at rest");
        }
    }
    EXPECT_FALSE(mesh.update(cube));
}

} // namespace
