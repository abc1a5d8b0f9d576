#include "entities/itembox.h"

#include "math/constants.h"
#include "math/randomsource.h"

namespace {
constexpr int MINI_CUBE_SIZE = 3; // cubies per edge
constexpr float MINI_CUBE_EDGE = 1.75f;
} // namespace

ItemBox::ItemBox(const Vec3f& position, World* world)
    : Object(position, world), colour(0.2f, 0.8f, 1, 1),
      cube(MINI_CUBE_SIZE, MINI_CUBE_EDGE / MINI_CUBE_SIZE, ROTATION_TIME), width(1.75f),
      depth(1.75f), height(2.0f), spinAngle(0), spinSpeed(120) {
    type = ITEM_BOX;
    boundingBox.setExtents(-width / 2, width / 2, -depth / 2, depth / 2, 0, height, up, forward);
    boundingBox.moveTo(position + up * (height / 2), false);
}

void ItemBox::update(float dt) {
    boundingBox.moveTo(position + up * (height / 2), false);
    spinAngle += spinSpeed * dt;
    if (cube.isRotating)
        cube.updateRotation(dt);
    else
        cube.startRotation(randomSource.tableInt(0, MINI_CUBE_SIZE * MINI_CUBE_SIZE - 1), 0);
}
