#include "world/drawnblocks.h"

#include <cstdint>
#include <cstring>
#include <typeinfo>

#include "world/box.h"

namespace {

// Floats compared as their bits: a block is a twin only if it would send the same numbers.
uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

bool DrawnBlocks::Key::operator==(const Key& other) const {
    for (int i = 0; i < 22; ++i)
        if (bitsOf(values[i]) != bitsOf(other.values[i]))
            return false;
    return true;
}

std::size_t DrawnBlocks::KeyHash::operator()(const Key& key) const {
    uint64_t hash = 1469598103934665603ull; // FNV-1a over the values' bits
    for (float value : key.values) {
        hash ^= bitsOf(value);
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
}

bool DrawnBlocks::firstOfItsKind(const Object& object) {
    if (typeid(object) != typeid(Box))
        return true;
    const Box& box = static_cast<const Box&>(object);
    Key key;
    std::memcpy(key.values, box.matrix.data(), 16 * sizeof(float));
    key.values[16] = box.width;
    key.values[17] = box.depth;
    key.values[18] = box.height;
    key.values[19] = box.colour.x();
    key.values[20] = box.colour.y();
    key.values[21] = box.colour.z();
    return seen.insert(key).second;
}
