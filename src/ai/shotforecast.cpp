#include "ai/shotforecast.h"

#include <algorithm>
#include <cmath>

#include "collision/raybox.h"
#include "entities/item.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "math/constants.h"
#include "world/world.h"

namespace {

constexpr int MAX_POINTS = 400; // ticks of FORECAST_SECONDS at the shortest tick allowed

float usableTick(float tick) {
    // A zero or absurd tick would never end or skip the whole flight.
    return tick >= 1.0f / 120 && tick <= 0.1f ? tick : static_cast<float>(SECONDS_PER_FRAME);
}

// Whether the path through `points` (one a tick) meets a block or obstacle, grown by the
// shell's radius as the collision response grows it.
bool pathBlocked(const World& world, const Vec3f* points, int count, float radius) {
    float lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = hi[a] = points[0][a];
        for (int i = 1; i < count; ++i) {
            lo[a] = std::min(lo[a], points[i][a]);
            hi[a] = std::max(hi[a], points[i][a]);
        }
        lo[a] -= radius;
        hi[a] += radius;
    }
    for (const Object* object : world.allObjects) {
        if (object->type != BOX && object->type != OBSTACLE)
            continue;
        const float* box = object->boundingBox.getIntervals();
        bool apart = false;
        for (int a = 0; a < 3; ++a)
            apart = apart || box[2 * a] > hi[a] || box[2 * a + 1] < lo[a];
        if (apart)
            continue;
        Vec3f centre((box[0] + box[1]) / 2, (box[2] + box[3]) / 2, (box[4] + box[5]) / 2);
        Vec3f half((box[1] - box[0]) / 2 + radius, (box[3] - box[2]) / 2 + radius,
                   (box[5] - box[4]) / 2 + radius);
        for (int i = 1; i < count; ++i) {
            float t = 0;
            if (rayHitsBox(points[i - 1], centre - points[i - 1], points[i] - points[i - 1], half,
                           t) &&
                t <= 1.0f)
                return true;
        }
    }
    return false;
}

ShotForecast fly(Projectile& scratch, float tick, bool checkPath,
                 std::vector<Vec3f>* path = nullptr) {
    tick = usableTick(tick);
    ShotForecast forecast;
    Vec3f points[MAX_POINTS];
    int count = 0;
    points[count++] = scratch.position;
    // Invariant: points holds the shell's position at every tick flown so far.
    for (float time = tick; time <= FORECAST_SECONDS && count < MAX_POINTS; time += tick) {
        bool landed = scratch.fly(tick);
        points[count++] = scratch.position;
        if (landed) {
            forecast.lands = true;
            forecast.landing = scratch.position;
            forecast.time = time;
            break;
        }
    }
    if (checkPath)
        forecast.blocked = pathBlocked(*scratch.world, points, count, scratch.radius);
    if (path)
        path->assign(points, points + count);
    return forecast;
}

} // namespace

ShotForecast forecastShot(const Tank& tank, int kind, const Vec3f& sideways, float tick,
                          bool checkPath) {
    Tank::Shot shot = tank.shotNow(sideways);
    Projectile scratch(shot.start, shot.launch, tank.world, kind);
    return fly(scratch, tick, checkPath);
}

std::vector<float> flightProfile(const Tank& tank, float tick) {
    Tank::Shot shot = tank.shotNow(-tank.velocity); // as if it stood still
    Projectile scratch(shot.start, shot.launch, tank.world, ITEM_PROJECTILE);
    std::vector<Vec3f> path;
    fly(scratch, tick, false, &path);
    const Vec3f& up = tank.up;
    float ground = tank.position.dot(up);
    auto out = [&](const Vec3f& p) {
        Vec3f flat = p - tank.position;
        return (flat - up * flat.dot(up)).length();
    };
    std::vector<float> profile;
    // Invariant: profile holds the heights at 0, 1, ... units out, read off the path between
    // the points that straddle each distance.
    for (size_t i = 1; i < path.size(); ++i) {
        float d0 = out(path[i - 1]), d1 = out(path[i]);
        while (static_cast<float>(profile.size()) <= d1 && d1 > d0) {
            float t = (static_cast<float>(profile.size()) - d0) / (d1 - d0);
            t = std::fmax(0.0f, std::fmin(1.0f, t));
            Vec3f p = path[i - 1] + (path[i] - path[i - 1]) * t;
            profile.push_back(p.dot(up) - ground);
        }
    }
    return profile;
}

ShotForecast forecastLanding(const Projectile& shell, float tick) {
    Projectile scratch(shell);
    return fly(scratch, tick, false);
}
