#pragma once

#include <string>
#include <vector>

#include "math/vectors.h"

class World;

// The levels that ship in data/levels/, built as the level editor would build them: blocks on
// the faces of a cube of cubie edge 28, written by the game's own level writer. Every design
// keeps the centre of each face free (the tanks start there) and puts each block within one
// cubie's square, so a layer turn carries whole blocks.

struct LevelDesign {
    const char* name;   // the file name, as players see it in the list
    const char* intent; // what the level is for, one line
    World* (*build)();  // a new world, owned by the caller
};

// Every shipped level, in the order of the list they appear in.
const std::vector<LevelDesign>& levelDesigns();

// Writes every design into `directory` (which must exist) under its name. False, with `error`
// saying which file, when one cannot be written.
bool writeLevelDesigns(const std::string& directory, std::string& error);

// A block on `face` whose base centre is at (u, v) in the face's own right and forward
// coordinates (world units from the face centre), sized along right, forward and up.
void placeBlock(World& world, int face, float u, float v, float width, float depth, float height,
                const Vec4f& colour);
// The same block on all six faces, at the same place in each face's own coordinates.
void placeOnEveryFace(World& world, float u, float v, float width, float depth, float height,
                      const Vec4f& colour);
