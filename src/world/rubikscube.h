#pragma once

#include <vector>

#include "math/matrix.h"
#include "math/vectors.h"
#include "world/cube.h"
#include "world/cubemesh.h"

// One slab of the cube: the n*n grid cells with index `index` along `axis`. Immutable.
struct Layer {
    struct Cell {
        int x, y, z; // grid coordinates, 0..n-1
    };

    Layer(int size, int axis, int index);

    int size;                // n
    int axis;                // 0 = X, 1 = Y, 2 = Z
    std::vector<Cell> cells; // n*n cells: X lists (index, k, j), Y (j, index, k), Z (k, j, index)
    int cellCount;           // n*n
    int index;               // 0..n-1 along the axis
};

// An n x n x n Rubik's cube (n from 2 to 5) of surface cubies, centred at the origin, that turns
// one layer at a time by an animated quarter turn. The grid follows a turn at its start; the
// cubies' matrices follow step by step; the sticker tables at its end. Owns its cubies and
// layers. Simulation code (everything but draw) runs without a window.
class RubiksCube {
public:
    RubiksCube(int n, float cubieSize, float rotationTime);
    virtual ~RubiksCube();
    RubiksCube(const RubiksCube&) = delete;
    RubiksCube& operator=(const RubiksCube&) = delete;

    virtual void draw();
    // Turns the layer of `axis` (0..2; anything else is ignored) holding the world coordinate
    // `coordinate`, clamped to the cube. Not while a turn runs.
    virtual void rotateAt(int axis, float coordinate, int direction);
    // Begins a quarter turn of layer axis*n + index; direction 0 turns by positive angles
    // (counter-clockwise seen from the positive end of the axis), 1 by negative ones.
    virtual void startRotation(int layerNumber, int direction);

    // One animation step of 1/60 s (dt is not used: one call per tick).
    void updateRotation(float dt);

    // The layer number rotateAt turns for (axis, coordinate); -1 for an axis outside 0..2 or a
    // coordinate that is not a number.
    int layerAt(int axis, float coordinate) const;
    // Whether a turn of the layer carries an object standing at `point` (the cell it is in).
    bool layerHolds(int layerNumber, const Vec3f& point) const;
    // A whole quarter turn about `axis` in `direction`, as the steps of updateRotation add up:
    // where a turn carries what rides on it. For predictions: costs one matrix product a step.
    Matrix4f quarterTurn(int axis, int direction) const;

    float halfExtent() const { return n * cubieSize * 0.5f; } // centre to face, world units
    // The cubies and the turn, as the mesh reads them.
    operator CubeShape() const {
        return CubeShape{cubies,           n, cubieSize, isRotating, rotatingLayer, rotationAxis,
                         rotationDirection};
    }
    float layerLowerBound(int layerNumber) const; // lower coordinate of the slab
    Layer::Cell cellOf(const Vec3f& point) const; // clamped into the grid
    Cube* cubieAt(int x, int y, int z) const { return grid[x + y * n + z * n * n]; }

    // Checks the grid against the cubies: every cubie in exactly one surface cell, interior
    // cells empty, the turning cubies flagged. Returns false and says why on failure.
    bool validate() const;

    float cubieSize;         // edge of one cubie, world units
    int n;                   // cubies per edge
    int cellsPerLayer;       // n*n
    int cellCount;           // n^3
    Vec4f specular;          // material specular colour
    float shininess;         // material shininess
    bool isRotating = false; // a quarter turn is in progress
    int rotatingLayer = 0;   // 0..3n-1
    int rotationAxis = 0;    // 0, 1, 2
    int rotationDirection = 0;
    float rotationElapsed = 0; // seconds of the current turn already animated
    float rotationTime;        // seconds per quarter turn
    std::vector<Cube*> cubies; // the surface cubies, owned
    int cubieCount;
    std::vector<Cube*> grid;    // n^3 cells, x + y*n + z*n*n; null for interior cells
    std::vector<Layer*> layers; // 3n, number axis*n + index, owned
    int layerCount;
    std::vector<Cube*> rotatingCubies; // cubies of the layer being turned
    Matrix4f stepMatrices[3][2];       // per axis and direction: one animation step

protected:
    CubeMesh mesh; // the cubies' visible sides, for drawing; follows the cubies on each draw
};
