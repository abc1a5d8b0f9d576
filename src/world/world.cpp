#include "world/world.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "math/colours.h"
#include "math/constants.h"
#include "math/faces.h"
#include "math/randomsource.h"

World::Hooks& World::defaultHooks() {
    static Hooks hooks;
    return hooks;
}

World::World(int n, int cubieSize)
    : RubiksCube(n, static_cast<float>(cubieSize), ROTATION_TIME),
      lightAngle(std::acos(1.0f / (lightHeight + 1.0f))), lightModelAmbient(grey(0.3f)),
      lightDiffuse(grey(0.7f)), lightAmbient(grey(0.0f)), lightSpecular(grey(0.6f)),
      lightAttenuation(0, 0, 1), faceClipPlanes{}, layerClipPlanes{},
      tankMaker(defaultHooks().tankMaker), itemBoxMaker(defaultHooks().itemBoxMaker),
      collisionResponse(defaultHooks().collisionResponse) {
    specular = BLACK; // stickers show no highlight
    float h = halfExtent();
    for (int f = 0; f < 6; ++f) {
        Vec3f light = faceNormal(f) * ((lightHeight + 1.0f) * h);
        lightPositions[f] = Vec4f(light.x(), light.y(), light.z(), 1.0f);
        shadowMatrix(faceNormal(f), light, -shadowPlaneOffset(), shadowMatrices[f]);
    }
    // Each face's square, inset by the bevel, bounded on the two axes lying in the face.
    double limit = shadowLimit();
    for (int f = 0; f < 6; ++f) {
        int plane = 0;
        for (int g = 0; g < 6; ++g) {
            if (faceAxis(g) == faceAxis(f))
                continue;
            faceClipPlanes[f][plane][faceAxis(g)] = faceSign(g);
            faceClipPlanes[f][plane][3] = limit;
            ++plane;
        }
    }
}

World::~World() {
    // A made tank may still be listed; everything else listed or discarded is deleted once.
    for (Object* object : allObjects)
        if (std::find(madeTanks.begin(), madeTanks.end(), object) == madeTanks.end())
            delete object;
    deleteDiscarded();
    for (Object* tank : madeTanks)
        delete tank;
}

void World::discard(Object* object) {
    removeObject(object);
    if (std::find(discarded.begin(), discarded.end(), object) == discarded.end())
        discarded.push_back(object);
}

void World::deleteDiscarded() {
    for (Object* object : discarded)
        delete object;
    discarded.clear();
}

Tank* World::addTank(int face) {
    if (face < 0 || face > 5 || faceHasTank[face] || !tankMaker)
        return nullptr;
    Vec3f position = faceNormal(face) * (n * cubieSize * 0.5f);
    MadeTank made = tankMaker(*this, position, FACE_COLORS[INITIAL_FACE_COLORS[face]]);
    if (!made.tank || !made.object)
        return nullptr;
    addObject(made.object);
    tanks.push_back(made.tank);
    madeTanks.push_back(made.object);
    faceHasTank[face] = true;
    size_t k = tanks.size();
    if (k > 1)
        itemInterval = itemInterval * static_cast<float>(k - 1) / static_cast<float>(k);
    return made.tank;
}

bool World::comesBefore(const Object* a, const Object* b) const {
    if (a->face != b->face)
        return a->face < b->face;
    if (a->onRotatingLayer != b->onRotatingLayer)
        return a->onRotatingLayer;
    if (a->onRotatingLayer)
        return a->position[rotationAxis] < b->position[rotationAxis];
    return false;
}

void World::insertSorted(std::vector<Object*>& list, Object* object) {
    auto at =
        std::upper_bound(list.begin(), list.end(), object,
                         [this](const Object* a, const Object* b) { return comesBefore(a, b); });
    list.insert(at, object);
}

void World::resort() {
    auto order = [this](const Object* a, const Object* b) { return comesBefore(a, b); };
    std::stable_sort(movables.begin(), movables.end(), order);
    std::stable_sort(boxes.begin(), boxes.end(), order);
    std::stable_sort(allObjects.begin(), allObjects.end(), order);
}

void World::addObject(Object* object) {
    insertSorted(object->type == BOX ? boxes : movables, object);
    insertSorted(allObjects, object);
    // Blocks meet nothing of their own kind: what one block overlapping another would mean is
    // nothing, and a level may stack them by the thousand.
    collisionDetector.addObject(object->boundingBox, object, object->type == BOX);
    if (object->type == ITEM_BOX)
        ++itemCount;
}

void World::removeObject(Object* object) {
    auto unlink = [object](std::vector<Object*>& list) {
        auto at = std::find(list.begin(), list.end(), object);
        if (at == list.end())
            return false;
        list.erase(at);
        return true;
    };
    bool wasInWorld = unlink(object->type == BOX ? boxes : movables);
    unlink(allObjects);
    // A rider removed mid-turn (the editor deleting a block) must not be carried any further.
    unlink(turningObjects);
    collisionDetector.removeObject(object);
    if (wasInWorld && object->type == ITEM_BOX)
        --itemCount;
}

Vec3f World::gravityAt(const Vec3f& point) const {
    return faceNormal(faceOf(point)) * -gravity;
}

Object* World::randomItemBox() {
    return itemBoxMaker ? itemBoxMaker(*this) : nullptr;
}

Vec3f World::randomFacePosition(float marginX, float marginY) {
    float h = n * cubieSize * 0.5f;
    float x = randomSource.randomFloat(-h, h);
    float y = randomSource.randomFloat(-h, h);
    int face = randomSource.randomInt(0, 5);
    auto sign = [](float v) { return v > 0 ? 1.0f : (v < 0 ? -1.0f : 0.0f); };
    x -= sign(x) * marginX;
    y -= sign(y) * marginY;
    Vec3f point(x, y, h);
    faceOrientationMatrix(face).transformPoint(point);
    return point;
}

bool World::validate() const {
    auto fail = [](const char* why) {
        fprintf(stderr, "World::validate: %s\n", why);
        return false;
    };
    auto order = [this](const Object* a, const Object* b) { return comesBefore(a, b); };
    for (const std::vector<Object*>* list : {&boxes, &movables, &allObjects})
        if (!std::is_sorted(list->begin(), list->end(), order))
            return fail("a list is out of order");
    if (boxes.size() + movables.size() != allObjects.size())
        return fail("boxes and movables do not add up to allObjects");
    int items = 0;
    for (const Object* object : allObjects) {
        const std::vector<Object*>& own = object->type == BOX ? boxes : movables;
        if (std::count(own.begin(), own.end(), object) != 1 ||
            std::count(allObjects.begin(), allObjects.end(), object) != 1)
            return fail("an object is not listed exactly once in its lists");
        items += object->type == ITEM_BOX ? 1 : 0;
        if (object->onRotatingLayer !=
            (isRotating && std::count(turningObjects.begin(), turningObjects.end(), object)))
            return fail("riding flag and turning list disagree");
    }
    if (items != itemCount)
        return fail("itemCount does not match the item boxes");
    // The detector's own order holds only right after a query, so only membership is checked.
    if (collisionDetector.getObjects().size() != allObjects.size())
        return fail("the detector does not hold exactly the world's objects");
    for (const Object* object : allObjects)
        if (!collisionDetector.isRegistered(object))
            return fail("an object is not registered with the detector");
    return RubiksCube::validate();
}
