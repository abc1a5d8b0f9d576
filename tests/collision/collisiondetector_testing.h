#pragma once

#include <utility>
#include <vector>

#include "collision/collisiondetector.h"
#include "math/vectors.h"
#include "world/object.h"

namespace collisiontesting {

// A world object that is only a box. Its extents are given in world coordinates relative to
// an offset of (0, 0, 0), so that offsets made of small binary fractions give exact bounds
// (the touching cases depend on exactly equal end points).
class TestBox : public Object {
public:
    TestBox(const Vec3f& low, const Vec3f& high) : Object(Vec3f(0, 0, 1), nullptr) {
        resize(low, high);
    }

    void draw(bool) override {}

    void resize(const Vec3f& low, const Vec3f& high) {
        boundingBox.setExtents(low.x(), high.x(), low.y(), high.y(), low.z(), high.z(),
                               Vec3f(0, 0, 1), Vec3f(0, 1, 0));
        boundingBox.moveTo(boundingBox.position, false);
    }

    void moveTo(const Vec3f& offset, bool sweep = false) { boundingBox.moveTo(offset, sweep); }
};

using Pair = std::pair<Object*, Object*>; // (object1, object2) of one record

// One query, as pairs in report order; the records are deleted here.
inline std::vector<Pair> query(CollisionDetector& detector) {
    std::vector<Collision*> records;
    detector.getCollisions(records);
    std::vector<Pair> pairs;
    for (Collision* record : records) {
        pairs.emplace_back(record->object1, record->object2);
        delete record;
    }
    return pairs;
}

} // namespace collisiontesting
