#pragma once

#include <cassert>
#include <cmath>

// Vec3f: a point or a direction, three floats x, y, z. Plain value type; owns nothing.
class Vec3f {
public:
    constexpr Vec3f() : v{0.0f, 0.0f, 0.0f} {}
    constexpr Vec3f(float x, float y, float z) : v{x, y, z} {}

    void set(float x, float y, float z) {
        v[0] = x;
        v[1] = y;
        v[2] = z;
    }

    constexpr float x() const { return v[0]; }
    constexpr float y() const { return v[1]; }
    constexpr float z() const { return v[2]; }

    float& operator[](int i) {
        assert(i >= 0 && i < 3);
        return v[i];
    }
    float operator[](int i) const {
        assert(i >= 0 && i < 3);
        return v[i];
    }

    float dot(const Vec3f& o) const { return v[0] * o.v[0] + v[1] * o.v[1] + v[2] * o.v[2]; }

    static Vec3f cross(const Vec3f& a, const Vec3f& b) {
        return Vec3f(a.v[1] * b.v[2] - a.v[2] * b.v[1], a.v[2] * b.v[0] - a.v[0] * b.v[2],
                     a.v[0] * b.v[1] - a.v[1] * b.v[0]);
    }

    float length() const { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

    // In place; a zero vector stays zero (no division, no error).
    void normalize() {
        float len = length();
        if (len > 0.0f) {
            v[0] /= len;
            v[1] /= len;
            v[2] /= len;
        }
    }

    Vec3f operator+(const Vec3f& o) const {
        return Vec3f(v[0] + o.v[0], v[1] + o.v[1], v[2] + o.v[2]);
    }
    Vec3f operator-(const Vec3f& o) const {
        return Vec3f(v[0] - o.v[0], v[1] - o.v[1], v[2] - o.v[2]);
    }
    Vec3f operator-() const { return Vec3f(-v[0], -v[1], -v[2]); }
    Vec3f& operator+=(const Vec3f& o) {
        v[0] += o.v[0];
        v[1] += o.v[1];
        v[2] += o.v[2];
        return *this;
    }
    Vec3f& operator-=(const Vec3f& o) {
        v[0] -= o.v[0];
        v[1] -= o.v[1];
        v[2] -= o.v[2];
        return *this;
    }
    Vec3f operator*(float s) const { return Vec3f(v[0] * s, v[1] * s, v[2] * s); }

    float* data() { return v; }
    const float* data() const { return v; }

private:
    float v[3];
};

inline Vec3f operator*(float s, const Vec3f& a) {
    return a * s;
}

// Free form of the cross product, as most callers read it.
inline Vec3f cross(const Vec3f& a, const Vec3f& b) {
    return Vec3f::cross(a, b);
}

// Vec4f: a homogeneous point (w = 1) or an RGBA colour handed to OpenGL as a float array.
class Vec4f {
public:
    constexpr Vec4f() : v{0.0f, 0.0f, 0.0f, 0.0f} {}
    constexpr Vec4f(float x, float y, float z, float w) : v{x, y, z, w} {}

    constexpr float x() const { return v[0]; }
    constexpr float y() const { return v[1]; }
    constexpr float z() const { return v[2]; }
    constexpr float w() const { return v[3]; }

    float& operator[](int i) {
        assert(i >= 0 && i < 4);
        return v[i];
    }
    float operator[](int i) const {
        assert(i >= 0 && i < 4);
        return v[i];
    }

    float* data() { return v; }
    const float* data() const { return v; }

private:
    float v[4];
};
