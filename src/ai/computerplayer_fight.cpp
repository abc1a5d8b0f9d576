#include <cmath>

#include "ai/computerplayer.h"
#include "ai/shotforecast.h"
#include "entities/item.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "math/constants.h"
#include "math/randomsource.h"
#include "world/world.h"

namespace {

// Seconds and distances of a fight.
constexpr float AIM_LOOK = 0.35f;         // radians off the target beyond which no shot is flown
constexpr float TAKE_SLACK = 10.0f;       // world units off the range at which it stops to aim
constexpr float HOLD_SLACK = 16.0f;       // and once aiming, at which it goes on aiming
constexpr float AT_PLACE = 4.0f;          // world units from its firing place that count as there
constexpr float LEAVE_PLACE = 7.0f;       // once there, it stays until this far off
constexpr float RANGE_GAIN = 1.5f;        // speed wanted per world unit the shell falls short
constexpr float RANGE_SPEED = 8.0f;       // world units a second at most while it sets its range
constexpr float SPEED_SLACK = 0.3f;       // world units a second off that speed it lets be
constexpr float REPLACE_AFTER = 1.0f;     // seconds before a moving target asks for a new place
constexpr float REPLACE_SHIFT = 6.0f;     // world units the aim point moves before it does
constexpr float GIVE_UP_AIMING = 5.0f;    // seconds at a place without a shot
constexpr float REAIM_BLOCKED = 0.5f;     // seconds of a blocked shot before it aims true
constexpr float GIVE_UP_BLOCKED = 1.5f;   // seconds of a blocked shot
constexpr float LANDING_LEFT = 1.5f;      // world units before the aim point not checked
constexpr float HEIGHT_MARGIN = 0.6f;     // world units a shell should clear a block by: a tank
                                          // that rolls a little flies it lower than at rest
constexpr float FAILED_PLACE_NEAR = 5.0f; // world units round a failed place it keeps away
constexpr float HOLD_BAN = 3.0f; // seconds it may not aim from where it stands after a fail
constexpr int FIRING_SIDES = 16; // places round the target it weighs
// World units short of the range at rest that firing places are looked for at, in turn: backing
// at RANGE_SPEED shortens a shot by about a fifth.
constexpr float SHORTER_RANGES[3] = {0.0f, 3.0f, 5.5f};

Vec3f flat(const Vec3f& v, const Vec3f& up) {
    return v - up * v.dot(up);
}

// Radians from `from` to `to` about `up`, counter-clockwise positive.
float angleAbout(const Vec3f& from, const Vec3f& to, const Vec3f& up) {
    return std::atan2(cross(from, to).dot(up), from.dot(to));
}

} // namespace

void ComputerPlayer::drawAimOffset() {
    // A point of the unit disc, every part of it as likely: scaled by the error of the moment.
    float r = std::sqrt(randomSource.randomFloat(0, 1));
    float a = randomSource.randomFloat(0, static_cast<float>(2 * PI));
    aimDraw[0] = r * std::cos(a);
    aimDraw[1] = r * std::sin(a);
}

// The enemy it fights stays its target while it is on the face; a new one is the nearest.
const ComputerPlayer::Enemy* ComputerPlayer::pickTarget(const Tank& me) {
    for (const Enemy& enemy : enemiesHere)
        if (enemy.index == target)
            return &enemy;
    const Enemy* nearest = nullptr;
    float best = 0;
    for (const Enemy& enemy : enemiesHere) {
        float d = (enemy.position - me.position).length();
        if (!nearest || d < best) {
            nearest = &enemy;
            best = d;
        }
    }
    target = nearest->index;
    targetSince = clock;
    hasFiringPlace = false;
    aimingSince = blockedSince = -1;
    drawAimOffset();
    return nearest;
}

// A triple at range or at a moving target, where its spread makes up for the aim; otherwise
// single shells first and the nuke kept for a shot that it would not waste.
int ComputerPlayer::chooseWeapon(const Tank& me, float distance, float targetSpeed) const {
    bool spread = distance > restRange * 0.9f || targetSpeed > 6.0f;
    if (spread && itemsOf(me, ITEM_TRIPLE_PROJECTILE) > 0)
        return ITEM_TRIPLE_PROJECTILE;
    for (int kind : {ITEM_PROJECTILE, ITEM_NUKE, ITEM_TRIPLE_PROJECTILE})
        if (itemsOf(me, kind) > 0)
            return kind;
    return ITEM_PROJECTILE;
}

// Whether a shell fired from (u, v) of its face towards (au, av), a range away, passes over
// every block on the way: its height out there (the flight profile) against the blocks' tops.
// The last stretch, where it comes down beside the target, is left to the shell's own flight.
bool ComputerPlayer::shotLineClear(float u, float v, float au, float av) const {
    float length = std::hypot(au - u, av - v);
    if (length < 1e-3f || profile.empty())
        return true;
    float du = (au - u) / length, dv = (av - v) / length;
    float last = static_cast<float>(profile.size() - 1);
    float end = std::fmin(length, last) - LANDING_LEFT;
    // Invariant: the samples before d pass above the blocks under them.
    for (float d = 0; d < end; d += grid.cellSize * 0.5f) {
        float height = profile[static_cast<size_t>(std::fmin(d, last))];
        float top = grid.blockTop[grid.cellAt(u + du * d, v + dv * d)];
        if (top > 0 && top + Projectile::PROJECTILE_RADIUS + HEIGHT_MARGIN >= height)
            return false;
    }
    return true;
}

// A place one shell's range from the aim point, on its face and open, with the ground where
// the shell flies low (just after the muzzle, just before it lands) free of blocks; the one
// nearest to it, trying first the side it stands on (turned by firingAngle after a failure).
void ComputerPlayer::chooseFiringPlace(const Tank& me, const Vec3f& aimPoint) {
    const FaceFrame& frame = grid.frame;
    float au = frame.u(aimPoint), av = frame.v(aimPoint);
    float mu = frame.u(me.position), mv = frame.v(me.position);
    float base = std::atan2(mv - av, mu - au) + firingAngle;
    float bestScore = 0;
    hasFiringPlace = false;
    // A small face may have no open place a whole range from a target near its middle: then
    // nearer places, from which it shortens its shot by backing while it fires.
    for (float shorten : SHORTER_RANGES) {
        float radius = restRange - shorten;
        // Invariant: firingPlace is the best place of the sides weighed so far.
        for (int k = 0; k < FIRING_SIDES; ++k) {
            // 0, +1, -1, +2, -2, ... sides away from the base.
            int side = (k + 1) / 2 * (k % 2 == 0 ? -1 : 1);
            float a = base + static_cast<float>(side) * static_cast<float>(2 * PI / FIRING_SIDES);
            float u = au + radius * std::cos(a), v = av + radius * std::sin(a);
            int cell = grid.cellAt(u, v);
            if (std::fabs(u) > frame.half - 2 || std::fabs(v) > frame.half - 2 || !grid.open(cell))
                continue;
            bool lowClear = shotLineClear(u, v, au, av);
            bool failed = clock < failedPlaceUntil &&
                          (frame.point(u, v) - failedPlace).length() < FAILED_PLACE_NEAR;
            float score = std::hypot(u - mu, v - mv) + (lowClear ? 0.0f : 40.0f) +
                          (failed ? 60.0f : 0.0f) + 2.0f * static_cast<float>(std::abs(side));
            if (!hasFiringPlace || score < bestScore) {
                hasFiringPlace = true;
                bestScore = score;
                firingPlace = frame.point(u, v);
            }
        }
        if (hasFiringPlace)
            break;
    }
    if (!hasFiringPlace) { // nowhere a range away: fire from where it stands
        hasFiringPlace = true;
        firingPlace = me.position;
    }
    firingPlaceAt = clock;
    firingPlaceFor = aimPoint;
}

void ComputerPlayer::fight(const Tank& me) {
    currentMode = Mode::FIGHT;
    const Enemy& enemy = *pickTarget(me);
    Vec3f toEnemy = flat(enemy.position - me.position, me.up);
    float speed = flat(enemy.velocity, me.up).length();
    int kind = chooseWeapon(me, toEnemy.length(), speed);
    const Item* held = me.items[me.currentItem];
    bool ready = held && held->kind == kind;
    if (!ready && !itemBusy)
        useItem(me, kind); // pulls the switch trigger

    // Its own shell, flown only when it points roughly at the target.
    ShotForecast shot;
    if (std::fabs(angleAbout(me.forward, toEnemy, me.up)) < AIM_LOOK)
        shot = forecastShot(me, kind, Vec3f(), dt, true);
    float flight = shot.lands ? shot.time : 0.75f;
    // A target on the move is harder to judge: the error grows with its speed.
    const FaceFrame& frame = grid.frame;
    float error = skill.aimError + skill.aimErrorPerSpeed * speed;
    Vec3f aimOffset = (frame.right * aimDraw[0] + frame.forward * aimDraw[1]) * error;
    Vec3f aim = enemy.position + enemy.velocity * (flight * skill.leadFactor) + aimOffset;
    float limit = frame.half - 1;
    aim = frame.point(std::fmax(-limit, std::fmin(limit, frame.u(aim))),
                      std::fmax(-limit, std::fmin(limit, frame.v(aim))));

    // Where it stands will do when its shell would pass over every block on the way and the
    // range is nearly right: it holds its ground and sets the range by driving along its
    // heading. Otherwise it drives to a firing place.
    float mu = frame.u(me.position), mv = frame.v(me.position);
    float au = frame.u(aim), av = frame.v(aim);
    float span = std::hypot(au - mu, av - mv);
    bool inReach = std::fabs(span - restRange) < (aimingSince >= 0 ? HOLD_SLACK : TAKE_SLACK);
    bool here = inReach && span > 1 && clock >= holdBannedUntil && shotLineClear(mu, mv, au, av);
    bool moved = (aim - firingPlaceFor).length() > REPLACE_SHIFT;
    if (!here && (!hasFiringPlace || (moved && clock - firingPlaceAt > REPLACE_AFTER)))
        chooseFiringPlace(me, aim);
    float fromPlace = (firingPlace - me.position).length();
    bool there = here || fromPlace < (aimingSince >= 0 ? LEAVE_PLACE : AT_PLACE);
    if (!there) {
        aimingSince = -1;
        goTo(me, firingPlace, 1.0f);
    } else {
        if (aimingSince < 0)
            aimingSince = clock;
        // Facing the aim point, the range set by driving a little forward or back: from the
        // flown shell once there is one (it knows the tank's own speed), else from the range
        // at rest.
        Vec3f toAim = flat(aim - me.position, me.up);
        float off = angleAbout(me.forward, toAim, me.up);
        stick.x = turnStick(me, off);
        float error = shot.lands ? -flat(shot.landing - aim, me.up).dot(me.forward)
                                 : toAim.length() - restRange;
        float wanted = std::fmax(-RANGE_SPEED, std::fmin(RANGE_SPEED, error * RANGE_GAIN));
        float speed = me.velocity.dot(me.forward);
        float push = std::fabs(off) < 0.5f ? 1.0f : 0.0f;
        stick.y = speed < wanted - SPEED_SLACK ? -push : speed > wanted + SPEED_SLACK ? push : 0.0f;
    }

    if (shot.lands && ready && !itemBusy) {
        Vec3f miss = flat(shot.landing - aim, me.up);
        if (!shot.blocked)
            blockedSince = -1;
        else if (blockedSince < 0)
            blockedSince = clock;
        bool timely = clock - targetSince >= skill.reactionTime &&
                      clock - lastShot >= skill.fireInterval &&
                      !(skill.waitsForBlink && enemy.invulnerable > shot.time);
        if (miss.length() < Tank::tankRadius * 0.5f && !shot.blocked && timely && !firedLastTick) {
            fire = true;
            lastShot = clock;
            aimingSince = clock;
            drawAimOffset();
        }
    }
    // A place that gives no shot is given up for another side of the target.
    bool stale = aimingSince >= 0 && clock - aimingSince > GIVE_UP_AIMING &&
                 !(skill.waitsForBlink && enemy.invulnerable > 0);
    bool blocked = blockedSince >= 0 && clock - blockedSince > GIVE_UP_BLOCKED;
    // A target beside a block: its own aim error may put the aim point behind the block, so it
    // first aims at the target itself.
    if (blockedSince >= 0 && clock - blockedSince > REAIM_BLOCKED &&
        (aimDraw[0] != 0 || aimDraw[1] != 0)) {
        aimDraw[0] = aimDraw[1] = 0;
        blockedSince = clock;
    }
    if (stale || blocked) {
        failedPlace = me.position;
        failedPlaceUntil = clock + HOLD_BAN;
        holdBannedUntil = clock + HOLD_BAN;
        firingAngle += 2.4f;
        hasFiringPlace = false;
        aimingSince = blockedSince = -1;
    }
}
