#pragma once

#include <vector>

#include "math/matrix.h"
#include "math/vectors.h"

class Cube;

// What a cube's mesh is built from, as the cube holds it: its cubies and the turn under way.
// A view for the length of one call; owns nothing.
struct CubeShape {
    const std::vector<Cube*>& cubies; // the surface cubies
    int n;                            // cubies per edge
    float cubieSize;                  // edge of one cubie, world units
    bool isRotating;                  // a quarter turn is in progress
    int rotatingLayer;                // 0..3n-1
    int rotationAxis;                 // 0, 1, 2
    int rotationDirection;
    float halfExtent() const { return static_cast<float>(n) * cubieSize * 0.5f; }
};

// The cubies of a Rubik's cube as OpenGL sees them: quads in the cube's own space (world space
// for the world's cube), laid out for vertex arrays so that a whole group goes in one draw, and
// without what can never be seen.
// - A side on the big cube's surface shows whole: sticker and bevels.
// - An inner side (one facing into the big cube) shows only those of its bevels that line the
//   seams of a face: the grooves between two stickers, and the wells where four cubies meet, in
//   the face's outer layer. Its flat middle lies against the next cubie, and the seams of the
//   deeper layers show only straight down a well, a few pixels at most; both are left out.
// - While a layer turns, the inner sides it uncovers show whole, as if on the surface: those of
//   the turning cubies that face along the axis, and those of the two neighbouring layers that
//   face the turning one.
// Groups follow the lighting and the culling: a side is lit by the light of the face it faces
// (a turning side: faced when the turn began), and the seams of a face can be seen only from
// outside that face.
// Owned by its Rubik's cube and rebuilt by update() when a cubie has moved; holds no GL resource,
// so it is made, copied and destroyed without a window. Only bind, draw and unbind call GL.
class CubeMesh {
public:
    struct Vertex {
        float position[3];
        float normal[3]; // unit
        float colour[4]; // RGBA
    };
    // A run of quads in `vertices`, four vertices each.
    struct Range {
        int first = 0; // quads
        int count = 0;
    };
    // Seam groups are numbered by the face whose seams they line; this one is for the seams
    // that open onto the turning layer's gap.
    static constexpr int GAP = 6;

    // Rebuilds the quads if any cubie's matrix, colours or turning flag, or the cube's turn, has
    // changed since the last call (or there was none). Returns whether it rebuilt.
    bool update(const CubeShape& cube);

    // Whether any quad of the range has `eye` (a point in the cube's space) on its front side,
    // within a margin: when none has, OpenGL would cull the whole range.
    bool facesPoint(const Range& range, const Vec3f& eye) const;
    // Whether the seams of `face` (or of the GAP) can be seen from `eye`: only from outside the
    // face, above the bottom of its grooves.
    bool seamsShow(int face, const Vec3f& eye) const;
    // Every quad, in one run.
    Range all() const { return Range{0, static_cast<int>(planes.size())}; }

    // Checks the layout: four vertices a quad, the groups tiling the arrays in their order,
    // unit normals, every corner on its quad's plane. Returns false and says why on failure.
    bool validate() const;

    // GL: points the vertex, normal and colour arrays at the quads.
    void bind() const;
    // GL: draws a range as GL_QUADS; between bind() and unbind().
    void draw(const Range& range) const;
    // GL: switches the arrays off again and leaves the current colour the bevel's dark grey,
    // the last colour a cubie's side sends in immediate mode, so later drawing sees the same.
    static void unbind();

    // Laid out face by face in the order still[f], seams[0..GAP][f], then turning[0..5], so
    // that the groups lit alike are neighbours.
    Range still[6];    // whole sides of cubies at rest, by the face they face
    Range seams[7][6]; // bevels of inner sides at rest: [seams of face, or GAP][face faced]
    Range turning[6];  // what the turning cubies show of the sides that faced each face
    std::vector<Vertex> vertices; // four per quad, counter-clockwise seen from outside
    std::vector<Vec4f> planes;    // one per quad: outward unit normal (x, y, z) and its offset w

private:
    // What the quads were built from, compared at each update.
    struct CubieState {
        Matrix4f matrix;
        int faceColors[6];
        bool rotating;
    };
    enum class Change { NONE, TURNING_CUBIES, ALL };
    Change changeSince(const CubeShape& cube) const;
    void rebuildStill(const CubeShape& cube);
    void rebuildTurning(const CubeShape& cube);
    void remember(const CubeShape& cube);

    std::vector<CubieState> built;
    int builtTurn[4] = {-1, -1, -1, -1}; // isRotating, axis, layer, direction
    float seamTop = 0;                   // halfExtent - bevel: the grooves' bottom, cube space
    int turningStart = 0;                // first quad of the turning groups
};
