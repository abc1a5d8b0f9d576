#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <cstdint>
#include <string>

// How a stick's or trigger's value is written where bytes count (records, online messages):
// as a varint code c after the value it had before, `last`:
//   0, 1, 2, 3   the values 0, -0, 1 and -1: where sticks rest or are pushed all the way, and the
//                keyboard's only values
//   4 (BITS)     the float's bits follow, 4 bytes little-endian: any other value
//   5 on         a whole number of 1/32768ths in [-1, 1] (what every pad reports): 4 + the
//                zigzag of its difference from last's (its nearest whole number when last is
//                not one, 0 when last is beyond [-1, 1])
// A pad's stick moving at a steady hand costs 2 bytes, a still one nothing (the callers write
// only values that changed). Varints are little-endian base 128.
namespace controlcoding {

constexpr uint64_t BITS = 4;

uint64_t zigzag(int64_t v);
int64_t unzigzag(uint64_t v);
void putVarint(std::string& out, uint64_t v);
void putLittleEndian(std::string& out, uint64_t v, int bytes);

// Appends the code of `value` after `last`, and its bits where the code is BITS.
void putValue(std::string& out, float last, float value);
// The value a code other than BITS names after `last`. False when it names a number of
// 1/32768ths beyond [-1, 1].
bool valueOf(uint64_t code, float last, float& value);

} // namespace controlcoding
