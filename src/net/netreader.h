#pragma once

// Net floor: matches shared by several machines, in lockstep on their inputs over ENet. May use
// replay, match, input and the layers below; no window, no drawing.

#include <cstddef>
#include <cstdint>
#include <string>

namespace net {

// Reads a packet with every access bounds-checked: a read past the end, a varint of more than
// ten bytes or a text over its limit fails and leaves the reader failed, so that a decoder may
// read everything and look once.
class NetReader {
public:
    NetReader(const uint8_t* data, size_t size) : data(data), size(size) {}

    uint8_t byte();
    uint64_t littleEndian(int bytes); // 1..8
    uint64_t varint();
    std::string text(size_t limit);

    // Marks what was read as out of its limits.
    void refuse() { bad = true; }
    bool failed() const { return bad; }
    // Everything read, nothing failed and nothing left over.
    bool done() const { return !bad && at == size; }

private:
    bool need(size_t bytes);

    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool bad = false;
};

void putVarint(std::string& out, uint64_t value);
void putLittleEndian(std::string& out, uint64_t value, int bytes);
void putText(std::string& out, const std::string& text);

} // namespace net
