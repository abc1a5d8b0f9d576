#pragma once

#include "math/vectors.h"

// Timing of the simulation: 60 ticks per second.
constexpr double MS_PER_FRAME = 1000.0 / 60;   // milliseconds
constexpr double SECONDS_PER_FRAME = 1.0 / 60; // seconds

// 4 * atan(1). Degrees become radians with deg * PI / 180 everywhere.
constexpr double PI = 3.14159265358979323846;

constexpr Vec3f X_AXIS(1.0f, 0.0f, 0.0f);
constexpr Vec3f Y_AXIS(0.0f, 1.0f, 0.0f);
constexpr Vec3f Z_AXIS(0.0f, 0.0f, 1.0f);
constexpr Vec3f NEG_X_AXIS(-1.0f, 0.0f, 0.0f);
constexpr Vec3f NEG_Y_AXIS(0.0f, -1.0f, 0.0f);
constexpr Vec3f NEG_Z_AXIS(0.0f, 0.0f, -1.0f);

// One quarter turn of a cube layer, in seconds: 18 frames.
constexpr float ROTATION_TIME = static_cast<float>(18 * SECONDS_PER_FRAME);
