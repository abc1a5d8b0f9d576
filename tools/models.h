#pragma once

#include "mesh.h"

// The game's meshes, built in the frames the game expects them in (up along +Z).

// Where the game puts things relative to the tank's position (the centre of its base, on the
// face) once the model is fitted and scaled to 2 units wide.
namespace tankframe {
constexpr double MODEL_UNIT = 0.0063613234; // the tank's original model units, scaled
constexpr double MUZZLE_FORWARD = 179.1 * MODEL_UNIT;
constexpr double MUZZLE_UP = 234.2 * MODEL_UNIT;
constexpr double TREAD_SPACING = 1.4465649; // between tread centres
constexpr double TREAD_WIDTH = 0.5063613;
constexpr double LAUNCH_RISE = 0.60734695; // the barrel points along the shells' launch
constexpr double HALF_WIDTH = 1.0;
} // namespace tankframe

// A tank 2 units wide (X), centred on the origin in X and Y, standing on z = 0, forward +Y.
Mesh buildTankModel();

// A rocky outcrop centred on the origin in X and Y, standing on z = 0, about 1 unit wide.
Mesh buildObstacleModel();

// The word QUORL as solid letters in the XY plane, their fronts facing +Z.
Mesh buildTitleModel();
