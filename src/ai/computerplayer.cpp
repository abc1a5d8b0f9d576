#include "ai/computerplayer.h"

#include <cmath>

#include "ai/shotforecast.h"
#include "entities/explosion.h"
#include "entities/item.h"
#include "entities/itembox.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "match/match.h"
#include "math/constants.h"
#include "world/world.h"

namespace {

// World units kept between the tank's box and a block beyond what the box needs: a tank never
// drives exactly along its way, and a way that only just clears a corner catches its box there.
constexpr float GRID_MARGIN = 0.3f;
constexpr float EDGE_LOOK = 0.5f; // world units beyond its radius it looks ahead for the edge
constexpr float EDGE_KEEP = 0.3f; // world units it keeps from the edge

} // namespace

ComputerPlayer::ComputerPlayer(const Match& match, int seat, Difficulty difficulty)
    : match(match), seat(seat), level(difficulty), skill(computerSkill(difficulty)) {}

std::string ComputerPlayer::name() const {
    return "Computer " + std::to_string(seat + 1);
}

void ComputerPlayer::release() {
    stick = StickPosition();
    fire = false;
    nextItem = false;
    layerButtonDown = -1;
}

void ComputerPlayer::startRound() {
    round = match.round;
    clock = 0;
    currentMode = Mode::IDLE;
    turning = false;
    gridReady = false;
    search.cancel();
    hasGoal = false;
    goalFailed = false;
    target = -1;
    hasFiringPlace = false;
    firingPlaceAt = -100;
    aimingSince = blockedSince = -1;
    restRange = 0;
    holdBannedUntil = -1;
    failedPlaceUntil = -1;
    lastShot = lastTurn = -100;
    // The first turns come after a look round: a match does not start with a cube in motion.
    nextPlan = skill.turnInterval * 0.5f;
    planner.cancel();
    plan = TurnPlan();
    planMade = -100;
    planFace = -1;
    noPlanSince = -1;
    wanderUntil = -1;
    checkpointAt = 0;
    throttleTicks = 0;
    unstuckUntil = -1;
    avoidBoxes.clear();
    hasCollectTarget = false;
    firedLastTick = switchedLastTick = false;
}

void ComputerPlayer::update() {
    bool firedBefore = fire, switchedBefore = nextItem;
    release();
    if (seat < 0 || seat >= static_cast<int>(match.seats.size()))
        return;
    const Tank* me = match.seats[static_cast<size_t>(seat)]->tank;
    const World* world = match.world;
    if (!world || !me || me->world != world || me->health <= 0) {
        currentMode = Mode::IDLE;
        return;
    }
    if (match.round != round)
        startRound();
    firedLastTick = firedBefore;
    switchedLastTick = switchedBefore;
    dt = match.tickLength > 0 ? match.tickLength : static_cast<float>(SECONDS_PER_FRAME);
    clock += dt;
    // While a layer turns nothing moves and no turn can start: hands off until it is over.
    if (world->isRotating) {
        turning = true;
        currentMode = Mode::IDLE;
        return;
    }
    if (turning || !gridReady || grid.frame.face != me->face) {
        turning = false;
        rebuildGrid(*world, *me);
    }
    if (restRange <= 0) {
        ShotForecast rest = forecastShot(*me, ITEM_PROJECTILE, -me->velocity, dt, false);
        Vec3f flat = rest.landing - me->position;
        flat -= me->up * flat.dot(me->up);
        restRange = rest.lands ? flat.length() : 30.0f;
        profile = flightProfile(*me, dt);
    }
    perceive(*world, *me);
    if (me->stunTime > 0) { // it can neither drive, turn nor use an item
        currentMode = Mode::IDLE;
        return;
    }
    chooseMode(*world, *me);
    watchProgress(*me);
}

// A face whose blocks a turn may have moved: the grid is built again and every way on it
// searched again; where it was going stays, unless the turn carried it to another face, where
// every plan starts afresh. (Turns come often with many tanks: a tank that dropped its goal
// at each would never get anywhere.)
void ComputerPlayer::rebuildGrid(const World& world, const Tank& me) {
    bool sameFace = gridReady && grid.frame.face == me.face;
    grid.build(world, me.face, Tank::tankRadius + GRID_MARGIN);
    gridReady = true;
    grid.markReachable(standingCell(me));
    search.cancel();
    hasGoal = false; // the next goTo searches its way again
    if (sameFace)
        return;
    hasFiringPlace = false;
    wanderUntil = -1;
    planner.cancel();
    plan.found = false;
    lastPosition = me.position;
    travelled = 0;
    checkpointAt = clock;
    throttleTicks = 0;
}

// The open cell the tank stands in, or the nearest one (it may stand pressed against a block).
int ComputerPlayer::standingCell(const Tank& me) const {
    const FaceFrame& frame = grid.frame;
    return grid.nearestOpen(grid.cellAt(frame.u(me.position), frame.v(me.position)), 6);
}

bool ComputerPlayer::perceive(const World& world, const Tank& me) {
    enemies.clear();
    enemiesHere.clear();
    for (size_t i = 0; i < world.tanks.size(); ++i) {
        const Tank* tank = world.tanks[i];
        if (tank == &me || tank->health <= 0)
            continue;
        Enemy enemy{static_cast<int>(i), tank->position, tank->velocity, tank->face,
                    tank->invulnerableTime};
        enemies.push_back(enemy);
        if (enemy.face == me.face)
            enemiesHere.push_back(enemy);
    }
    boxesHere.clear();
    allBoxes.clear();
    dangers.clear();
    // A shell's age shows in how much of its rise it has lost: a shell younger than the
    // reaction time has not been seen yet.
    const float rise = Tank::PROJECTILE_SPEED * Tank::LAUNCH_RISE;
    for (const Object* object : world.movables) {
        if (object->type == ITEM_BOX) {
            allBoxes.push_back({object->position, object->face});
            if (object->face == me.face)
                boxesHere.push_back(object->position);
        } else if (object->type == PROJECTILE && object->face == me.face) {
            const auto* shell = static_cast<const Projectile*>(object);
            float age = (rise - shell->velocity.dot(faceNormal(shell->face))) / world.gravity;
            if (age < skill.reactionTime)
                continue;
            ShotForecast landing = forecastLanding(*shell, dt);
            if (landing.lands)
                dangers.push_back({landing.landing, landing.time});
        } else if (object->type == EXPLOSION && object->face == me.face) {
            dangers.push_back({object->position, 0});
        }
    }
    return true;
}

void ComputerPlayer::chooseMode(const World& world, const Tank& me) {
    currentMode = Mode::IDLE;
    rocking = false;
    itemBusy = manageItems(me);
    bool unstuck = clock < unstuckUntil;
    Vec3f away;
    bool dodging = !unstuck && threatened(me, away);
    if (weapons(me) > 0 && !enemiesHere.empty()) {
        fight(me);
    } else {
        target = -1;
        aimingSince = -1;
        if (me.itemCount < Tank::SLOTS && !boxesHere.empty())
            collect(me);
        if (currentMode != Mode::COLLECT)
            roam(world, me);
    }
    // Getting out of a blast or out of a corner comes before any plan's way, but not before
    // its shot.
    if (unstuck) {
        unstick(me);
        currentMode = Mode::UNSTUCK;
    } else if (dodging) {
        evade(me, away);
        currentMode = Mode::DODGE;
    }
    keepOnFace(me);
}

// A tank driven against its face's edge stands there, its timers held, until it is driven
// back: no plan of its own drives it there. A push that would take it within its own radius of
// the edge is let go (and an unstuck move turned round).
void ComputerPlayer::keepOnFace(const Tank& me) {
    float deadZone = match.seats[static_cast<size_t>(seat)]->deadZone;
    if (std::fabs(stick.y) < deadZone)
        return;
    float way = stick.y < 0 ? 1.0f : -1.0f; // forward or back along its heading
    Vec3f next = me.position + me.forward * (way * (Tank::tankRadius + EDGE_LOOK));
    float edge = grid.frame.half - EDGE_KEEP;
    if (std::fabs(grid.frame.u(next)) < edge && std::fabs(grid.frame.v(next)) < edge)
        return;
    if (currentMode == Mode::UNSTUCK)
        unstuckThrottle = -unstuckThrottle;
    stick.y = 0;
}

int ComputerPlayer::itemsOf(const Tank& me, int kind) const {
    int count = 0;
    for (const Item* item : me.items)
        count += item && item->kind == kind ? 1 : 0;
    return count;
}

int ComputerPlayer::weapons(const Tank& me) const {
    return itemsOf(me, ITEM_PROJECTILE) + itemsOf(me, ITEM_TRIPLE_PROJECTILE) +
           itemsOf(me, ITEM_NUKE);
}

// Selects the item of `kind` one pull of the switch trigger a tick (the trigger let go in
// between), then uses it with one press of the fire trigger.
void ComputerPlayer::useItem(const Tank& me, int kind) {
    const Item* selected = me.items[me.currentItem];
    if (!selected || selected->kind != kind) {
        nextItem = !switchedLastTick && itemsOf(me, kind) > 0;
        return;
    }
    fire = !firedLastTick && !switchedLastTick;
}

// Health when low; a slot made free for the boxes on its face when all three hold no shell.
bool ComputerPlayer::manageItems(const Tank& me) {
    if (me.health <= skill.healAt && itemsOf(me, ITEM_HEALTH) > 0) {
        useItem(me, ITEM_HEALTH);
        return true;
    }
    // Three items and no shell among them: nothing to fire, and no box could be taken.
    bool full = me.itemCount >= Tank::SLOTS;
    bool wantsRoom = weapons(me) == 0 ||
                     (weapons(me) < Tank::SLOTS && !boxesHere.empty() && enemiesHere.empty());
    if (!full || !wantsRoom)
        return false;
    if (itemsOf(me, ITEM_HEALTH) > 0) {
        useItem(me, ITEM_HEALTH);
        return true;
    }
    if (itemsOf(me, ITEM_RANDOM_ROTATION) > 0 && enemiesHere.empty() && mayTurn(*match.world)) {
        useItem(me, ITEM_RANDOM_ROTATION);
        if (fire)
            lastTurn = clock;
        return true;
    }
    return false;
}
