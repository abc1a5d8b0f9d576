#include <cassert>
#include <cmath>

#include "math/constants.h"
#include "world/rubikscube.h"

namespace {

// Where a quarter turn about `axis` carries grid cell `c`; r = n - 1. Direction 0 is the
// positive angle of the step matrices, so the cells follow the cubies' motion.
Layer::Cell turnedCell(const Layer::Cell& c, int axis, int direction, int r) {
    if (direction == 0) {
        if (axis == 0)
            return {c.x, r - c.z, c.y};
        if (axis == 1)
            return {c.z, c.y, r - c.x};
        return {r - c.y, c.x, c.z};
    }
    if (axis == 0)
        return {c.x, c.z, r - c.y};
    if (axis == 1)
        return {r - c.z, c.y, c.x};
    return {c.y, r - c.x, c.z};
}

} // namespace

void RubiksCube::rotateAt(int axis, float coordinate, int direction) {
    assert(!isRotating);
    int layer = layerAt(axis, coordinate);
    if (layer >= 0)
        startRotation(layer, direction);
}

int RubiksCube::layerAt(int axis, float coordinate) const {
    if (axis < 0 || axis > 2)
        return -1;
    float offset = coordinate + halfExtent();
    if (std::isnan(offset))
        return -1;
    // Clamped while still a float: a coordinate far outside the cube would overflow an int.
    float slab = std::trunc(offset / cubieSize);
    int index = slab <= 0 ? 0 : slab >= n - 1 ? n - 1 : static_cast<int>(slab);
    return axis * n + index;
}

bool RubiksCube::layerHolds(int layerNumber, const Vec3f& point) const {
    assert(layerNumber >= 0 && layerNumber < layerCount);
    const Layer& layer = *layers[layerNumber];
    Layer::Cell c = cellOf(point);
    int along[3] = {c.x, c.y, c.z};
    return along[layer.axis] == layer.index;
}

Matrix4f RubiksCube::quarterTurn(int axis, int direction) const {
    assert(axis >= 0 && axis < 3 && (direction == 0 || direction == 1));
    // The steps updateRotation takes until the turn ends.
    Matrix4f turn = Matrix4f::identity();
    float elapsed = 0;
    do {
        turn.preMultiply(stepMatrices[axis][direction]);
        elapsed += static_cast<float>(SECONDS_PER_FRAME);
    } while (!(elapsed > rotationTime - 0.0001f));
    return turn;
}

void RubiksCube::startRotation(int layerNumber, int direction) {
    assert(!isRotating);
    assert(layerNumber >= 0 && layerNumber < layerCount);
    assert(direction == 0 || direction == 1);
    const Layer& layer = *layers[layerNumber];
    isRotating = true;
    rotatingLayer = layerNumber;
    rotationAxis = layer.axis;
    rotationDirection = direction;
    rotationElapsed = 0;
    rotatingCubies.clear();

    std::vector<Cube*> moving(layer.cellCount);
    for (int i = 0; i < layer.cellCount; ++i) {
        const Layer::Cell& cell = layer.cells[i];
        moving[i] = cubieAt(cell.x, cell.y, cell.z);
        if (moving[i]) {
            rotatingCubies.push_back(moving[i]);
            moving[i]->rotating = true;
        }
    }
    // The grid takes the finished turn at once; the matrices catch up step by step.
    for (int i = 0; i < layer.cellCount; ++i) {
        Layer::Cell to = turnedCell(layer.cells[i], layer.axis, direction, n - 1);
        grid[to.x + to.y * n + to.z * n * n] = moving[i];
    }
}

void RubiksCube::updateRotation(float) {
    if (!isRotating)
        return;
    const Matrix4f& step = stepMatrices[rotationAxis][rotationDirection];
    for (Cube* cubie : rotatingCubies)
        cubie->matrix.preMultiply(step);
    rotationElapsed += static_cast<float>(SECONDS_PER_FRAME);
    // The margin absorbs the float sum of 18 ticks falling just short of 0.3.
    if (rotationElapsed > rotationTime - 0.0001f) {
        isRotating = false;
        for (Cube* cubie : rotatingCubies) {
            cubie->rotateStickers(rotationAxis, rotationDirection == 0);
            cubie->rotating = false;
        }
    }
}
