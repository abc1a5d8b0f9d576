#pragma once

// Pair operations of the collision detector, inline because the sort makes them on every swap
// of a start and an end. Only the detector's own sources include this.

#include <cassert>

#include "collision/collisiondetector.h"

namespace collisionpairs {

using CollidingObject = CollisionDetector::CollidingObject;

// The pair's byte lives with the higher index, at the lower index.
inline unsigned char& pairByte(CollidingObject* a, CollidingObject* b) {
    int i = a->index;
    int j = b->index;
    assert(i != j);
    return i > j ? a->overlapBits[j] : b->overlapBits[i];
}

// Whether the pair is tracked at all: not when both are scenery. Asserts that the two are not
// one object, whose entries must never meet as a pair's.
inline bool tracked(const CollidingObject* a, const CollidingObject* b) {
    int i = a->index;
    int j = b->index;
    assert(i != j);
    return !(a->scenery && b->scenery);
}

// Removes the first occurrence of `lower` from `higher`'s overlaps, if there is one.
void removeOverlap(CollidingObject* higher, const CollidingObject* lower);

// Sets one axis flag of a tracked pair; a pair that now overlaps on all axes joins the higher's
// overlaps.
inline void beginAxisOverlap(CollidingObject* a, CollidingObject* b, unsigned char bitMask) {
    unsigned char& bits = pairByte(a, b);
    bits |= bitMask;
    if (bits == 7) {
        CollidingObject* higher = a->index > b->index ? a : b;
        higher->overlaps.push_back(higher == a ? b : a);
    }
}

// Clears one axis flag of a tracked pair; the pair leaves the higher's overlaps.
inline void endAxisOverlap(CollidingObject* a, CollidingObject* b, unsigned char bitMask) {
    unsigned char& bits = pairByte(a, b);
    const bool wasOverlapping = bits == 7;
    bits &= static_cast<unsigned char>(~bitMask);
    // Only a pair whose byte was 7 can be in the list, so the others skip the search.
    if (wasOverlapping) {
        CollidingObject* higher = a->index > b->index ? a : b;
        removeOverlap(higher, higher == a ? b : a);
    }
}

} // namespace collisionpairs
