#pragma once

// Levels of as many blocks as a level holds, made the way players make them and written by the
// game's own level writer: for tests and benchmarks that play on them. They write the text
// into scratch folders, never into data/.

#include <cstdlib>
#include <sstream>
#include <string>

#include "math/faces.h"
#include "world/box.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace biglevels {

// The editor's cubie edge.
constexpr int CUBIE = 28;

// One block on face +Z copied to the five other faces again and again, as the level editor's
// "copy to other faces" copies the selected block (grey, its size, the same spot of each face):
// stacks of identical blocks at six spots of a 3x3x3 cube.
inline std::string stackedLevel(int blocks = MAX_LEVEL_BLOCKS) {
    World world(3, CUBIE);
    Vec3f at(-20, 18, world.halfExtent());
    faceOrientationMatrix(4).transformPoint(at);
    auto* original = new Box(at, &world, 6, 4, 5);
    world.addObject(original);
    const Vec3f local = toFaceLocal(original->position, original->face);
    // every face but the original's gains one block a round, until there are `blocks`
    for (int face = 0; static_cast<int>(world.boxes.size()) < blocks; face = (face + 1) % 6) {
        if (face == original->face)
            continue;
        Vec3f copy = local;
        faceOrientationMatrix(face).transformPoint(copy);
        world.addObject(new Box(copy, &world, original->width, original->depth, original->height));
    }
    std::ostringstream text;
    writeLevel(world, text);
    return text.str();
}

// Distinct blocks, 2.5 units square and 1 to 4 high, on a 5-unit grid over the faces of a
// 5x5x5 cube, none touching another, the middle of every face left free for its tank; the
// faces fill up in turn.
inline std::string spreadLevel(int blocks = MAX_LEVEL_BLOCKS) {
    World world(5, CUBIE);
    const int side = 27;                  // grid points along a face
    const int perFace = (blocks + 5) / 6; // at most 704 fit round the free middle
    for (int face = 0; face < 6; ++face) {
        int placed = 0;
        for (int i = 0; i < side && placed < perFace; ++i)
            for (int j = 0; j < side && placed < perFace; ++j) {
                if (static_cast<int>(world.boxes.size()) >= blocks)
                    break;
                if (std::abs(i - side / 2) < 3 && std::abs(j - side / 2) < 3)
                    continue;
                Vec3f at(-65.0f + 5.0f * static_cast<float>(i),
                         -65.0f + 5.0f * static_cast<float>(j), world.halfExtent());
                faceOrientationMatrix(face).transformPoint(at);
                auto* box = new Box(at, &world, 2.5f, 2.5f, 1.0f + static_cast<float>((i + j) % 4));
                box->colour = Vec4f(0.3f + 0.1f * static_cast<float>(face), 0.5f,
                                    0.2f + 0.02f * static_cast<float>(i), 1);
                world.addObject(box);
                ++placed;
            }
    }
    std::ostringstream text;
    writeLevel(world, text);
    return text.str();
}

} // namespace biglevels
