#pragma once

// AI floor: computer players, input sources that read the world as a player sees it. May use
// match, entities, input and the layers below; no window, no drawing, no files.

#include <vector>

#include "math/vectors.h"

class World;

// A face's own flat coordinates: u along its right, v along its forward (both world units from
// the face's centre), as the face's orientation stands a model on it. Plain value type.
struct FaceFrame {
    FaceFrame() = default;
    FaceFrame(int face, float halfExtent);

    float u(const Vec3f& p) const { return p.dot(right); }
    float v(const Vec3f& p) const { return p.dot(forward); }
    // The point (u, v) on the face's surface.
    Vec3f point(float u, float v) const { return right * u + forward * v + normal * half; }

    int face = 0;
    float half = 0; // centre to face, world units
    Vec3f right, forward, normal;
};

// Where a tank may stand on one face, as square cells about 2 units a side: a cell is closed
// when its centre lies within `clearance` (Chebyshev, as the tank's box is square to the world
// axes) of a block or obstacle standing on the face, or within `clearance` of the face's edge.
// Each cell also knows how high the blocks rise over it (grown by a shell's radius), for the
// shells that must pass above. Plain value type; rebuilt whenever what stands on the face may
// have moved (a layer turn). Building costs one pass over the cells plus the cells each block
// covers.
class FaceGrid {
public:
    static constexpr float CELL = 2.0f; // world units, at most
    static constexpr int MAX_SIDE = 72; // cells a side, at most

    static constexpr float SHELL_MARGIN = 0.5f; // world units a block is grown by for shells

    void build(const World& world, int face, float clearance);

    int cellAt(float u, float v) const; // the cell holding (u, v), clamped to the face
    float cellU(int cell) const {
        return -frame.half + cellSize * (static_cast<float>(cell % side) + 0.5f);
    }
    float cellV(int cell) const {
        return -frame.half + cellSize * (static_cast<float>(cell / side) + 0.5f);
    }
    Vec3f cellPoint(int cell) const { return frame.point(cellU(cell), cellV(cell)); }
    bool open(int cell) const { return cell >= 0 && cell < side * side && !closed[cell]; }
    // Whether every cell the straight line from (u0, v0) to (u1, v1) passes is open (sampled
    // at half a cell).
    bool clearLine(float u0, float v0, float u1, float v1) const;
    // clearLine for the band `halfWidth` either side of the line as well (three lines).
    bool clearBand(float u0, float v0, float u1, float v1, float halfWidth) const;
    // The open cell nearest to `cell` within `rings` rings around it (itself first); -1 if none.
    int nearestOpen(int cell, int rings) const;

    // Marks the open cells a tank can drive to from open cell `from` (eight neighbours, as the
    // path search steps); none when `from` is not open. One pass over the cells.
    void markReachable(int from);
    bool reachable(int cell) const { return cell >= 0 && cell < side * side && reach[cell]; }
    // nearestOpen among the cells marked reachable.
    int nearestReachable(int cell, int rings) const;

    FaceFrame frame;
    int side = 0;                      // cells a side
    float cellSize = 0;                // world units
    std::vector<unsigned char> closed; // side * side, row by row (v outer, u inner)
    std::vector<float> blockTop;       // side * side: world units above the face, 0 for none
    std::vector<unsigned char> reach;  // side * side: marked by markReachable

private:
    int nearest(int cell, int rings, const std::vector<unsigned char>& usable) const;
};
