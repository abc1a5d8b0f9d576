#include "entities/collisionresponder.h"

#include <algorithm>

#include "collision/raybox.h"
#include "entities/explosion.h"
#include "entities/item.h"
#include "entities/tank.h"
#include "world/world.h"

void installCollisionResponse() {
    World::defaultHooks().collisionResponse = [](World& world, std::vector<Collision*>& list,
                                                 float dt) {
        CollisionResponder responder(&world);
        responder.respondAll(list, dt);
    };
}

// The records name objects registered when the detector listed them, and only this pass takes
// any out before it ends.
bool CollisionResponder::inWorld(const Object* object) const {
    return std::find(takenOut.begin(), takenOut.end(), object) == takenOut.end();
}

void CollisionResponder::takeOut(Object* object) {
    takenOut.push_back(object);
    if (world)
        world->discard(object); // later records of the pass may still name it
}

void CollisionResponder::respondAll(const std::vector<Collision*>& collisions, float dt) {
    for (Collision* c : collisions)
        if (inWorld(c->object1) && inWorld(c->object2))
            respond(c, dt);
}

void CollisionResponder::respond(Collision* c, float dt) {
    this->dt = dt;
    Object* first = c->object1;
    Object* second = c->object2;
    // The smaller type first; of equal types, the earlier registered.
    if (c->object1->type >= c->object2->type) {
        first = c->object2;
        second = c->object1;
    }
    switch (first->type) {
    case TANK:
        if (second->type == ITEM_BOX)
            pickUp(first, second);
        else if (second->type == BOX)
            tankOffBox(first, second);
        else if (second->type == OBSTACLE)
            tankOffMesh(first, second);
        else if (second->type == EXPLOSION)
            blast(first, second);
        break;
    case ITEM_BOX:
        // A turning layer pushed the box into a block.
        if (second->type == BOX)
            takeOut(first);
        break;
    case PROJECTILE:
        if (second->type == BOX)
            shellOffBox(first, second);
        else if (second->type == OBSTACLE)
            shellOffMesh(first, second);
        break;
    default:
        break;
    }
}

void CollisionResponder::pickUp(Object* tankObject, Object* itemBox) {
    auto* tank = static_cast<Tank*>(tankObject);
    if (tank->itemCount >= 3)
        return;
    // What the box holds is decided now, at the pick-up.
    tank->addItem(randomItem());
    if (world)
        world->report(
            WorldEvent{WorldEventKind::ITEM_PICKED_UP, itemBox->position, itemBox->face, tank});
    takeOut(itemBox);
}

void CollisionResponder::blast(Object* tankObject, Object* explosionObject) {
    auto* tank = static_cast<Tank*>(tankObject);
    auto* explosion = static_cast<Explosion*>(explosionObject);
    Vec3f d = explosion->position - tank->position;
    // Touching the blast's edge counts as a hit.
    if (compareLength(d, Tank::tankRadius + explosion->getRadius()) >= 1)
        return;
    bool alive = tank->getHealth() > 0;
    tank->hit();
    if (alive && tank->getHealth() == 0)
        takenOut.push_back(tank); // destroyed: it has left the world
}
