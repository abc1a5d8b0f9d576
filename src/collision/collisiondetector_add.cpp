#include "collision/collisiondetector.h"
#include "collision/collisiondetector_pairs.h"

#include <algorithm>
#include <cassert>

void CollisionDetector::addObject(AxisAlignedBoundingBox& box, Object* owner, bool scenery) {
    // A second record of the same owner would pair it with itself, and removing the owner
    // would leave the other record reading a deleted box.
    assert(!isRegistered(owner));
    auto* added = new CollidingObject(&box, owner, static_cast<int>(objects.size()), scenery);
    objects.push_back(added);
    for (int axis = 0; axis < 3; ++axis)
        insertEntries(added, axis);
}

// Walks the list once, collecting the owners whose intervals the new one meets on this axis.
// Equal values go before the new entries: an existing max equal to the new min does not count
// as overlapping here, an existing min equal to the new max does. Between queries the list may
// be out of order (objects have moved since); the walk then stops at the first entry above the
// bound, and an end met before its own start removes nothing.
//
// The candidates are the owners whose start the walk passed, in that order, less those whose end
// it passed after their start and before the new start, and less scenery when the new object is
// scenery. Each passed entry marks its owner rather than searching a list of candidates, so a
// walk past a thousand stacked blocks stays linear.
void CollisionDetector::insertEntries(CollidingObject* added, int axis) {
    std::vector<IntervalEntry*>& entries = list(axis);
    IntervalEntry* start = added->startEntries[axis];
    IntervalEntry* end = added->endEntries[axis];
    const float lo = *start->value;
    const float hi = *end->value;
    const unsigned long long walk = ++walks;
    std::vector<CollidingObject*> started;

    size_t at = 0;
    // every owner whose start has been passed is in `started` and marked with this walk;
    // those whose end has been passed since are marked ended as well
    while (at < entries.size() && *entries[at]->value <= lo) {
        IntervalEntry* entry = entries[at];
        CollidingObject* owner = entry->owner;
        if (entry->isStart) {
            if (collisionpairs::tracked(added, owner)) {
                owner->startedInWalk = walk;
                started.push_back(owner);
            }
        } else if (owner->startedInWalk == walk) {
            owner->endedInWalk = walk;
        }
        ++at;
    }
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), start);
    ++at;
    // every start passed here lies inside the new interval; ends no longer matter
    while (at < entries.size() && *entries[at]->value <= hi) {
        if (entries[at]->isStart && collisionpairs::tracked(added, entries[at]->owner))
            started.push_back(entries[at]->owner);
        ++at;
    }
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), end);

    const unsigned char bitMask = static_cast<unsigned char>(1 << axis);
    for (CollidingObject* candidate : started)
        if (candidate->endedInWalk != walk)
            collisionpairs::beginAxisOverlap(added, candidate, bitMask);
}
