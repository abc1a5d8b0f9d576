#include "collision/collisiondetector.h"

#include <algorithm>
#include <cstdio>

namespace {

bool broken(const char* rule) {
    printf("CollisionDetector::validate: %s\n", rule);
    return false;
}

} // namespace

bool CollisionDetector::validate() const {
    for (size_t k = 0; k < objects.size(); ++k) {
        const CollidingObject* registered = objects[k];
        if (registered->index != static_cast<int>(k))
            return broken("index differs from the position in objects");
        if (registered->overlapBits.size() < k)
            return broken("overlapBits shorter than the index");
    }
    EntryPositions positions[3];
    for (int axis = 0; axis < 3; ++axis) {
        if (!validateList(axis, positions[axis]))
            return false;
    }
    return validatePairs(positions);
}

// Also records where each object's entries stand, for the pair check.
bool CollisionDetector::validateList(int axis, EntryPositions& positions) const {
    const std::vector<IntervalEntry*>& entries = getList(axis);
    const int count = static_cast<int>(objects.size());
    if (entries.size() != 2 * objects.size())
        return broken("a list does not hold two entries per object");
    positions.start.assign(objects.size(), -1);
    positions.end.assign(objects.size(), -1);
    for (size_t at = 0; at < entries.size(); ++at) {
        const IntervalEntry* entry = entries[at];
        const CollidingObject* owner = entry->owner;
        if (owner == nullptr || owner->index < 0 || owner->index >= count ||
            objects[owner->index] != owner)
            return broken("an entry's owner is not registered");
        const int element = 2 * axis + (entry->isStart ? 0 : 1);
        if (entry->value != &owner->box->intervals[element])
            return broken("an entry's value does not point at its owner's bound");
        const IntervalEntry* expected =
            entry->isStart ? owner->startEntries[axis] : owner->endEntries[axis];
        if (entry != expected)
            return broken("an owner's start or end entry is not the one in the list");
        int& position =
            entry->isStart ? positions.start[owner->index] : positions.end[owner->index];
        if (position != -1)
            return broken("an entry appears twice in a list");
        position = static_cast<int>(at);
        if (at > 0 && *entries[at - 1]->value > *entry->value)
            return broken("a list is out of order");
    }
    return true;
}

bool CollisionDetector::validatePairs(const EntryPositions positions[3]) const {
    size_t overlapping = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
        const CollidingObject* higher = objects[i];
        for (size_t j = 0; j < i; ++j) {
            const CollidingObject* lower = objects[j];
            unsigned char expected = 0;
            // an untracked pair keeps the zero byte it was registered with
            for (int axis = 0; axis < 3 && !(higher->scenery && lower->scenery); ++axis) {
                const EntryPositions& at = positions[axis];
                if (at.start[i] < at.end[j] && at.start[j] < at.end[i])
                    expected |= static_cast<unsigned char>(1 << axis);
            }
            if (higher->overlapBits[j] != expected)
                return broken("a pair's byte differs from the order of its entries");
            auto listed = std::count(higher->overlaps.begin(), higher->overlaps.end(), lower);
            if (listed != (expected == 7 ? 1 : 0))
                return broken("overlaps does not list exactly the pairs whose byte is 7");
            if (expected == 7)
                ++overlapping;
        }
    }
    // Each partner was counted once above; anything beyond that is a stranger in a list.
    size_t listedTotal = 0;
    for (const CollidingObject* registered : objects)
        listedTotal += registered->overlaps.size();
    if (listedTotal != overlapping)
        return broken("an overlaps list holds an object that is not a lower-index partner");
    return true;
}
