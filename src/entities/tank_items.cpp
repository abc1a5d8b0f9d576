#include "entities/explosion.h"
#include "entities/projectile.h"
#include "entities/tank.h"
#include "math/randomsource.h"
#include "world/world.h"

// No reload timer and no ammunition but the inventory: with all slots empty nothing happens
// until the tank picks up an item box.
void Tank::useItem() {
    if (stunTime > 0 || !world || health <= 0)
        return;
    Item* item = items[currentItem];
    if (!item)
        return;
    useSelected(*item);
    delete item;
    items[currentItem] = nullptr;
    --itemCount;
    if (itemCount != 0)
        currentItem = findSlot(currentItem, false);
}

void Tank::useSelected(Item& item) {
    switch (item.kind) {
    case ITEM_PROJECTILE:
    case ITEM_NUKE:
        fire(item.kind, Vec3f());
        report(item.kind == ITEM_NUKE ? WorldEventKind::NUKE_FIRED : WorldEventKind::SHELL_FIRED,
               muzzle());
        break;
    case ITEM_TRIPLE_PROJECTILE: {
        Vec3f side = cross(forward, up);
        for (int i = -1; i <= 1; ++i)
            fire(ITEM_TRIPLE_PROJECTILE, side * -(i * TRIPLE_SPREAD * PROJECTILE_SPEED));
        report(WorldEventKind::TRIPLE_FIRED, muzzle());
        break;
    }
    case ITEM_HEALTH:
        if (++health > MAX_HEALTH)
            health = MAX_HEALTH;
        report(WorldEventKind::HEALTH_USED, position);
        break;
    case ITEM_RANDOM_ROTATION:
        world->queueRandomTurns(randomSource.randomInt(3, 5));
        report(WorldEventKind::RANDOM_ROTATION, position);
        break;
    }
}

Vec3f Tank::muzzle() const {
    return position + forward * muzzleOffset.y() + up * muzzleOffset.z();
}

void Tank::report(WorldEventKind kind, const Vec3f& where) const {
    if (world)
        world->report(WorldEvent{kind, where, face, this});
}

// One shell from the muzzle along the heading with a fixed rise, plus `sideways`. It starts one
// frame behind the muzzle, so that its first update puts it there.
void Tank::fire(int kind, const Vec3f& sideways) {
    Shot shot = shotNow(sideways);
    world->addObject(new Projectile(shot.start, shot.launch, world, kind));
}

Tank::Shot Tank::shotNow(const Vec3f& sideways) const {
    Vec3f launch =
        velocity + forward * PROJECTILE_SPEED + up * (PROJECTILE_SPEED * LAUNCH_RISE) + sideways;
    return {muzzle() - launch * static_cast<float>(SECONDS_PER_FRAME), launch};
}

// One point per hit, however big the blast; the invulnerability that follows keeps one blast
// from counting twice. A destroyed tank takes no more: its player reads 0 as the end.
void Tank::hit() {
    if (invulnerableTime > 0 || health <= 0)
        return;
    stunTime = STUN_TIME;
    invulnerableTime = INVULNERABLE_TIME;
    spinAngle = 0;
    loseHealth();
    report(health == 0 ? WorldEventKind::TANK_DESTROYED : WorldEventKind::TANK_HIT, position);
    if (health == 0)
        die();
}

// The tank leaves the world but is not deleted: its player still reads its health.
void Tank::die() {
    if (!world)
        return;
    world->addObject(new Explosion(position, world, DEATH_EXPLOSION_SIZE));
    world->removeObject(this);
}
