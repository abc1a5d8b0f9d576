#include "world/cubeview.h"

#include <cassert>

namespace {

// The point the affine transform m takes to the origin: -A^-1 t for m = [A | t].
Vec3f preimageOfOrigin(const Matrix4f& m) {
    auto a = [&m](int row, int column) { return m.at(column, row); };
    // Cofactors of A, transposed: the adjugate, so that A^-1 = adjugate / det.
    float adjugate[3][3];
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            int r0 = (column + 1) % 3, r1 = (column + 2) % 3;
            int c0 = (row + 1) % 3, c1 = (row + 2) % 3;
            adjugate[row][column] = a(r0, c0) * a(r1, c1) - a(r0, c1) * a(r1, c0);
        }
    float det = a(0, 0) * adjugate[0][0] + a(0, 1) * adjugate[1][0] + a(0, 2) * adjugate[2][0];
    assert(det != 0.0f);
    Vec3f point;
    for (int row = 0; row < 3; ++row) {
        float sum = 0;
        for (int k = 0; k < 3; ++k)
            sum += adjugate[row][k] * a(k, 3);
        point[row] = -sum / det;
    }
    return point;
}

} // namespace

CubeView::CubeView(const Matrix4f& modelView, const Matrix4f& projection)
    : eye(preimageOfOrigin(modelView)), clip(projection * modelView) {}

bool CubeView::outside(const float bounds[6]) const {
    // Per plane (x >= -w, x <= w, y..., z...), how many corners lie beyond it.
    int beyond[6] = {};
    for (int corner = 0; corner < 8; ++corner) {
        Vec4f p(bounds[corner & 1], bounds[2 + ((corner >> 1) & 1)], bounds[4 + (corner >> 2)],
                1.0f);
        clip.transform(p);
        for (int axis = 0; axis < 3; ++axis) {
            beyond[2 * axis] += p[axis] < -p.w() ? 1 : 0;
            beyond[2 * axis + 1] += p[axis] > p.w() ? 1 : 0;
        }
    }
    for (int plane = 0; plane < 6; ++plane)
        if (beyond[plane] == 8)
            return true;
    return false;
}
