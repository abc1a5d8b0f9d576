#pragma once

#include <cstddef>
#include <unordered_set>

class Object;

// The blocks one pass of drawing has sent within one run of the same lights. A block exactly
// like one of them (the same placement, size and colour, bit for bit) sends the very same
// vertices and so covers the very same fragments at the very same depth, which the depth test
// (or, for shadows, the stencil) then turns away: leaving it out changes no pixel. The level
// editor's "copy to other faces", pressed again and again, stacks hundreds of such twins on one
// spot. Owns nothing; costs a hash of 22 floats per block offered.
class DrawnBlocks {
public:
    void clear() { seen.clear(); }
    // False for a twin of a block offered since clear(); true for anything else, and for any
    // object that is not exactly a Box (another class may draw as it likes).
    bool firstOfItsKind(const Object& object);

private:
    struct Key {
        float values[22]; // the placement matrix, width, depth, height, red, green, blue
        bool operator==(const Key& other) const;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    std::unordered_set<Key, KeyHash> seen;
};
