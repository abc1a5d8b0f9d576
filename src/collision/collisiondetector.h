#pragma once

#include <cstddef>
#include <vector>

#include "collision/axisalignedboundingbox.h"

// The world object that owns a registered box. The detector never looks inside it: it only
// hands the pointer back in Collision records, so collision code needs no world code.
class Object;

// One pair of overlapping boxes from a query. The record belongs to whoever asked for it.
struct Collision {
    Object* object1; // registered later (the higher index)
    Object* object2; // registered earlier
};

// Finds, once per world update, every pair of registered objects whose bounding boxes overlap.
// Incremental sweep-and-prune: per world axis a list of the boxes' end points, repaired by
// insertion sort on each query, with one byte of axis flags per pair of objects kept in step
// with the swaps the sort makes. Objects move little between updates, so a query costs little
// more than one pass over each list.
//
// Scenery (a level's blocks) never meets scenery: a pair of two scenery objects is neither
// tracked nor reported, whatever their boxes do. A level may stack a thousand blocks on one spot,
// and what those pairs would cost every query grows with the square of the blocks; nothing is
// ever done with them. Every other pair is kept and reported exactly as if no object were
// scenery, in the same order.
//
// Owns its CollidingObjects and their entries; owns neither the boxes nor their owners. The end
// points are read in place from each registered box's intervals, so a registered box must stay
// at one address until its owner is removed.
class CollisionDetector {
public:
    struct CollidingObject;

    // One end point of one box on one axis.
    struct IntervalEntry {
        CollidingObject* owner = nullptr;
        float* value = nullptr; // inside owner->box->intervals, never copied
        bool isStart = false;   // the min end point; otherwise the max
    };

    // The detector's record of one registered object; owned by the detector.
    struct CollidingObject {
        CollidingObject(AxisAlignedBoundingBox* box, Object* object, int index, bool scenery);
        CollidingObject(const CollidingObject&) = delete;
        CollidingObject& operator=(const CollidingObject&) = delete;

        AxisAlignedBoundingBox* box; // the bounds read in place; not owned
        Object* object;              // opaque owner, handed back in records; not owned
        int index;                   // position in the detector's objects
        bool scenery;                // pairs with other scenery are not tracked
        // One byte per object of lower index: bit 1 x, 2 y, 4 z; 7 = overlap on all axes.
        // Sized at registration and never shrunk, so after removals only the first `index`
        // bytes mean anything.
        std::vector<unsigned char> overlapBits;
        // Lower-index objects overlapping this one on all axes, in the order they began to.
        std::vector<CollidingObject*> overlaps;
        IntervalEntry* startEntries[3]; // x, y, z; point into `entries`
        IntervalEntry* endEntries[3];
        // The six entries live here rather than one allocation each: the sort reads them on
        // every query, and neighbours in memory are cheaper to reach.
        IntervalEntry entries[6];
        // Scratch of a registration's walk along one axis: the walk's number when this
        // object's start was passed, and when its end was passed after its start.
        unsigned long long startedInWalk = 0;
        unsigned long long endedInWalk = 0;
    };

    CollisionDetector() = default;
    ~CollisionDetector();
    CollisionDetector(const CollisionDetector&) = delete;
    CollisionDetector& operator=(const CollisionDetector&) = delete;

    // Registers `box` (which must already hold its current bounds) for `owner`, the pointer
    // records will name; `scenery` never pairs with scenery. Registering an owner twice is a
    // programming error. Costs one walk along each axis list.
    void addObject(AxisAlignedBoundingBox& box, Object* owner, bool scenery = false);
    // Unregisters the owner's box; ignores an owner that is not registered.
    void removeObject(Object* owner);
    // Clears `list`, then fills it with one new record per overlapping pair, the later
    // registered object first. The caller deletes the records.
    void getCollisions(std::vector<Collision*>& list);

    // Swaps a query's insertion sort may make per list entry before it hands the rest of the
    // list to the bulk repair, which costs about n log n plus n per entry of a non-scenery object
    // and gives exactly the same order, pairs and report. The sort suits the small moves of
    // ordinary ticks; after a layer turn has carried hundreds of blocks past hundreds of others,
    // it would swap them one by one. Tests set it to 0 (the bulk repair from the first swap on)
    // or to a huge number (never) to compare the two.
    size_t swapsPerEntry = 16;

    // Checks every invariant of the lists, indices, pair bytes and overlap lists; prints the
    // first broken one. Quadratic in the number of objects: for tests.
    bool validate() const;

    bool isRegistered(const Object* object) const;
    const std::vector<CollidingObject*>& getObjects() const { return objects; }
    // 1 = y, 2 = z, anything else = x.
    const std::vector<IntervalEntry*>& getList(int axis) const;

private:
    std::vector<IntervalEntry*>& list(int axis);
    void insertEntries(CollidingObject* added, int axis);
    void repairList(std::vector<IntervalEntry*>& entries, unsigned char bitMask) const;
    static bool repairInBulk(std::vector<IntervalEntry*>& entries, size_t from,
                             unsigned char bitMask);
    static void removeEntry(std::vector<IntervalEntry*>& entries, const IntervalEntry* entry);

    // List positions of each object's start and end entries on one axis, by object index.
    struct EntryPositions {
        std::vector<int> start;
        std::vector<int> end;
    };
    bool validateList(int axis, EntryPositions& positions) const;
    bool validatePairs(const EntryPositions positions[3]) const;

    std::vector<CollidingObject*> objects; // registration order; position = index
    std::vector<IntervalEntry*> xList;     // sorted ascending by value after each query
    std::vector<IntervalEntry*> yList;
    std::vector<IntervalEntry*> zList;
    unsigned long long walks = 0; // registration walks so far, numbering each one's marks
};
