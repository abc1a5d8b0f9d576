#include "levels.h"

#include <cmath>
#include <fstream>
#include <memory>

#include "math/faces.h"
#include "world/box.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr int CUBIE = 28;         // world units: the editor's cubie edge
constexpr float WALL = 2;         // thickness of walls, world units
constexpr float WALL_HEIGHT = 5;  // higher than a tank, lower than a shell's arc
constexpr float SNAP = 100;       // positions are kept to 1/100 of a unit
constexpr float SIDE_OFFSET = 12; // a wall along a cubie's side, this far from its centre
constexpr float SIDE_LENGTH = 22; // leaves 6 units between walls that meet at a corner

// The centre of cubie i (0 at the face's left or back edge) of a cube n cubies a side, in face
// coordinates.
float cell(int n, int i) {
    return static_cast<float>(CUBIE) * (static_cast<float>(i) + 0.5f) - CUBIE * n * 0.5f;
}

// Turning the face-local point onto a face leaves rounding dust (1e-15 where 0 is meant) that
// the file would keep; adding 0 turns a negative zero into a plain one.
float snapped(float v) {
    return std::round(v * SNAP) / SNAP + 0.0f;
}

// Small cover near the corners and the middles of the edges; the centre square stays open.
World* openArena() {
    auto* world = new World(3, CUBIE);
    const Vec4f sand(0.76f, 0.64f, 0.42f, 1), crate(0.52f, 0.36f, 0.2f, 1);
    for (int su : {-1, 1})
        for (int sv : {-1, 1}) {
            bool alongRight = su * sv > 0;
            placeOnEveryFace(*world, su * 28.0f, sv * 28.0f, alongRight ? 10 : WALL,
                             alongRight ? WALL : 10, 3, sand);
        }
    for (int s : {-1, 1}) {
        placeOnEveryFace(*world, s * 30.0f, 0, 4, 4, 4, crate);
        placeOnEveryFace(*world, 0, s * 30.0f, 4, 4, 4, crate);
    }
    return world;
}

// The smallest cube: a pillar in each quarter of a face and a low bar towards its edge, so
// every layer turn brings cover from another face.
World* pocketDuel() {
    auto* world = new World(2, CUBIE);
    const Vec4f brick(0.62f, 0.22f, 0.16f, 1), bar(0.85f, 0.75f, 0.55f, 1);
    for (int su : {-1, 1})
        for (int sv : {-1, 1}) {
            placeOnEveryFace(*world, su * 16.0f, sv * 16.0f, 5, 5, 6, brick);
            placeOnEveryFace(*world, su * 6.0f, sv * 22.0f, 8, WALL, 2.5f, bar);
        }
    return world;
}

// One wall on a side of every cubie: corridors that meet at the cubies' corners. Around the
// start the walls turn like a pinwheel on the outer sides of the four middle cubies.
World* mazeOfWalls() {
    const int n = 4;
    auto* world = new World(n, CUBIE);
    const Vec4f hedge(0.18f, 0.42f, 0.2f, 1);
    // Rows from the back edge (forward -) to the front edge (forward +), cubies from left to
    // right; the side of each cubie its wall stands on: N forward, S back, E right, W left.
    const char* sides[n] = {"ENWN", "NWSW", "ENES", "SESW"};
    for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column) {
            float u = cell(n, column), v = cell(n, row);
            switch (sides[row][column]) {
            case 'N':
                placeOnEveryFace(*world, u, v + SIDE_OFFSET, SIDE_LENGTH, WALL, WALL_HEIGHT, hedge);
                break;
            case 'S':
                placeOnEveryFace(*world, u, v - SIDE_OFFSET, SIDE_LENGTH, WALL, WALL_HEIGHT, hedge);
                break;
            case 'E':
                placeOnEveryFace(*world, u + SIDE_OFFSET, v, WALL, SIDE_LENGTH, WALL_HEIGHT, hedge);
                break;
            default:
                placeOnEveryFace(*world, u - SIDE_OFFSET, v, WALL, SIDE_LENGTH, WALL_HEIGHT, hedge);
                break;
            }
        }
    return world;
}

// Each tank starts inside a walled square with a gate in every side, towers in the corners of
// its face. Turning a middle layer carries a fortress off to another face.
World* sixFortresses() {
    auto* world = new World(3, CUBIE);
    const Vec4f stone(0.5f, 0.5f, 0.55f, 1), tower(0.3f, 0.3f, 0.36f, 1);
    // The walls stand `ring` units out and leave gates 8 wide in the middle of the sides.
    const float ring = 11, from = 4, to = ring + WALL / 2;
    const float inner = ring - WALL / 2; // where the walls across meet the walls along
    for (int su : {-1, 1})
        for (int sv : {-1, 1}) {
            // The corner of the ring at (su, sv): a wall along the right, and one along the
            // forward direction that ends where it meets the first.
            placeOnEveryFace(*world, su * (from + to) / 2, sv * ring, to - from, WALL, WALL_HEIGHT,
                             stone);
            placeOnEveryFace(*world, su * ring, sv * (from + inner) / 2, WALL, inner - from,
                             WALL_HEIGHT, stone);
            placeOnEveryFace(*world, su * 28.0f, sv * 28.0f, 6, 6, 9, tower);
        }
    return world;
}

// Long walls in the second and fourth columns of cubies make three lanes with a crossing in
// the middle row; bars at the ends of the lanes. A layer turn brings walls from a face turned
// the other way round, which cross the lanes and close them, or line up and open new ones.
World* shiftingLanes() {
    const int n = 5;
    auto* world = new World(n, CUBIE);
    const Vec4f wall(0.15f, 0.45f, 0.5f, 1), bar(0.82f, 0.46f, 0.12f, 1);
    for (int column : {1, 3})
        for (int row : {0, 1, 3, 4})
            placeOnEveryFace(*world, cell(n, column), cell(n, row), WALL, 24, WALL_HEIGHT, wall);
    for (int end : {0, n - 1}) {
        placeOnEveryFace(*world, cell(n, end), 0, 24, WALL, 3.5f, bar);
        placeOnEveryFace(*world, 0, cell(n, end), 24, WALL, 3.5f, bar);
    }
    return world;
}

// A tall pillar on every cubie, tallest in the corners: cover against shells, which fly in arcs
// and cannot clear the high ones.
World* towerField() {
    const int n = 4;
    auto* world = new World(n, CUBIE);
    const Vec4f low(0.55f, 0.5f, 0.7f, 1), high(0.35f, 0.28f, 0.55f, 1);
    for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column) {
            int outer = (row == 0 || row == n - 1) + (column == 0 || column == n - 1);
            float height = 8.0f + 3.0f * static_cast<float>(outer); // 8, 11 or 14
            placeOnEveryFace(*world, cell(n, column), cell(n, row), 4, 4, height,
                             outer == 2 ? high : low);
        }
    return world;
}

} // namespace

void placeBlock(World& world, int face, float u, float v, float width, float depth, float height,
                const Vec4f& colour) {
    Vec3f at(u, v, world.halfExtent());
    faceOrientationMatrix(face).transformPoint(at);
    for (int axis = 0; axis < 3; ++axis)
        at[axis] = snapped(at[axis]);
    auto* box = new Box(at, &world, width, depth, height);
    box->colour = colour;
    world.addObject(box);
}

void placeOnEveryFace(World& world, float u, float v, float width, float depth, float height,
                      const Vec4f& colour) {
    for (int face = 0; face < 6; ++face)
        placeBlock(world, face, u, v, width, depth, height, colour);
}

const std::vector<LevelDesign>& levelDesigns() {
    static const std::vector<LevelDesign> designs = {
        {"Maze of Walls", "4x4x4: corridors between walls on every cubie", mazeOfWalls},
        {"Open Arena", "3x3x3: open ground with a little low cover", openArena},
        {"Pocket Duel", "2x2x2: close quarters; every turn moves a quarter of a face", pocketDuel},
        {"Shifting Lanes", "5x5x5: lanes that layer turns close and open", shiftingLanes},
        {"Six Fortresses", "3x3x3: a walled start with four gates on every face", sixFortresses},
        {"Tower Field", "4x4x4: tall pillars to hide from shells behind", towerField},
    };
    return designs;
}

bool writeLevelDesigns(const std::string& directory, std::string& error) {
    for (const LevelDesign& design : levelDesigns()) {
        std::unique_ptr<World> world(design.build());
        std::string path = directory + "/" + design.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        writeLevel(*world, out);
        out.close();
        if (!out) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}
