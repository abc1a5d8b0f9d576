#include "collision/collisiondetector.h"
#include "collision/collisiondetector_pairs.h"

#include <algorithm>
#include <cassert>

void CollisionDetector::addObject(AxisAlignedBoundingBox& box, Object* owner) {
    // A second record of the same owner would pair it with itself, and removing the owner
    // would leave the other record reading a deleted box.
    assert(!isRegistered(owner));
    auto* added = new CollidingObject(&box, owner, static_cast<int>(objects.size()));
    objects.push_back(added);
    for (int axis = 0; axis < 3; ++axis)
        insertEntries(added, axis);
}

// Walks the list once, collecting the owners whose intervals the new one meets on this axis.
// Equal values go before the new entries: an existing max equal to the new min does not count
// as overlapping here, an existing min equal to the new max does.
void CollisionDetector::insertEntries(CollidingObject* added, int axis) {
    std::vector<IntervalEntry*>& entries = list(axis);
    IntervalEntry* start = added->startEntries[axis];
    IntervalEntry* end = added->endEntries[axis];
    const float lo = *start->value;
    const float hi = *end->value;
    std::vector<CollidingObject*> active;

    size_t at = 0;
    // active = owners whose start has been passed and whose end has not
    while (at < entries.size() && *entries[at]->value <= lo) {
        IntervalEntry* entry = entries[at];
        if (entry->isStart) {
            active.push_back(entry->owner);
        } else {
            auto found = std::find(active.begin(), active.end(), entry->owner);
            if (found != active.end())
                active.erase(found);
        }
        ++at;
    }
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), start);
    ++at;
    // every start passed here lies inside the new interval; ends no longer matter
    while (at < entries.size() && *entries[at]->value <= hi) {
        if (entries[at]->isStart)
            active.push_back(entries[at]->owner);
        ++at;
    }
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), end);

    const unsigned char bitMask = static_cast<unsigned char>(1 << axis);
    for (CollidingObject* candidate : active)
        collisionpairs::beginAxisOverlap(added, candidate, bitMask);
}
