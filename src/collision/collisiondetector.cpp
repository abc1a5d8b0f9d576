#include "collision/collisiondetector.h"
#include "collision/collisiondetector_pairs.h"

#include <algorithm>

CollisionDetector::CollidingObject::CollidingObject(AxisAlignedBoundingBox* box, Object* object,
                                                    int index, bool scenery)
    : box(box), object(object), index(index), scenery(scenery),
      overlapBits(static_cast<size_t>(index), 0) {
    float* bounds = box->intervals;
    for (int axis = 0; axis < 3; ++axis) {
        IntervalEntry* start = &entries[2 * axis];
        IntervalEntry* end = &entries[2 * axis + 1];
        start->owner = this;
        start->value = &bounds[2 * axis];
        start->isStart = true;
        end->owner = this;
        end->value = &bounds[2 * axis + 1];
        end->isStart = false;
        startEntries[axis] = start;
        endEntries[axis] = end;
    }
}

CollisionDetector::~CollisionDetector() {
    for (CollidingObject* registered : objects)
        delete registered;
}

bool CollisionDetector::isRegistered(const Object* object) const {
    return std::any_of(objects.begin(), objects.end(),
                       [object](const CollidingObject* c) { return c->object == object; });
}

std::vector<CollisionDetector::IntervalEntry*>& CollisionDetector::list(int axis) {
    if (axis == 1)
        return yList;
    if (axis == 2)
        return zList;
    return xList;
}

const std::vector<CollisionDetector::IntervalEntry*>& CollisionDetector::getList(int axis) const {
    if (axis == 1)
        return yList;
    if (axis == 2)
        return zList;
    return xList;
}

void collisionpairs::removeOverlap(CollidingObject* higher, const CollidingObject* lower) {
    std::vector<CollidingObject*>& overlaps = higher->overlaps;
    auto found = std::find(overlaps.begin(), overlaps.end(), lower);
    if (found != overlaps.end())
        overlaps.erase(found);
}
