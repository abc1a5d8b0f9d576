#pragma once

// Match floor: the rules of a match over the world, headless. May use entities and the layers
// below, and input; no window, no drawing.

constexpr int MAX_PLAYERS = 6; // one tank a face

// How well computer tanks play.
enum class Difficulty { EASY, NORMAL, HARD };
