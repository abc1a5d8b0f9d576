#include "replay/controlcoding.h"

#include <cmath>
#include <cstring>

namespace controlcoding {

namespace {

constexpr float PAD_UNITS = 32768.0f; // a pad's axis in whole 1/32768ths
constexpr int32_t PAD_LIMIT = 32768;
constexpr float EXACT[] = {0.0f, -0.0f, 1.0f, -1.0f};
constexpr uint32_t EXACT_VALUES = 4;

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A value that is a whole number of 1/32768ths in [-1, 1] (not -0): that number.
bool padUnits(float value, int32_t& units) {
    if (!(value >= -1.0f && value <= 1.0f) || (value == 0.0f && std::signbit(value)))
        return false;
    float scaled = value * PAD_UNITS; // exact: a power of two
    if (scaled != std::floor(scaled))
        return false;
    units = static_cast<int32_t>(scaled);
    return true;
}

// Where the next value's difference counts from: the last value's units, or the nearest.
int32_t unitsBase(float last) {
    int32_t units = 0;
    if (padUnits(last, units))
        return units;
    if (!(last >= -1.0f && last <= 1.0f)) // NaN and beyond the range: from the middle
        return 0;
    return static_cast<int32_t>(std::lround(last * PAD_UNITS));
}

} // namespace

uint64_t zigzag(int64_t v) {
    return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63);
}

int64_t unzigzag(uint64_t v) {
    return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
}

void putVarint(std::string& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<char>((v & 0x7f) | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<char>(v));
}

void putLittleEndian(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void putValue(std::string& out, float last, float value) {
    uint32_t bits = bitsOf(value);
    for (uint32_t code = 0; code < EXACT_VALUES; ++code)
        if (bits == bitsOf(EXACT[code])) {
            out.push_back(static_cast<char>(code));
            return;
        }
    int32_t units = 0;
    int64_t step = padUnits(value, units) ? units - unitsBase(last) : 0;
    if (step != 0) {
        putVarint(out, BITS + zigzag(step));
    } else {
        out.push_back(static_cast<char>(BITS));
        putLittleEndian(out, bits, 4);
    }
}

bool valueOf(uint64_t code, float last, float& value) {
    if (code < EXACT_VALUES) {
        value = EXACT[code];
        return true;
    }
    if (code == BITS || code - BITS > 4 * static_cast<uint64_t>(PAD_LIMIT))
        return false;
    int64_t units = unitsBase(last) + unzigzag(code - BITS);
    if (units < -PAD_LIMIT || units > PAD_LIMIT)
        return false;
    value = static_cast<float>(units) / PAD_UNITS;
    return true;
}

} // namespace controlcoding
