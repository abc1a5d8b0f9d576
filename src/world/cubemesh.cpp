#include "world/cubemesh.h"

#include <algorithm>
#include <cmath>

#include "math/constants.h"
#include "math/faces.h"
#include "world/cube.h"
#include "world/cubegeometry.h"

namespace {

// One quad of a cubie's side, carried into the cube's space.
struct CubieQuad {
    CubeMesh::Vertex corners[4]; // counter-clockwise seen from outside
    Vec4f plane;                 // outward unit normal and offset, from the corners
    int edgeFace; // bevel: the face that the side across its edge faces (turning: faced); else -1
};

// One side of a cubie in cubie space, turned onto the side of its sticker colour: the sticker
// quad, then the four bevels, each with its lighting normal and the side across its edge.
struct SideTemplate {
    Vec3f corners[5][4];
    Vec3f normals[5];
    int edgeColours[5]; // the colour of the side across each bevel's edge; -1 for the sticker
};

// Cubie-space side of each sticker colour, as a face number: white +Y, green -X, red +Z,
// blue +X, orange -Z, yellow -Y.
constexpr int COLOUR_SIDES[6] = {2, 1, 4, 0, 5, 3};

// The upper 3x3 of m applied to a direction.
Vec3f turnDirection(const Matrix4f& m, const Vec3f& v) {
    Vec3f out;
    for (int row = 0; row < 3; ++row)
        out[row] = m.at(0, row) * v.x() + m.at(1, row) * v.y() + m.at(2, row) * v.z();
    return out;
}

// The six sides of a cubie of edge `size`. All cubies of a cube share one size, so the last
// size asked for is kept; worked out again only when another cube asks.
const SideTemplate& sideTemplate(float size, float bevel, float inset, int colourIndex) {
    static float cachedSize = -1;
    static SideTemplate sides[6];
    if (size != cachedSize) {
        CubeSideGeometry side = cubeSideGeometry(size * 0.5f, bevel, inset);
        const Vec3f edges[4] = {Vec3f(-1, 0, 0), Vec3f(1, 0, 0), Vec3f(0, -1, 0), Vec3f(0, 1, 0)};
        for (int colour = 0; colour < 6; ++colour) {
            const StickerRotation& rotation = stickerRotation(colour);
            Matrix4f turn =
                Matrix4f::rotation(static_cast<float>(rotation.angle * PI / 180), rotation.axis);
            SideTemplate& t = sides[colour];
            for (int q = 0; q < 5; ++q) {
                const Vec3f* from = q == 0 ? side.sticker : side.bevels[q - 1];
                for (int c = 0; c < 4; ++c)
                    t.corners[q][c] = turnDirection(turn, from[c]);
                t.normals[q] =
                    turnDirection(turn, q == 0 ? Vec3f(0, 0, 1) : side.bevelNormals[q - 1]);
                int across = q == 0 ? -1 : faceOf(turnDirection(turn, edges[q - 1]));
                t.edgeColours[q] = -1;
                for (int c = 0; c < 6 && across >= 0; ++c)
                    t.edgeColours[q] = COLOUR_SIDES[c] == across ? c : t.edgeColours[q];
            }
        }
        cachedSize = size;
    }
    return sides[colourIndex];
}

void placeQuad(const Vec3f corners[4], const Vec3f& normal, const Vec4f& colour,
               const Matrix4f& toCube, CubieQuad& quad) {
    Vec3f placed[4];
    Vec3f n = turnDirection(toCube, normal);
    for (int c = 0; c < 4; ++c) {
        placed[c] = corners[c];
        toCube.transformPoint(placed[c]);
        CubeMesh::Vertex& v = quad.corners[c];
        for (int i = 0; i < 3; ++i) {
            v.position[i] = placed[c][i];
            v.normal[i] = n[i];
        }
        for (int i = 0; i < 4; ++i)
            v.colour[i] = colour[i];
    }
    // The plane OpenGL's culling sees: from the corners, not from the lighting normal.
    Vec3f facing = cross(placed[2] - placed[0], placed[3] - placed[1]);
    facing.normalize();
    Vec3f middle = (placed[0] + placed[1] + placed[2] + placed[3]) * 0.25f;
    quad.plane = Vec4f(facing.x(), facing.y(), facing.z(), facing.dot(middle));
}

// Which layer along `axis` a cubie at rest is in, from its centre.
int layerOf(const CubeShape& cube, const Cube& cubie, int axis) {
    float centre = cubie.matrix.at(3, axis);
    return static_cast<int>(std::floor((centre + cube.halfExtent()) / cube.cubieSize));
}

// Whether the side of `cubie` that faces (or, turning, faced) world face `face` shows whole:
// it is on the surface, or the turn has uncovered it.
bool showsWhole(const CubeShape& cube, const Cube& cubie, int face) {
    if (cubie.outer[cubie.faceColors[face]])
        return true;
    if (!cube.isRotating || faceAxis(face) != cube.rotationAxis)
        return false;
    if (cubie.rotating)
        return true;
    // The neighbouring layers' sides that the turning layer no longer covers everywhere.
    int turningIndex = cube.rotatingLayer % cube.n;
    int neighbour = faceSign(face) > 0 ? turningIndex - 1 : turningIndex + 1;
    return layerOf(cube, cubie, cube.rotationAxis) == neighbour;
}

// The seams a bevel of an inner side lines, as a bit set over 0..5 and GAP. The bevel's edge
// points to `edgeFace`: where the side there shows whole, the bevel is a wall of the groove
// between that side and the next cubie's. The edge runs along the third axis: where the side
// at either end of that axis shows whole, the bevel is a wall of a well between four cubies,
// or closes the end of a groove at the big cube's edge; both show from that side.
unsigned seamsLined(const CubeShape& cube, const Cube& cubie, int sideFace, int edgeFace) {
    auto opening = [&](int face) {
        if (!showsWhole(cube, cubie, face))
            return 0u;
        bool surface = cubie.outer[cubie.faceColors[face]];
        return 1u << (surface ? face : CubeMesh::GAP);
    };
    int third = 3 - faceAxis(sideFace) - faceAxis(edgeFace);
    return opening(edgeFace) | opening(faceIndex(third, true)) | opening(faceIndex(third, false));
}

struct Group {
    std::vector<CubeMesh::Vertex> vertices;
    std::vector<Vec4f> planes;

    void add(const CubieQuad& quad) {
        vertices.insert(vertices.end(), quad.corners, quad.corners + 4);
        planes.push_back(quad.plane);
    }
};

// The five quads of the side of `cubie` with sticker colour `colourIndex`: the sticker (in its
// colour, or dark on an inner side), then its four bevels.
void placeCubieSide(const Cube& cubie, int colourIndex, CubieQuad quads[5]) {
    const SideTemplate& side = sideTemplate(cubie.size, cubie.bevel, cubie.inset, colourIndex);
    const Vec4f& sticker = cubie.outer[colourIndex] ? FACE_COLORS[colourIndex] : BEVEL_COLOUR;
    for (int q = 0; q < 5; ++q) {
        placeQuad(side.corners[q], side.normals[q], q == 0 ? sticker : BEVEL_COLOUR, cubie.matrix,
                  quads[q]);
        // The face the side across the edge faces, or faced when the turn began.
        quads[q].edgeFace = -1;
        for (int f = 0; f < 6 && q > 0; ++f)
            quads[q].edgeFace = cubie.faceColors[f] == side.edgeColours[q] ? f : quads[q].edgeFace;
    }
}

} // namespace

bool CubeMesh::update(const CubeShape& cube) {
    Change change = changeSince(cube);
    if (change == Change::NONE)
        return false;
    if (change == Change::ALL)
        rebuildStill(cube);
    rebuildTurning(cube);
    remember(cube);
    return true;
}

// Between the steps of a turn only the turning cubies move, and the rest stays as laid out.
CubeMesh::Change CubeMesh::changeSince(const CubeShape& cube) const {
    int turn[4] = {cube.isRotating ? 1 : 0, cube.rotationAxis, cube.rotatingLayer,
                   cube.rotationDirection};
    if (!std::equal(turn, turn + 4, builtTurn) || built.size() != cube.cubies.size())
        return Change::ALL;
    Change change = Change::NONE;
    for (size_t i = 0; i < built.size(); ++i) {
        const Cube& cubie = *cube.cubies[i];
        const CubieState& state = built[i];
        if (state.rotating == cubie.rotating &&
            std::equal(cubie.faceColors, cubie.faceColors + 6, state.faceColors) &&
            std::equal(cubie.matrix.data(), cubie.matrix.data() + 16, state.matrix.data()))
            continue;
        if (state.rotating != cubie.rotating || !cubie.rotating)
            return Change::ALL;
        change = Change::TURNING_CUBIES;
    }
    return change;
}

void CubeMesh::remember(const CubeShape& cube) {
    built.clear();
    for (const Cube* cubie : cube.cubies) {
        CubieState state{cubie->matrix, {}, cubie->rotating};
        std::copy(cubie->faceColors, cubie->faceColors + 6, state.faceColors);
        built.push_back(state);
    }
    builtTurn[0] = cube.isRotating ? 1 : 0;
    builtTurn[1] = cube.rotationAxis;
    builtTurn[2] = cube.rotatingLayer;
    builtTurn[3] = cube.rotationDirection;
}

void CubeMesh::rebuildStill(const CubeShape& cube) {
    // Per face faced: [0] the whole sides, [1 + s] the seams of s (0..5, GAP).
    Group groups[6][8];
    for (const Cube* cubie : cube.cubies) {
        if (cubie->rotating)
            continue;
        for (int face = 0; face < 6; ++face) {
            CubieQuad quads[5];
            placeCubieSide(*cubie, cubie->faceColors[face], quads);
            if (showsWhole(cube, *cubie, face)) {
                for (const CubieQuad& quad : quads)
                    groups[face][0].add(quad);
                continue;
            }
            // A bevel lining two faces' seams goes into both groups; drawn twice, the second
            // copy fails the depth test against the first and changes nothing.
            for (int q = 1; q < 5; ++q) {
                unsigned lined = seamsLined(cube, *cubie, face, quads[q].edgeFace);
                for (int seam = 0; seam <= GAP; ++seam)
                    if (lined & (1u << seam))
                        groups[face][1 + seam].add(quads[q]);
            }
        }
    }
    seamTop = cube.halfExtent() - cube.cubies.front()->bevel;
    vertices.clear();
    planes.clear();
    auto lay = [this](const Group& group, Range& range) {
        range.first = static_cast<int>(planes.size());
        range.count = static_cast<int>(group.planes.size());
        vertices.insert(vertices.end(), group.vertices.begin(), group.vertices.end());
        planes.insert(planes.end(), group.planes.begin(), group.planes.end());
    };
    for (int face = 0; face < 6; ++face) {
        lay(groups[face][0], still[face]);
        for (int seam = 0; seam <= GAP; ++seam)
            lay(groups[face][1 + seam], seams[seam][face]);
    }
    turningStart = static_cast<int>(planes.size());
}

// The turning cubies' groups follow the still ones, so a step of a turn only replaces the end
// of the arrays.
void CubeMesh::rebuildTurning(const CubeShape& cube) {
    vertices.resize(static_cast<size_t>(turningStart) * 4);
    planes.resize(turningStart);
    for (int face = 0; face < 6; ++face) {
        turning[face].first = static_cast<int>(planes.size());
        for (const Cube* cubie : cube.cubies) {
            if (!cubie->rotating)
                continue;
            CubieQuad quads[5];
            placeCubieSide(*cubie, cubie->faceColors[face], quads);
            bool whole = showsWhole(cube, *cubie, face);
            for (int q = whole ? 0 : 1; q < 5; ++q) {
                if (!whole && seamsLined(cube, *cubie, face, quads[q].edgeFace) == 0)
                    continue;
                vertices.insert(vertices.end(), quads[q].corners, quads[q].corners + 4);
                planes.push_back(quads[q].plane);
            }
        }
        turning[face].count = static_cast<int>(planes.size()) - turning[face].first;
    }
}

bool CubeMesh::facesPoint(const Range& range, const Vec3f& eye) const {
    for (int q = range.first; q < range.first + range.count; ++q) {
        const Vec4f& p = planes[q];
        float height = p.x() * eye.x() + p.y() * eye.y() + p.z() * eye.z() - p.w();
        // Edge-on counts as facing: rounding must never hide what OpenGL would draw.
        if (height > -1e-3f * (1.0f + std::fabs(p.w())))
            return true;
    }
    return false;
}

bool CubeMesh::seamsShow(int face, const Vec3f& eye) const {
    if (face == GAP)
        return true;
    // Looking along a groove from just below the face still sees its walls, so the eye only
    // has to be above the grooves' bottom.
    return faceNormal(face).dot(eye) > seamTop - 1e-3f * (1.0f + std::fabs(seamTop));
}
