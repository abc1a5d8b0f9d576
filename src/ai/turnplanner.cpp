#include "ai/turnplanner.h"

#include <algorithm>
#include <cmath>

#include "ai/facegrid.h"
#include "math/faces.h"
#include "world/world.h"

namespace {

constexpr float WAY_COST = 0.06f; // worth lost per world unit driven to the place
constexpr float TURN_COST = 1.5f; // worth lost per turn: time, and a cube turned under others

} // namespace

Standing afterTurn(const World& world, int layer, int direction, const Matrix4f& quarter,
                   const Standing& thing) {
    if (!world.layerHolds(layer, thing.position))
        return thing;
    Standing turned = thing;
    quarter.transformPoint(turned.position);
    turned.face = rotateFace(layer / world.n, direction, thing.face);
    return turned;
}

void TurnPlanner::begin(const World& world, const FaceGrid& grid, const Standing& me,
                        const std::vector<Standing>& things, const std::vector<float>& thingWorth,
                        int planDepth, float reach) {
    tank = me;
    wanted = things;
    worth = thingWorth;
    depth = planDepth < 2 ? 1 : 2;
    best = TurnPlan();
    stayWorth = worthOn(tank.face, wanted);
    for (int axis = 0; axis < 3; ++axis)
        for (int direction = 0; direction < 2; ++direction)
            quarters[axis][direction] = world.quarterTurn(axis, direction);
    // Where it stands, then one place on each other cubie of its face: the open cell nearest
    // the cubie's centre, if it lies on the same cubie. Only the layers a place is in matter.
    placesToTry.clear();
    next = 0;
    placesToTry.push_back(tank.position);
    int n = world.n;
    float size = world.cubieSize;
    Layer::Cell own = world.cellOf(tank.position);
    int rings = static_cast<int>(size / 2 / grid.cellSize);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            float u = -grid.frame.half + size * (static_cast<float>(i) + 0.5f);
            float v = -grid.frame.half + size * (static_cast<float>(j) + 0.5f);
            int cell = grid.nearestReachable(grid.cellAt(u, v), rings);
            if (cell < 0)
                continue;
            Vec3f place = grid.cellPoint(cell);
            Layer::Cell at = world.cellOf(place);
            Layer::Cell centre = world.cellOf(grid.frame.point(u, v));
            if (at.x != centre.x || at.y != centre.y || at.z != centre.z)
                continue; // the nearest open cell lies on another cubie
            if (at.x == own.x && at.y == own.y && at.z == own.z)
                continue; // where it stands already
            if ((place - tank.position).length() <= reach)
                placesToTry.push_back(place);
        }
}

bool TurnPlanner::step(const World& world, int places) {
    while (places-- > 0 && running())
        tryPlace(world, placesToTry[next++]);
    return !running();
}

float TurnPlanner::worthOn(int face, const std::vector<Standing>& things) const {
    float sum = 0;
    for (size_t i = 0; i < things.size(); ++i)
        if (things[i].face == face)
            sum += worth[i];
    return sum;
}

void TurnPlanner::tryPlace(const World& world, const Vec3f& place) {
    float way = (place - tank.position).length();
    Standing from{place, tank.face};
    // Invariant: best holds the best plan of the places and turns looked at so far.
    for (int axis = 0; axis < 3; ++axis)
        for (int direction = 0; direction < 2; ++direction) {
            int layer = world.layerAt(axis, place[axis]);
            const Matrix4f& quarter = quarters[axis][direction];
            Standing me = afterTurn(world, layer, direction, quarter, from);
            carried.resize(wanted.size());
            for (size_t k = 0; k < wanted.size(); ++k)
                carried[k] = afterTurn(world, layer, direction, quarter, wanted[k]);
            auto consider = [&](float gained, int turns) {
                float score = gained - stayWorth - way * WAY_COST - TURN_COST * turns;
                if (gained > stayWorth && (!best.found || score > best.score)) {
                    best.found = true;
                    best.from = place;
                    best.first = {axis, direction};
                    best.turns = turns;
                    best.score = score;
                }
            };
            consider(worthOn(me.face, carried), 1);
            if (depth < 2)
                continue;
            for (int axis2 = 0; axis2 < 3; ++axis2)
                for (int direction2 = 0; direction2 < 2; ++direction2) {
                    int layer2 = world.layerAt(axis2, me.position[axis2]);
                    const Matrix4f& quarter2 = quarters[axis2][direction2];
                    Standing me2 = afterTurn(world, layer2, direction2, quarter2, me);
                    twice.resize(carried.size());
                    for (size_t k = 0; k < carried.size(); ++k)
                        twice[k] = afterTurn(world, layer2, direction2, quarter2, carried[k]);
                    consider(worthOn(me2.face, twice), 2);
                }
        }
}
