#include "collision/collisiondetector.h"
#include "collision/collisiondetector_pairs.h"

#include <cstdint>

namespace {
// Entries ahead of the sort for which the entry itself is fetched; values are fetched half as
// far ahead, once their entry has arrived. Distances from 8 to 32 measured alike.
const size_t PREFETCH_AHEAD = 16;
} // namespace

void CollisionDetector::getCollisions(std::vector<Collision*>& list) {
    list.clear();
    repairList(xList, 1);
    repairList(yList, 2);
    repairList(zList, 4);

    for (const CollidingObject* registered : objects) {
        for (const CollidingObject* partner : registered->overlaps)
            list.push_back(new Collision{registered->object, partner->object});
    }
}

// Insertion sort that keeps the pair flags in step with every swap of a start and an end.
// Objects move little between queries, so almost every entry stays where it is and costs one
// comparison against the running maximum instead of a second read through its neighbour.
// That comparison reads through two pointers into memory laid out by registration, not by
// position along the axis, so the entries and values a few places ahead are fetched early.
// Once the swaps exceed their budget, the bulk repair takes over where the sort stands.
void CollisionDetector::repairList(std::vector<IntervalEntry*>& list, unsigned char bitMask) const {
    IntervalEntry** entries = list.data();
    const size_t count = list.size();
    if (count < 2)
        return;
    const size_t budget = swapsPerEntry > SIZE_MAX / count ? SIZE_MAX : count * swapsPerEntry;
    size_t swaps = 0;
    bool bulkRefused = false;
    float highest = *entries[0]->value;
    // entries[0, i) are in order and `highest` is the value of entries[i - 1]
    for (size_t i = 1; i < count; ++i) {
        if (i + PREFETCH_AHEAD < count) {
            __builtin_prefetch(entries[i + PREFETCH_AHEAD]);
            __builtin_prefetch(entries[i + PREFETCH_AHEAD / 2]->value);
        }
        IntervalEntry* p = entries[i];
        const float value = *p->value;
        if (!(highest > value)) {
            highest = value;
            continue;
        }
        if (swaps > budget && !bulkRefused) {
            if (repairInBulk(list, i, bitMask))
                return;
            bulkRefused = true;
        }
        // Every entry passed over is strictly greater than p; equal values never swap. The
        // entry that ends up at i held `highest`, so it stays the prefix maximum.
        const bool pIsStart = p->isStart;
        CollidingObject* const pOwner = p->owner;
        size_t j = i;
        do {
            IntervalEntry* q = entries[j - 1];
            entries[j] = q;
            if (q->isStart != pIsStart && collisionpairs::tracked(pOwner, q->owner)) {
                if (pIsStart) // p's start now lies below q's end: they meet on this axis
                    collisionpairs::beginAxisOverlap(pOwner, q->owner, bitMask);
                else // p's end now lies below q's start: they part on this axis
                    collisionpairs::endAxisOverlap(pOwner, q->owner, bitMask);
            }
            --j;
        } while (j > 0 && *entries[j - 1]->value > value);
        entries[j] = p;
        swaps += i - j;
    }
}
