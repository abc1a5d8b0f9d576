#pragma once

#include "math/vectors.h"

// RGBA colours, handed to OpenGL through data().
constexpr Vec4f BLACK(0.0f, 0.0f, 0.0f, 1.0f);
constexpr Vec4f WHITE(1.0f, 1.0f, 1.0f, 1.0f);
constexpr Vec4f BLUE(0.0f, 0.0f, 1.0f, 1.0f);
constexpr Vec4f GREEN(0.0f, 1.0f, 0.0f, 1.0f);
constexpr Vec4f ORANGE(1.0f, 0.5f, 0.0f, 1.0f);
constexpr Vec4f RED(1.0f, 0.0f, 0.0f, 1.0f);
constexpr Vec4f YELLOW(1.0f, 1.0f, 0.0f, 1.0f);
constexpr Vec4f SKY_BLUE(0.2f, 0.7f, 0.9f, 1.0f);

constexpr Vec4f grey(float g) {
    return Vec4f(g, g, g, 1.0f);
}

// Hue in degrees (x, below 720), saturation (y) and value (z) to RGB.
Vec3f hsvToRgb(const Vec3f& hsv);
