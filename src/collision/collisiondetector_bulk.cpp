#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "collision/collisiondetector.h"
#include "collision/collisiondetector_pairs.h"

// What the insertion sort would do from `from` on, all at once. The sort leaves the entries in
// their stable order by value, and it passes an entry p over every earlier entry q of greater
// value, one swap each, nearest first: so the pair events are one per such inversion, ordered by
// p's place in the list and then by q's place in the final order, from the top down. Here the
// final order comes from one stable sort, and the inversions are found per p instead of walked
// through: a scenery p can only meet the few entries of other objects, so it looks at those
// alone; another p looks at every earlier entry ranked above it. Pairs of scenery, the bulk of
// the swaps, cost nothing.
//
// Refuses (false, nothing changed) a list holding a value that is not a number: the sort stops
// at such an entry, which no order by value can say.
bool CollisionDetector::repairInBulk(std::vector<IntervalEntry*>& list, size_t from,
                                     unsigned char bitMask) {
    const size_t count = list.size();
    std::vector<float> values(count);
    for (size_t at = 0; at < count; ++at) {
        values[at] = *list[at]->value;
        if (std::isnan(values[at]))
            return false;
    }
    // order[r]: the list position of the entry that ends up r-th; rank is its inverse.
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&values](uint32_t a, uint32_t b) { return values[a] < values[b]; });
    std::vector<uint32_t> rank(count);
    for (uint32_t r = 0; r < count; ++r)
        rank[order[r]] = r;

    auto meet = [bitMask](IntervalEntry* p, IntervalEntry* q) {
        if (q->isStart == p->isStart || !collisionpairs::tracked(p->owner, q->owner))
            return;
        if (p->isStart) // p's start now lies below q's end
            collisionpairs::beginAxisOverlap(p->owner, q->owner, bitMask);
        else // p's end now lies below q's start
            collisionpairs::endAxisOverlap(p->owner, q->owner, bitMask);
    };
    std::vector<char> earlier(count, 0); // by rank: the entry stands before the current one
    std::vector<uint32_t> others;        // ranks of the earlier entries of non-scenery, ascending
    // every entry before `at` is marked in `earlier` and, unless scenery, listed in `others`;
    // the events of every entry before `at` have been made
    for (size_t at = 0; at < count; ++at) {
        IntervalEntry* p = list[at];
        const uint32_t r = rank[at];
        // Before `from` the sort has left the list in order: nothing there inverts.
        if (at >= from && p->owner->scenery) {
            for (auto q = others.rbegin(); q != others.rend() && *q > r; ++q)
                meet(p, list[order[*q]]);
        } else if (at >= from) {
            for (uint32_t q = static_cast<uint32_t>(count) - 1; q > r; --q)
                if (earlier[q])
                    meet(p, list[order[q]]);
        }
        earlier[r] = 1;
        if (!p->owner->scenery)
            others.insert(std::upper_bound(others.begin(), others.end(), r), r);
    }

    std::vector<IntervalEntry*> unsorted(list);
    for (size_t r = 0; r < count; ++r)
        list[r] = unsorted[order[r]];
    return true;
}
