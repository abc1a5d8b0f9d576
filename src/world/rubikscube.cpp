#include "world/rubikscube.h"

#include <algorithm>
#include <cassert>
#include <iostream>
#include <unordered_map>
#include <unordered_set>

#include "math/colours.h"
#include "math/constants.h"

namespace {

bool isInterior(int x, int y, int z, int n) {
    auto inside = [n](int c) { return c != 0 && c != n - 1; };
    return inside(x) && inside(y) && inside(z);
}

bool fail(const char* reason) {
    std::cerr << "RubiksCube::validate: " << reason << '\n';
    return false;
}

// While turning, exactly the cubies in the turning layer's cells are flagged and listed; idle,
// none is flagged.
bool validateTurn(const RubiksCube& cube) {
    if (!cube.isRotating) {
        for (const Cube* cubie : cube.cubies)
            if (cubie->rotating)
                return fail("a cubie is flagged as turning while no layer turns");
        return true;
    }
    if (cube.rotatingLayer < 0 || cube.rotatingLayer >= cube.layerCount)
        return fail("the turning layer number is out of range");
    const Layer& layer = *cube.layers[cube.rotatingLayer];
    if (cube.rotationAxis != layer.axis)
        return fail("the turn axis differs from the turning layer's axis");
    if (cube.rotationDirection != 0 && cube.rotationDirection != 1)
        return fail("the turn direction is neither 0 nor 1");

    std::unordered_set<const Cube*> inLayer;
    for (const Layer::Cell& cell : layer.cells)
        if (const Cube* cubie = cube.cubieAt(cell.x, cell.y, cell.z))
            inLayer.insert(cubie);
    std::unordered_set<const Cube*> listed(cube.rotatingCubies.begin(), cube.rotatingCubies.end());
    if (listed.size() != cube.rotatingCubies.size() || listed != inLayer)
        return fail("rotatingCubies differs from the cubies of the turning layer");
    for (const Cube* cubie : cube.cubies)
        if (cubie->rotating != (inLayer.count(cubie) == 1))
            return fail("the turning flags differ from the turning layer");
    return true;
}

} // namespace

RubiksCube::RubiksCube(int n, float cubieSize, float rotationTime)
    : cubieSize(cubieSize), n(n), cellsPerLayer(n * n), cellCount(n * n * n), specular(grey(0.15f)),
      shininess(20.0f), rotationTime(rotationTime), cubieCount(0), layerCount(3 * n) {
    // A single cubie has no layers worth turning; checked before anything is allocated.
    assert(n >= 2);
    assert(cubieSize > 0);
    assert(rotationTime > 0);
    int interior = n - 2;
    cubieCount = n < 3 ? cellCount : cellCount - interior * interior * interior;

    grid.assign(cellCount, nullptr);
    cubies.reserve(cubieCount);
    float first = cubieSize * 0.5f - halfExtent();
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                if (isInterior(x, y, z, n))
                    continue;
                Vec3f centre(first + x * cubieSize, first + y * cubieSize, first + z * cubieSize);
                Cube* cubie = new Cube(cubieSize, centre, halfExtent());
                grid[x + y * n + z * n * n] = cubie;
                cubies.push_back(cubie);
            }

    layers.assign(layerCount, nullptr);
    for (int axis = 0; axis < 3; ++axis)
        for (int index = 0; index < n; ++index)
            layers[axis * n + index] = new Layer(n, axis, index);

    // 5 degrees per tick for a 0.3 s turn.
    float step = static_cast<float>((PI / 2) * (SECONDS_PER_FRAME / rotationTime));
    for (int d = 0; d < 2; ++d) {
        float angle = d == 0 ? step : -step;
        stepMatrices[0][d] = Matrix4f::rotationX(angle);
        stepMatrices[1][d] = Matrix4f::rotationY(angle);
        stepMatrices[2][d] = Matrix4f::rotationZ(angle);
    }
}

RubiksCube::~RubiksCube() {
    for (Cube* cubie : cubies)
        delete cubie;
    for (Layer* layer : layers)
        delete layer;
}

float RubiksCube::layerLowerBound(int layerNumber) const {
    assert(layerNumber >= 0 && layerNumber < layerCount);
    return (layerNumber % n) * cubieSize - halfExtent();
}

Layer::Cell RubiksCube::cellOf(const Vec3f& point) const {
    float edge = n * cubieSize;
    int cell[3];
    for (int i = 0; i < 3; ++i) {
        float c = point[i] + edge / 2;
        // Written so that NaN lands in cell 0 instead of reaching the int conversion.
        if (!(c >= 0))
            cell[i] = 0;
        else if (c > edge)
            cell[i] = n - 1;
        else
            cell[i] = std::min(static_cast<int>(c / cubieSize), n - 1);
    }
    return {cell[0], cell[1], cell[2]};
}

bool RubiksCube::validate() const {
    if (n < 2 || cellsPerLayer != n * n || cellCount != n * n * n || layerCount != 3 * n)
        return fail("sizes disagree with n");
    if (static_cast<int>(grid.size()) != cellCount)
        return fail("grid does not hold n^3 cells");
    if (static_cast<int>(cubies.size()) != cubieCount)
        return fail("cubieCount differs from the number of cubies");
    if (static_cast<int>(layers.size()) != layerCount)
        return fail("layer list does not hold 3n layers");
    for (int number = 0; number < layerCount; ++number) {
        const Layer* layer = layers[number];
        if (!layer || layer->axis != number / n || layer->index != number % n || layer->size != n ||
            static_cast<int>(layer->cells.size()) != cellsPerLayer)
            return fail("a layer does not match its number");
    }

    // Cubie -> number of grid cells holding it.
    std::unordered_map<const Cube*, int> seen;
    for (const Cube* cubie : cubies)
        if (!cubie || !seen.emplace(cubie, 0).second)
            return fail("cubie list holds a null or repeated cubie");
    for (int z = 0; z < n; ++z)
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const Cube* cubie = cubieAt(x, y, z);
                if (isInterior(x, y, z, n) != (cubie == nullptr))
                    return fail("an interior cell is filled or a surface cell empty");
                if (!cubie)
                    continue;
                auto entry = seen.find(cubie);
                if (entry == seen.end())
                    return fail("a grid cell holds a cubie that is not in the cubie list");
                if (++entry->second > 1)
                    return fail("a cubie sits in two grid cells");
            }
    for (const auto& entry : seen)
        if (entry.second != 1)
            return fail("a cubie is missing from the grid");
    return validateTurn(*this);
}
