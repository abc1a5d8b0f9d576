#include <algorithm>
#include <cmath>

#include "ai/computerplayer.h"
#include "entities/explosion.h"
#include "entities/tank.h"
#include "match/match.h"
#include "math/constants.h"
#include "math/randomsource.h"
#include "world/world.h"

namespace {

constexpr float BLAST_BOX = 4.0f;          // half the size of an explosion's box, world units
constexpr float PURSUIT = 3.5f;            // world units along its path it steers for
constexpr float PURSUIT_PER_SPEED = 0.2f;  // and more for every world unit a second it drives
constexpr float DRIVE_WITHIN = 1.1f;       // radians off its way within which it drives on
constexpr float NEAR_POINT = 8.0f;         // world units within which a point counts as near
constexpr float DRIVE_NEAR_WITHIN = 0.45f; // radians off a near point within which it drives
constexpr float REVERSE_BEYOND = 2.2f;     // radians off beyond which a near point is backed to
constexpr float REVERSE_NEAR = 10.0f;      // world units: what counts as near for that
constexpr float STOPPING = 0.25f;          // seconds of its speed it takes to brake
constexpr float CHECK_EVERY = 1.5f;        // seconds between looks at its progress
constexpr float STUCK_WITHIN = 2.0f;       // world units driven in that time that count as stuck
constexpr float CORNER_SPEED = 9.0f;       // world units a second it slows to near a corner
constexpr float CORNER_NEAR = 8.0f;        // world units from a waypoint that count as near
constexpr float UNSTUCK_FOR = 0.7f;        // seconds it backs away
constexpr float WANDER_FOR = 6.0f;         // seconds it heads for one place when roaming
constexpr float GOAL_MOVED = 6.0f;         // world units a goal moves before it counts as new

Vec3f flat(const Vec3f& v, const Vec3f& up) {
    return v - up * v.dot(up);
}

float angleAbout(const Vec3f& from, const Vec3f& to, const Vec3f& up) {
    return std::atan2(cross(from, to).dot(up), from.dot(to));
}

} // namespace

// The stick that turns the tank by `angle` radians this tick, as far as a full stick allows:
// the seat's dead zone is stepped over so that small corrections are not lost in it.
float ComputerPlayer::turnStick(const Tank& me, float angle) const {
    float full = me.turnRate * dt;
    if (full <= 0)
        return 0;
    float share = -angle / full; // a positive stick turns clockwise seen from above
    if (std::fabs(share) < 0.02f)
        return 0;
    share = std::fmax(-1.0f, std::fmin(1.0f, share));
    float deadZone = match.seats[static_cast<size_t>(seat)]->deadZone;
    return (share < 0 ? -1.0f : 1.0f) * (deadZone + (1 - deadZone) * std::fabs(share));
}

void ComputerPlayer::turnTowards(const Tank& me, const Vec3f& point) {
    stick.x = turnStick(me, angleAbout(me.forward, flat(point - me.position, me.up), me.up));
}

// Straight for a point of its face: forward when it lies ahead, turning on the spot when it
// does not, backing up to one just behind; braking in time to stop within `arrive`.
void ComputerPlayer::steer(const Tank& me, const Vec3f& point, float arrive, bool corner) {
    Vec3f way = flat(point - me.position, me.up);
    float distance = way.length();
    float speed = std::fabs(me.velocity.dot(me.forward));
    if (distance <= arrive) {
        stick.y = 0;
        return;
    }
    float angle = angleAbout(me.forward, way, me.up);
    // Backing up (at a third of the speed) pays only to a goal just behind it, not along a way.
    if (!corner && std::fabs(angle) > REVERSE_BEYOND && distance < REVERSE_NEAR) {
        float back = angle - static_cast<float>(PI) * (angle > 0 ? 1.0f : -1.0f);
        stick.x = turnStick(me, back);
        stick.y = distance > arrive + speed * STOPPING ? 1.0f : 0.0f;
        return;
    }
    stick.x = turnStick(me, angle);
    // Near the point it turns first: driving on while turning would circle it.
    bool onWay = std::fabs(angle) < (distance < NEAR_POINT ? DRIVE_NEAR_WITHIN : DRIVE_WITHIN);
    // A waypoint is a corner of its way: it takes it slowly enough to turn there.
    bool tooFast = corner && distance < CORNER_NEAR && speed > CORNER_SPEED;
    stick.y = onWay && !tooFast && distance > arrive + speed * STOPPING ? -1.0f : 0.0f;
}

// To `target` over its face's grid: a new search when the goal moves to another cell; the path
// followed as it is found, or straight on while the search still runs.
void ComputerPlayer::goTo(const Tank& me, const Vec3f& target, float arrive) {
    const FaceFrame& frame = grid.frame;
    int goalCell = grid.cellAt(frame.u(target), frame.v(target));
    bool sameGoal = hasGoal && grid.cellAt(frame.u(goal), frame.v(goal)) == goalCell;
    if (!sameGoal) {
        if (!hasGoal || (target - goal).length() > GOAL_MOVED) {
            goalSince = clock;
            goalWay = (target - me.position).length();
        }
        goal = target;
        hasGoal = true;
        goalFailed = false;
        pathStep = 0;
        int rings = static_cast<int>(4 / grid.cellSize) + 1;
        int from = standingCell(me);
        // A tank may squeeze through a gap the grid holds closed: where it stands now may lie
        // apart from where it could reach before.
        if (from >= 0 && !grid.reachable(from))
            grid.markReachable(from);
        int to = grid.nearestReachable(goalCell, rings);
        search.start(grid, from, to < 0 ? goalCell : to, skill.searchLimit);
    }
    if (search.state == PathSearch::State::RUNNING)
        search.run(grid, skill.searchBudget);
    followPath(me, arrive);
}

void ComputerPlayer::followPath(const Tank& me, float arrive) {
    const FaceFrame& frame = grid.frame;
    float mu = frame.u(me.position), mv = frame.v(me.position);
    switch (search.state) {
    case PathSearch::State::FOUND: {
        const std::vector<int>& path = search.path;
        auto distance = [&](size_t k) {
            return std::hypot(grid.cellU(path[k]) - mu, grid.cellV(path[k]) - mv);
        };
        // Invariant: pathStep is the nearest of the path cells looked at to where it is.
        size_t last = path.size() - 1;
        for (size_t k = pathStep + 1; k <= last && k <= pathStep + 8; ++k)
            if (distance(k) < distance(pathStep))
                pathStep = k;
        // Pure pursuit: the point a little way along the path from where the tank comes
        // nearest to it (farther at speed), so that the tank keeps to the path's cells, which
        // all stand clear of the blocks, and does not cut their corners.
        float speed = std::fabs(me.velocity.dot(me.forward));
        float reach = PURSUIT + PURSUIT_PER_SPEED * speed;
        size_t k = pathStep;
        float pu = grid.cellU(path[k]), pv = grid.cellV(path[k]);
        if (k < last) { // from the tank's foot on the segment to the next cell
            float du = grid.cellU(path[k + 1]) - pu, dv = grid.cellV(path[k + 1]) - pv;
            float t = ((mu - pu) * du + (mv - pv) * dv) / (du * du + dv * dv);
            t = std::fmax(0.0f, std::fmin(1.0f, t));
            pu += du * t;
            pv += dv * t;
        }
        // Invariant: (pu, pv) lies on the path, `reach` of the way still to go from it.
        while (k < last && reach > 0) {
            float nu = grid.cellU(path[k + 1]), nv = grid.cellV(path[k + 1]);
            float step = std::hypot(nu - pu, nv - pv);
            if (step >= reach) {
                pu += (nu - pu) * (reach / step);
                pv += (nv - pv) * (reach / step);
                reach = 0;
                break;
            }
            reach -= step;
            pu = nu;
            pv = nv;
            ++k;
        }
        if (k >= last && reach > 0)
            steer(me, goal, arrive);
        else
            steer(me, frame.point(pu, pv), 0, true);
        break;
    }
    case PathSearch::State::RUNNING:
        if (grid.clearLine(mu, mv, frame.u(goal), frame.v(goal)))
            steer(me, goal, arrive);
        else
            turnTowards(me, goal);
        break;
    case PathSearch::State::FAILED:
        goalFailed = true;
        stick.y = 0;
        break;
    case PathSearch::State::IDLE:
        steer(me, goal, arrive);
        break;
    }
}

// Somewhere on its face, a new place every few seconds or when it gets there: a tank with
// nothing to do keeps moving, and so keeps out of easy aim.
void ComputerPlayer::wander(const Tank& me) {
    const FaceFrame& frame = grid.frame;
    bool arrived = (flat(wanderGoal - me.position, me.up)).length() < 4;
    if (clock > wanderUntil || arrived || (hasGoal && goalFailed)) {
        float reach = frame.half * 0.8f;
        float u = randomSource.randomFloat(-reach, reach);
        float v = randomSource.randomFloat(-reach, reach);
        int cell = grid.nearestReachable(grid.cellAt(u, v), grid.side);
        wanderGoal = cell >= 0 ? grid.cellPoint(cell) : me.position;
        wanderUntil = clock + WANDER_FOR;
        hasGoal = false;
    }
    goTo(me, wanderGoal, 2.0f);
}

bool ComputerPlayer::threatened(const Tank& me, Vec3f& away) const {
    const FaceFrame& frame = grid.frame;
    float reach = BLAST_BOX + Tank::tankRadius + skill.dodgeMargin;
    bool any = false;
    away = Vec3f();
    for (const Danger& danger : dangers) {
        // Where it will be when the blast comes, going on as it goes now.
        Vec3f then = me.position + me.velocity * std::fmin(danger.in, 0.5f);
        float du = frame.u(then) - frame.u(danger.at), dv = frame.v(then) - frame.v(danger.at);
        if (std::fabs(du) >= reach || std::fabs(dv) >= reach)
            continue;
        any = true;
        Vec3f out = frame.right * du + frame.forward * dv;
        float length = out.length();
        away += length > 0.01f ? out * (1.0f / (length * (length + 1))) : me.forward;
    }
    return any;
}

// Out of the blast the quickest way: on along its heading or back, whichever leads away,
// turning that end towards the way out.
void ComputerPlayer::evade(const Tank& me, const Vec3f& away) {
    Vec3f out = flat(away, me.up);
    if (out.length() < 1e-4f)
        out = me.forward;
    float angle = angleAbout(me.forward, out, me.up);
    const float half = static_cast<float>(PI) / 2;
    if (std::fabs(angle) <= half) {
        stick.x = turnStick(me, angle);
        stick.y = -1;
    } else {
        stick.x = turnStick(me, angle - static_cast<float>(PI) * (angle > 0 ? 1.0f : -1.0f));
        stick.y = 1;
    }
}

// Driving without getting anywhere for a second means something holds it: it backs off the
// other way, turning as the random source says, and plans its way again.
void ComputerPlayer::watchProgress(const Tank& me) {
    float deadZone = match.seats[static_cast<size_t>(seat)]->deadZone;
    if (std::fabs(stick.y) >= deadZone && !rocking)
        throttleTicks += 1;
    // The way it drove, tick by tick (a turn that carries it is no driving: the world turns
    // only while it does not look).
    travelled += (me.position - lastPosition).length();
    lastPosition = me.position;
    if (clock - checkpointAt < CHECK_EVERY)
        return;
    float ticks = (clock - checkpointAt) / dt;
    bool driving = throttleTicks > 0.6f * ticks;
    bool stuck = driving && travelled < STUCK_WITHIN && currentMode != Mode::UNSTUCK;
    if (stuck) {
        // What held it stands just ahead (or behind, backing up): the grid's cells, open at
        // their centres, let the tank's box graze a block's corner there. That cell stays
        // closed until the grid is built again, so the next way goes round.
        float ahead = (stick.y < 0 ? 1.0f : -1.0f) * (Tank::tankRadius + 1.0f);
        Vec3f blocked = me.position + me.forward * ahead;
        int cell = grid.cellAt(grid.frame.u(blocked), grid.frame.v(blocked));
        if (hasGoal && cell != grid.cellAt(grid.frame.u(goal), grid.frame.v(goal)))
            grid.closed[static_cast<size_t>(cell)] = 1;
        unstuckUntil = clock + UNSTUCK_FOR;
        unstuckThrottle = stick.y < 0 ? 1.0f : -1.0f;
        unstuckTurn = randomSource.randomInt(0, 1) == 0 ? -1.0f : 1.0f;
        // Held twice on the way to the same place: that place is given up.
        bool again = hasGoal && (goal - stuckGoal).length() < 2.0f;
        stuckGoal = hasGoal ? goal : me.position;
        if (currentMode == Mode::COLLECT && hasGoal)
            giveUpBox(goal);
        if (again && currentMode == Mode::ROAM && plan.found) {
            plan.found = false;
            nextPlan = clock + 2.0f;
        }
        search.cancel();
        hasGoal = false;
        hasFiringPlace = false;
        firingAngle += 1.0f;
        wanderUntil = -1;
    }
    travelled = 0;
    checkpointAt = clock;
    throttleTicks = 0;
}

void ComputerPlayer::unstick(const Tank&) {
    stick.x = unstuckTurn;
    stick.y = unstuckThrottle;
}
