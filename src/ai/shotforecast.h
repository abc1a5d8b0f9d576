#pragma once

// AI floor: computer players, input sources that read the world as a player sees it. May use
// match, entities, input and the layers below; no window, no drawing, no files.

#include <vector>

#include "math/vectors.h"

class Projectile;
class Tank;
class World;

// Where a shell comes down, found by flying a copy of it with the game's own projectile code
// (Projectile::fly), tick by tick, in a scratch the world never lists.
struct ShotForecast {
    bool lands = false;   // false when it flies on past the time allowed
    Vec3f landing;        // where it reaches its face, world units
    float time = 0;       // seconds from now
    bool blocked = false; // a block or obstacle stands in its way (checked on request)
};

// The longest flight followed: a shell fired on a face lands well within a second.
constexpr float FORECAST_SECONDS = 3.0f;

// The shell of `kind` that `tank` would fire now (its heading, its speed, `sideways` added as
// a triple's outer shells have), flown in ticks of `tick` seconds. With `checkPath` its way is
// also tested against the blocks and obstacles of the world it would meet. Costs about 1 us, 2
// with the path.
ShotForecast forecastShot(const Tank& tank, int kind, const Vec3f& sideways, float tick,
                          bool checkPath);

// The height of a shell fired from `tank` standing still, over the ground it flies across:
// entry k is the height (world units above the face) k world units out from the tank, up to
// where it lands. The same for every tank and face of a world: gravity and the launch are.
std::vector<float> flightProfile(const Tank& tank, float tick);

// Where a shell already in the air comes down, from where it is now.
ShotForecast forecastLanding(const Projectile& shell, float tick);
