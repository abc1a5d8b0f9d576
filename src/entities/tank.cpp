#include "entities/tank.h"

#include <cmath>
#include <iostream>

#include "math/faces.h"
#include "world/world.h"

namespace {
// The tread marks: half a second of them, at the model's track spacing and tread width.
constexpr float TRAIL_DURATION = 0.5f; // seconds
constexpr float TRACK_SPACING = 1.4465649f;
constexpr float TREAD_WIDTH = 0.5063613f;
} // namespace

Tank::Tank(const Vec3f& position, World* world) : Object(position, world) {
    type = TANK;
    std::cout << "pos: " << position.x() << "," << position.y() << "," << position.z() << std::endl;
    loadModel();
    halfHeight = modelExtents[2] / 2;
    boundingBox.setExtents(-tankRadius, tankRadius, -tankRadius, tankRadius, -halfHeight,
                           halfHeight, up, forward);
    boundingBox.moveTo(position + up * halfHeight, false);
    items[0] = new Item(ITEM_PROJECTILE);
    items[1] = new Item(ITEM_HEALTH);
    items[2] = new Item(ITEM_RANDOM_ROTATION);
    itemCount = SLOTS;
    treadTrail = std::make_unique<TreadTrail>(this, TRAIL_DURATION, TRACK_SPACING, TREAD_WIDTH);
}

Tank::~Tank() {
    for (Item* item : items)
        delete item;
}

void Tank::transform(const Matrix4f& m) {
    Object::transform(m);
    treadTrail->transform(m);
}

void Tank::setDrive(int direction) {
    driveDirection = direction;
}

void Tank::turn(float amount) {
    if (!world || world->isRotating || stunTime > 0 || health <= 0)
        return;
    float angle = -turnRate * amount;
    Matrix4f::rotation(angle, up).transformPoint(forward);
    matrix *= Matrix4f::rotationZ(angle); // the model turns about its own up axis
}

void Tank::setFireButton(bool pressed) {
    if (!fireHeld && pressed)
        useItem();
    fireHeld = pressed;
}

void Tank::nextItem() {
    currentItem = findSlot(currentItem + 1, false);
}

void Tank::rotateLayer(int axisChoice, bool direction) {
    if (!world || world->isRotating || health <= 0)
        return;
    LayerTurn turn = layerTurn(axisChoice, direction);
    world->rotateAt(turn.axis, turn.coordinate, turn.direction);
}

Tank::LayerTurn Tank::layerTurn(int axisChoice, bool direction) const {
    Vec3f along = axisChoice == 0 ? cross(forward, up) : axisChoice == 1 ? forward : up;
    // The dominant world axis; a tie keeps the earlier axis.
    int axis = std::fabs(along.y()) > std::fabs(along.x()) ? 1 : 0;
    if (std::fabs(along.z()) > std::fabs(along[axis]))
        axis = 2;
    bool flag = along[axis] > 0 ? direction : !direction;
    return {axis, position[axis], flag ? 1 : 0};
}

int Tank::findSlot(int start, bool wantEmpty) const {
    for (int i = 0; i < SLOTS; ++i) {
        int index = ((start + i) % SLOTS + SLOTS) % SLOTS;
        if ((items[index] == nullptr) == wantEmpty)
            return index;
    }
    return 0;
}

bool Tank::addItem(Item* item) {
    // A full inventory would have its first item overwritten and lost.
    int slot = findSlot(currentItem, true);
    if (!item || itemCount >= SLOTS || items[slot] != nullptr) {
        delete item;
        return false;
    }
    items[slot] = item;
    ++itemCount;
    return true;
}
