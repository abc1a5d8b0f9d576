#pragma once

#include <vector>

#include "math/matrix.h"
#include "math/vectors.h"

class Object;

// The fading tread marks behind one tank: the last `duration` seconds of the edges of both
// treads, one entry per tick (the trail assumes 60 ticks per second), in two ring buffers.
// Owned by its tank; reads the tank's position and frame (as any standing object has them),
// owns nothing else.
class TreadTrail {
public:
    // One tick's marks of one tread: its two edges, world space.
    struct Entry {
        Vec3f first;  // left tread: outer edge; right tread: inner edge
        Vec3f second; // left tread: inner edge; right tread: outer edge
    };

    // `duration` in seconds; `trackSpacing` between the treads' centres, `treadWidth` of one
    // tread, world units.
    TreadTrail(const Object* owner, float duration, float trackSpacing, float treadWidth);

    // Records where the treads are now, over the oldest entry.
    void update();
    // Turns every recorded point with a layer turn.
    void transform(const Matrix4f& m);
    // GL only: the two ribbons in the owner's frame (the caller applied its matrix), newest
    // marks nearly opaque, oldest clear. Nothing in the shadow pass.
    void draw(bool shadow) const;

    const Object* owner; // not owned
    float halfSpacing;   // world units
    float halfWidth;     // world units
    float duration;      // seconds
    std::vector<Entry> leftTrack;
    std::vector<Entry> rightTrack;
    int count; // entries per track, one per tick
    int next;  // entry written next: also the oldest

private:
    void drawTrack(const std::vector<Entry>& track, float height) const;
};
