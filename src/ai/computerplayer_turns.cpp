#include <algorithm>
#include <cmath>

#include "ai/computerplayer.h"
#include "entities/item.h"
#include "entities/tank.h"
#include "match/seat.h"
#include "world/world.h"

namespace {

constexpr float ENEMY_WORTH = 10.0f;    // an enemy on its face, with a shell to fire
constexpr float UNARMED_ENEMY = -2.0f;  // an enemy on its face, without one
constexpr float NEEDED_BOX = 4.0f;      // an item box, with no shell
constexpr float SPARE_BOX = 1.0f;       // an item box, with a slot free
constexpr float PLAN_AGAIN = 1.0f;      // seconds between two plans
constexpr float PLAN_KEPT = 3.0f;       // seconds a plan holds before it is made again
constexpr float RANDOM_AFTER = 2.0f;    // seconds without a plan before a random rotation
constexpr int PLACES_A_TICK = 2;        // places the planner weighs a tick
constexpr float GIVE_UP_BOX = 20.0f;    // seconds a box it could not reach is left alone
constexpr float KEEP_BOX = 0.6f;        // the box it heads for counts as this much nearer
constexpr float PATIENCE = 5.0f;        // seconds it tries for a place, besides the way there
constexpr float PATIENT_SPEED = 8.0f;   // world units a second it allows for the way
constexpr float ROCK = 1.2f;            // seconds each way it rocks while it waits to turn
constexpr float SHELL_IN_FLIGHT = 1.2f; // seconds a shell of its own may still fly

bool sameCell(const Layer::Cell& a, const Layer::Cell& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

} // namespace

void ComputerPlayer::giveUpBox(const Vec3f& at) {
    avoidBoxes.push_back({at, clock + GIVE_UP_BOX});
}

// The nearest item box on its face that it has not failed to reach lately.
void ComputerPlayer::collect(const Tank& me) {
    const Vec3f* nearest = nullptr;
    float best = 0;
    for (size_t i = avoidBoxes.size(); i-- > 0;)
        if (avoidBoxes[i].until < clock)
            avoidBoxes.erase(avoidBoxes.begin() + static_cast<long>(i));
    // The box it heads for stays its goal until another is much nearer: two boxes about as
    // near would otherwise take turns, each new goal starting its search afresh.
    const FaceFrame& frame = grid.frame;
    for (const Vec3f& box : boxesHere) {
        if (grid.nearestReachable(grid.cellAt(frame.u(box), frame.v(box)), 2) < 0)
            continue; // behind blocks it cannot pass
        bool avoided = false;
        for (const GivenUp& failed : avoidBoxes)
            avoided = avoided || (failed.at - box).length() < 1.0f;
        float d = (box - me.position).length();
        if (hasCollectTarget && (collectTarget - box).length() < 1.0f)
            d *= KEEP_BOX;
        if (!avoided && (!nearest || d < best)) {
            nearest = &box;
            best = d;
        }
    }
    hasCollectTarget = nearest != nullptr;
    if (!nearest)
        return;
    collectTarget = *nearest;
    currentMode = Mode::COLLECT;
    goTo(me, *nearest, 0);
    // A box it circles without touching (pressed into a corner of blocks) is left, as is one
    // it has no way to.
    bool tooLong = clock - goalSince > PATIENCE + goalWay / PATIENT_SPEED;
    if (goalFailed || tooLong)
        giveUpBox(*nearest);
}

// Plans are made once its last turn is far enough behind it, a few places a tick. With a shell
// to fire it looks for the enemies (and boxes, if it has room); without one, for boxes, and it
// keeps away from enemies.
void ComputerPlayer::planTurns(const World& world, const Tank& me) {
    if (planner.running()) {
        if (planner.step(world, PLACES_A_TICK)) {
            plan = planner.best;
            planMade = clock;
            planFace = me.face;
            noPlanSince = plan.found ? -1 : (noPlanSince < 0 ? clock : noPlanSince);
        }
        return;
    }
    bool fresh = plan.found && planFace == me.face && clock - planMade < PLAN_KEPT;
    if (fresh || clock < nextPlan || clock - lastTurn < skill.turnInterval)
        return;
    bool armed = weapons(me) > 0;
    std::vector<Standing> wanted;
    std::vector<float> worth;
    for (const Enemy& enemy : enemies) {
        wanted.push_back({enemy.position, enemy.face});
        worth.push_back(armed ? ENEMY_WORTH : UNARMED_ENEMY);
    }
    float boxWorth = me.itemCount >= Tank::SLOTS ? 0.0f : armed ? SPARE_BOX : NEEDED_BOX;
    if (boxWorth > 0)
        for (const Standing& box : allBoxes) {
            wanted.push_back(box);
            worth.push_back(boxWorth);
        }
    planner.begin(world, grid, {me.position, me.face}, wanted, worth, skill.turnDepth,
                  skill.planReach);
    nextPlan = clock + PLAN_AGAIN;
}

// A turn of its own waits for its last one to be far enough behind it, for the random turns
// queued to be over, and for its last shell to land: a turn would carry the shell off with it.
bool ComputerPlayer::mayTurn(const World& world) const {
    return clock - lastTurn >= skill.turnInterval && clock - lastShot >= SHELL_IN_FLIGHT &&
           world.pendingRandomTurns == 0;
}

// At the place of its plan (on the cubie whose layers the turn needs) it stops and presses the
// button that asks its tank for the planned turn, once its last turn is far enough behind it.
// False while it is not there yet.
bool ComputerPlayer::pressTurn(const World& world, const Tank& me) {
    if (!sameCell(world.cellOf(me.position), world.cellOf(plan.from)))
        return false;
    stick.y = 0;
    if (!mayTurn(world)) {
        // Waiting for the cube: it rocks back and forth on the spot rather than stand still
        // as a target (a steady pace, it stays on its cubie).
        bool ahead = static_cast<int>(clock / ROCK) % 2 == 0;
        stick.y = ahead ? -1.0f : 1.0f;
        rocking = true;
        return true;
    }
    for (int choice = 0; choice < 3; ++choice)
        for (bool direction : {false, true}) {
            Tank::LayerTurn turn = me.layerTurn(choice, direction);
            if (turn.axis == plan.first.axis && turn.direction == plan.first.direction) {
                layerButtonDown = layerButton(choice, direction);
                lastTurn = clock;
                plan.found = false;
                return true;
            }
        }
    // Heading half-way between two axes, where both of its own axes pick the same one: a
    // little turn settles it.
    stick.x = 0.6f;
    return true;
}

void ComputerPlayer::roam(const World& world, const Tank& me) {
    currentMode = Mode::ROAM;
    planTurns(world, me);
    if (plan.found && planFace == me.face) {
        if (pressTurn(world, me))
            return;
        goTo(me, plan.from, 0.5f);
        if (!goalFailed && clock - goalSince < PATIENCE + goalWay / PATIENT_SPEED)
            return;
        plan.found = false; // its place cannot be reached: plan again
        hasGoal = false;
    }
    // Nothing a turn of its own would bring, or random rotations taking the room of shells: one
    // of them stirs the cube.
    int rotations = itemsOf(me, ITEM_RANDOM_ROTATION);
    bool idle = noPlanSince >= 0 && clock - noPlanSince > RANDOM_AFTER;
    bool hoarding = rotations >= 2 || me.itemCount >= Tank::SLOTS;
    bool stir =
        (idle || hoarding) && rotations > 0 && enemiesHere.empty() && mayTurn(world) && !itemBusy;
    if (stir) {
        useItem(me, ITEM_RANDOM_ROTATION);
        if (fire) {
            lastTurn = clock;
            noPlanSince = -1;
        }
    }
    wander(me);
}
