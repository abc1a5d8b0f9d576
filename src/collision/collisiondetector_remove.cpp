#include "collision/collisiondetector.h"

#include <algorithm>
#include <cassert>

void CollisionDetector::removeObject(Object* object) {
    auto found = std::find_if(objects.begin(), objects.end(),
                              [object](const CollidingObject* c) { return c->object == object; });
    if (found == objects.end())
        return;
    CollidingObject* departing = *found;
    const size_t i = static_cast<size_t>(departing->index);

    // Every later object loses the departing one's byte and moves down one place; its bytes
    // for indices below i stay where they are, those from i + 1 on shift down with the index.
    for (size_t j = i + 1; j < objects.size(); ++j) {
        CollidingObject* later = objects[j];
        std::vector<CollidingObject*>& overlaps = later->overlaps;
        auto partner = std::find(overlaps.begin(), overlaps.end(), departing);
        if (partner != overlaps.end())
            overlaps.erase(partner);
        unsigned char* bits = later->overlapBits.data();
        std::copy(bits + i + 1, bits + j, bits + i);
        later->index -= 1;
        objects[j - 1] = later;
    }
    objects.pop_back();

    for (int axis = 0; axis < 3; ++axis) {
        removeEntry(list(axis), departing->startEntries[axis]);
        removeEntry(list(axis), departing->endEntries[axis]);
    }
    delete departing;
}

void CollisionDetector::removeEntry(std::vector<IntervalEntry*>& entries,
                                    const IntervalEntry* entry) {
    auto found = std::find(entries.begin(), entries.end(), entry);
    assert(found != entries.end());
    entries.erase(found);
}
