#include "net/netreader.h"

#include "replay/controlcoding.h"

namespace net {

bool NetReader::need(size_t bytes) {
    if (bad || size - at < bytes) {
        bad = true;
        return false;
    }
    return true;
}

uint8_t NetReader::byte() {
    if (!need(1))
        return 0;
    return data[at++];
}

uint64_t NetReader::littleEndian(int bytes) {
    if (!need(static_cast<size_t>(bytes)))
        return 0;
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(data[at + i]) << (8 * i);
    at += static_cast<size_t>(bytes);
    return value;
}

uint64_t NetReader::varint() {
    uint64_t value = 0;
    // Invariant: value holds the 7-bit groups read so far; the tenth may carry only bit 63.
    for (int shift = 0; shift < 64; shift += 7) {
        uint8_t b = byte();
        if (bad || (shift == 63 && b > 1)) {
            bad = true;
            return 0;
        }
        value |= static_cast<uint64_t>(b & 0x7f) << shift;
        if ((b & 0x80) == 0)
            return value;
    }
    bad = true;
    return 0;
}

std::string NetReader::text(size_t limit) {
    uint64_t length = varint();
    if (bad || length > limit || !need(static_cast<size_t>(length))) {
        bad = true;
        return std::string();
    }
    std::string out(reinterpret_cast<const char*>(data + at), static_cast<size_t>(length));
    at += static_cast<size_t>(length);
    return out;
}

// Written as records write them.
void putVarint(std::string& out, uint64_t value) {
    controlcoding::putVarint(out, value);
}

void putLittleEndian(std::string& out, uint64_t value, int bytes) {
    controlcoding::putLittleEndian(out, value, bytes);
}

void putText(std::string& out, const std::string& text) {
    putVarint(out, text.size());
    out += text;
}

} // namespace net
