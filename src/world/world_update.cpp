#include <cmath>

#include "math/faces.h"
#include "math/randomsource.h"
#include "world/world.h"

void World::update(float dt) {
    if (isRotating)
        carryTurningObjects(dt);
    else
        updateMovables(dt);
    // Both read the turn state after the step above, so a queued turn starts in the very tick
    // in which the previous one ends.
    startPendingTurn();
    spawnItems(dt);
}

void World::carryTurningObjects(float dt) {
    const Matrix4f& step = stepMatrices[rotationAxis][rotationDirection];
    for (Object* object : turningObjects)
        object->transform(step);
    updateRotation(dt);
    if (isRotating)
        return;
    reportTurn(WorldEventKind::LAYER_TURN_LOCKED);
    for (Object* object : turningObjects) {
        object->onRotatingLayer = false;
        object->face = faceOf(object->up);
        object->boundingBox.orient(object->up, object->forward);
        // Where the object's own transform put its box: a block's box stands half its height
        // above the block's base, not around it.
        object->boundingBox.moveTo(object->boundingBox.position, false);
    }
    resort();
}

void World::updateMovables(float dt) {
    // An update may add objects or remove its own: the size is read afresh every step. A removal
    // lets the next object wait a tick; an insertion before it makes the current one go twice.
    for (size_t i = 0; i < movables.size(); ++i)
        movables[i]->update(dt);
    std::vector<Collision*> collisions;
    collisionDetector.getCollisions(collisions);
    if (!collisions.empty() && collisionResponse)
        collisionResponse(*this, collisions, dt);
    for (Collision* collision : collisions)
        delete collision;
    deleteDiscarded();
}

void World::startPendingTurn() {
    if (isRotating || pendingRandomTurns < 1)
        return;
    int layer = randomSource.randomInt(0, layerCount - 1);
    int direction = randomSource.randomInt(0, 1);
    startRotation(layer, direction);
    --pendingRandomTurns;
}

void World::spawnItems(float dt) {
    itemTimer -= dt;
    if (isRotating || itemTimer > 0 || itemCount >= 10)
        return;
    if (Object* box = randomItemBox()) {
        addObject(box);
        itemTimer = itemInterval;
    }
}

void World::startRotation(int layerNumber, int direction) {
    turningObjects.clear();
    for (const std::vector<Object*>* list : {&movables, &boxes})
        for (Object* object : *list)
            if (layerHolds(layerNumber, object->position)) {
                turningObjects.push_back(object);
                object->onRotatingLayer = true;
            }
    RubiksCube::startRotation(layerNumber, direction);

    // Kept here in world coordinates; draw hands them to OpenGL under the camera's model-view.
    double h = layerLowerBound(rotatingLayer);
    double s = cubieSize;
    const Vec3f& a = faceNormal(faceIndex(rotationAxis, true));
    auto setPlane = [&a](double* plane, double sign, double d) {
        for (int i = 0; i < 3; ++i)
            plane[i] = sign * a[i];
        plane[3] = d;
    };
    setPlane(layerClipPlanes[0], 1, -h);       // inside, lower bound
    setPlane(layerClipPlanes[1], -1, h + s);   // inside, upper bound
    setPlane(layerClipPlanes[2], 1, -(h + s)); // above the layer
    setPlane(layerClipPlanes[3], -1, h);       // below the layer
    resort();
    reportTurn(WorldEventKind::LAYER_TURN_STARTED);
}

// Heard from the middle of the slab: a turn moves a whole ring of the cube, no one face's.
void World::reportTurn(WorldEventKind kind) {
    float middle = layerLowerBound(rotatingLayer) + cubieSize * 0.5f;
    WorldEvent event{kind, faceNormal(faceIndex(rotationAxis, true)) * middle};
    report(event);
}

void World::report(const WorldEvent& event) {
    if (events.size() >= MAX_PENDING_EVENTS) {
        ++droppedEvents;
        return;
    }
    events.push_back(event);
}

void World::takeEvents(std::vector<WorldEvent>& into) {
    into.clear();
    into.swap(events);
}
