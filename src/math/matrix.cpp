#include "math/matrix.h"

#include <cmath>

namespace {
constexpr float IDENTITY_TABLE[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

void Matrix4f::setIdentity() {
    for (int i = 0; i < 16; ++i)
        m[i] = IDENTITY_TABLE[i];
}

Matrix4f Matrix4f::identity() {
    Matrix4f r;
    r.setIdentity();
    return r;
}

Matrix4f Matrix4f::translation(float x, float y, float z) {
    Matrix4f r = identity();
    r.m[3] = x;
    r.m[7] = y;
    r.m[11] = z;
    return r;
}

Matrix4f Matrix4f::scaling(float sx, float sy, float sz) {
    Matrix4f r = identity();
    r.m[0] = sx;
    r.m[5] = sy;
    r.m[10] = sz;
    return r;
}

Matrix4f Matrix4f::rotationX(float angle) {
    Matrix4f r = identity();
    float c = std::cos(angle), s = std::sin(angle);
    r.m[5] = c;
    r.m[6] = -s;
    r.m[9] = s;
    r.m[10] = c;
    return r;
}

Matrix4f Matrix4f::rotationY(float angle) {
    Matrix4f r = identity();
    float c = std::cos(angle), s = std::sin(angle);
    r.m[0] = c;
    r.m[2] = s;
    r.m[8] = -s;
    r.m[10] = c;
    return r;
}

Matrix4f Matrix4f::rotationZ(float angle) {
    Matrix4f r = identity();
    float c = std::cos(angle), s = std::sin(angle);
    r.m[0] = c;
    r.m[1] = -s;
    r.m[4] = s;
    r.m[5] = c;
    return r;
}

// Rodrigues: U + (I - U) cos a + K sin a, with U the outer product of the unit axis and K its
// cross-product matrix.
Matrix4f Matrix4f::rotation(float angle, float ax, float ay, float az) {
    Vec3f u(ax, ay, az);
    u.normalize();
    Matrix4f k, outer;
    k.m[1] = -u.z();
    k.m[2] = u.y();
    k.m[4] = u.z();
    k.m[6] = -u.x();
    k.m[8] = -u.y();
    k.m[9] = u.x();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            outer.m[r * 4 + c] = u[r] * u[c];
    Matrix4f result = outer + (identity() - outer) * std::cos(angle) + k * std::sin(angle);
    result.m[15] = 1.0f;
    return result;
}

Matrix4f Matrix4f::transpose() const {
    Matrix4f r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r.m[col * 4 + row] = m[row * 4 + col];
    return r;
}

Matrix4f Matrix4f::operator+(const Matrix4f& b) const {
    Matrix4f r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = m[i] + b.m[i];
    return r;
}

Matrix4f Matrix4f::operator-(const Matrix4f& b) const {
    Matrix4f r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = m[i] - b.m[i];
    return r;
}

Matrix4f Matrix4f::operator*(const Matrix4f& b) const {
    Matrix4f r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += m[row * 4 + k] * b.m[k * 4 + col];
            r.m[row * 4 + col] = sum;
        }
    return r;
}

Matrix4f Matrix4f::operator*(float s) const {
    Matrix4f r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = m[i] * s;
    return r;
}

Matrix4f& Matrix4f::operator*=(const Matrix4f& b) {
    *this = *this * b;
    return *this;
}

void Matrix4f::preMultiply(const Matrix4f& b) {
    *this = b * *this;
}

void Matrix4f::transform(Vec4f& v) const {
    Vec4f in = v;
    for (int r = 0; r < 4; ++r) {
        float sum = 0.0f;
        for (int c = 0; c < 4; ++c)
            sum += m[r * 4 + c] * in[c];
        v[r] = sum;
    }
}

void Matrix4f::transformPoint(Vec3f& p) const {
    Vec4f h(p.x(), p.y(), p.z(), 1.0f);
    transform(h);
    p.set(h.x(), h.y(), h.z());
}

void shadowMatrix(const Vec3f& n, const Vec3f& light, float d, Matrix4f& out) {
    float l = n.dot(light);
    float s = l + d;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            out.at(c, r) = (r == c ? s : 0.0f) - light[r] * n[c];
        out.at(3, r) = -light[r] * d;
    }
    for (int c = 0; c < 3; ++c)
        out.at(c, 3) = -n[c];
    out.at(3, 3) = l;
}
