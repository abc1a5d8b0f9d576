#pragma once

#include "math/vectors.h"

// Matrix4f: a 4x4 transform, sixteen floats stored row-major (row r, column c at r * 4 + c).
// Points are column vectors (p' = M * p), so a translation sits in indices 3, 7 and 11.
// OpenGL wants column-major arrays: draw code uses glMultMatrix (math/glmatrix.h), never data().
// Angles are radians. Plain value type; owns nothing.
class Matrix4f {
public:
    // All zeros, not the identity.
    constexpr Matrix4f() : m{} {}

    void setIdentity();

    // Column x, row y.
    float& at(int x, int y) {
        assert(x >= 0 && x < 4);
        assert(y >= 0 && y < 4);
        return m[y * 4 + x];
    }
    float at(int x, int y) const {
        assert(x >= 0 && x < 4);
        assert(y >= 0 && y < 4);
        return m[y * 4 + x];
    }

    float* data() { return m; }
    const float* data() const { return m; }

    static Matrix4f identity();
    static Matrix4f translation(float x, float y, float z);
    static Matrix4f translation(const Vec3f& t) { return translation(t.x(), t.y(), t.z()); }
    static Matrix4f scaling(float sx, float sy, float sz);
    static Matrix4f rotationX(float angle);
    static Matrix4f rotationY(float angle);
    static Matrix4f rotationZ(float angle);
    // Counter-clockwise about the axis seen from its positive end; the axis is normalised
    // (a zero axis gives identity * cos(angle) with element [15] = 1).
    static Matrix4f rotation(float angle, float ax, float ay, float az);
    static Matrix4f rotation(float angle, const Vec3f& axis) {
        return rotation(angle, axis.x(), axis.y(), axis.z());
    }

    Matrix4f transpose() const;

    Matrix4f operator+(const Matrix4f& b) const;
    Matrix4f operator-(const Matrix4f& b) const;
    Matrix4f operator*(const Matrix4f& b) const;
    Matrix4f operator*(float s) const;
    Matrix4f& operator*=(const Matrix4f& b); // this = this * b
    void preMultiply(const Matrix4f& b);     // this = b * this

    // In place: v = M * v. The product reads a copy, so aliasing is harmless.
    void transform(Vec4f& v) const;
    // In place on (x, y, z, 1); w is dropped, there is no division by w.
    void transformPoint(Vec3f& p) const;

private:
    float m[16];
};

// Projection of points from the point light onto the plane dot(n, p) + d = 0. The result has
// a w row, so it is meant for OpenGL's division by w (transformPoint does not divide).
void shadowMatrix(const Vec3f& n, const Vec3f& light, float d, Matrix4f& out);
