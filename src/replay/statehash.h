#pragma once

// Replay floor: matches kept as their inputs: the record's format, its reader and writer, the
// state hash, replaying and the headless verifier. May use match and the layers below; no
// window, no drawing.

#include <cstdint>
#include <string>

class Match;

// The state of a match as bytes in a fixed order, every number by its exact bit pattern: the
// shared random source (seed, draws, table index); the match (round, wins, countdown, whether
// the round is decided, each seat's flags and its tank's health); the world's timers, counts
// and the turn under way; every cubie's matrix and stickers and the grid's order; then every
// object in list order (type, face, position, velocity, up, forward, matrix, riding flag, and
// what its kind carries: a tank's drive, timers, spin, health and items, a shell's kind and
// radius, an explosion's radius and growth, an item box's spin and mini cube's turn, a block's
// size). Two matches with the same bytes play on the same. Appends to `out`.
void appendMatchState(const Match& match, std::string& out);

// XXH3 (64 bits) of appendMatchState: what records keep every 60 ticks and compare on replay.
// About a microsecond for every 4 KB of state (a 5x5x5 cube holds about 10 KB).
uint64_t hashMatchState(const Match& match);
