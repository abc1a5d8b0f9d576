#include "ai/facegrid.h"

#include <algorithm>
#include <cmath>

#include "math/faces.h"
#include "world/world.h"

FaceFrame::FaceFrame(int face, float halfExtent) : face(face), half(halfExtent) {
    Matrix4f orientation = faceOrientationMatrix(face);
    right = Vec3f(1, 0, 0);
    forward = Vec3f(0, 1, 0);
    normal = Vec3f(0, 0, 1);
    orientation.transformPoint(right);
    orientation.transformPoint(forward);
    orientation.transformPoint(normal);
}

void FaceGrid::build(const World& world, int face, float clearance) {
    frame = FaceFrame(face, world.halfExtent());
    side = std::min(MAX_SIDE, std::max(4, static_cast<int>(std::ceil(2 * frame.half / CELL))));
    cellSize = 2 * frame.half / static_cast<float>(side);
    closed.assign(static_cast<size_t>(side) * side, 0);
    blockTop.assign(static_cast<size_t>(side) * side, 0.0f);
    // The edge: a tank's centre never crosses it, and one pressed against it stands still.
    float edge = frame.half - clearance;
    for (int cell = 0; cell < side * side; ++cell)
        if (std::fabs(cellU(cell)) > edge || std::fabs(cellV(cell)) > edge)
            closed[cell] = 1;
    auto index = [this](float c) {
        return static_cast<int>(std::floor((c + frame.half) / cellSize - 0.5f));
    };
    for (const Object* object : world.allObjects) {
        if ((object->type != BOX && object->type != OBSTACLE) || object->face != face)
            continue;
        // The collision box is square to the world axes, and so are the face's own axes.
        const float* box = object->boundingBox.getIntervals();
        float lo[2], hi[2];
        for (int k = 0; k < 2; ++k) {
            const Vec3f& axis = k == 0 ? frame.right : frame.forward;
            int a = std::fabs(axis.x()) > 0.5f ? 0 : std::fabs(axis.y()) > 0.5f ? 1 : 2;
            float sign = axis[a] > 0 ? 1.0f : -1.0f;
            float low = box[2 * a] * sign, high = box[2 * a + 1] * sign;
            lo[k] = std::min(low, high);
            hi[k] = std::max(low, high);
        }
        int a = faceAxis(face);
        float top = std::max(std::fabs(box[2 * a]), std::fabs(box[2 * a + 1])) - frame.half;
        float grow = std::max(clearance, SHELL_MARGIN);
        // Invariant: every cell whose centre lies within `clearance` of the footprint is closed,
        // and every cell within SHELL_MARGIN of it knows the block's top.
        for (int j = std::max(0, index(lo[1] - grow));
             j <= std::min(side - 1, index(hi[1] + grow) + 1); ++j)
            for (int i = std::max(0, index(lo[0] - grow));
                 i <= std::min(side - 1, index(hi[0] + grow) + 1); ++i) {
                int cell = j * side + i;
                float du = std::max(lo[0] - cellU(cell), cellU(cell) - hi[0]);
                float dv = std::max(lo[1] - cellV(cell), cellV(cell) - hi[1]);
                float out = std::max(du, dv); // Chebyshev distance outside, negative inside
                if (out <= clearance)
                    closed[cell] = 1;
                if (out <= SHELL_MARGIN)
                    blockTop[cell] = std::max(blockTop[cell], top);
            }
    }
}

int FaceGrid::cellAt(float u, float v) const {
    auto clampIndex = [this](float c) {
        float f = std::floor((c + frame.half) / cellSize);
        return f < 0 ? 0 : f > side - 1 ? side - 1 : static_cast<int>(f);
    };
    return clampIndex(v) * side + clampIndex(u);
}

bool FaceGrid::clearLine(float u0, float v0, float u1, float v1) const {
    float length = std::hypot(u1 - u0, v1 - v0);
    int steps = std::max(1, static_cast<int>(std::ceil(length / (cellSize * 0.5f))));
    for (int s = 0; s <= steps; ++s) {
        float t = static_cast<float>(s) / static_cast<float>(steps);
        if (!open(cellAt(u0 + (u1 - u0) * t, v0 + (v1 - v0) * t)))
            return false;
    }
    return true;
}

bool FaceGrid::clearBand(float u0, float v0, float u1, float v1, float halfWidth) const {
    float length = std::hypot(u1 - u0, v1 - v0);
    if (length < 1e-4f)
        return clearLine(u0, v0, u1, v1);
    float nu = -(v1 - v0) / length * halfWidth, nv = (u1 - u0) / length * halfWidth;
    return clearLine(u0, v0, u1, v1) && clearLine(u0 + nu, v0 + nv, u1 + nu, v1 + nv) &&
           clearLine(u0 - nu, v0 - nv, u1 - nu, v1 - nv);
}

int FaceGrid::nearestOpen(int cell, int rings) const {
    std::vector<unsigned char> usable; // empty: every open cell will do
    return nearest(cell, rings, usable);
}

int FaceGrid::nearestReachable(int cell, int rings) const {
    return nearest(cell, rings, reach);
}

void FaceGrid::markReachable(int from) {
    reach.assign(static_cast<size_t>(side) * side, 0);
    if (!open(from))
        return;
    std::vector<int> todo = {from};
    reach[from] = 1;
    // Invariant: every cell in todo is marked; its neighbours are still to be looked at.
    while (!todo.empty()) {
        int cell = todo.back();
        todo.pop_back();
        int ci = cell % side, cj = cell / side;
        for (int dj = -1; dj <= 1; ++dj)
            for (int di = -1; di <= 1; ++di) {
                int i = ci + di, j = cj + dj;
                if (i < 0 || j < 0 || i >= side || j >= side)
                    continue;
                int next = j * side + i;
                // The path search's own rule: no diagonal past a closed cell.
                bool diagonal = di != 0 && dj != 0;
                if (reach[next] || closed[next] ||
                    (diagonal && (closed[cj * side + i] || closed[j * side + ci])))
                    continue;
                reach[next] = 1;
                todo.push_back(next);
            }
    }
}

int FaceGrid::nearest(int cell, int rings, const std::vector<unsigned char>& usable) const {
    auto fits = [&](int c) { return !closed[c] && (usable.empty() || usable[c]); };
    if (cell < 0 || cell >= side * side)
        return -1;
    if (fits(cell))
        return cell;
    int ci = cell % side, cj = cell / side;
    int best = -1;
    int bestDistance = 0;
    // Ring r holds the cells at Chebyshev distance r; the nearest by Euclid lies within the
    // first ring that has an open cell and the next one.
    for (int r = 1; r <= rings; ++r) {
        for (int j = cj - r; j <= cj + r; ++j)
            for (int i = ci - r; i <= ci + r; ++i) {
                if (std::max(std::abs(i - ci), std::abs(j - cj)) != r || i < 0 || j < 0 ||
                    i >= side || j >= side || !fits(j * side + i))
                    continue;
                int d = (i - ci) * (i - ci) + (j - cj) * (j - cj);
                if (best < 0 || d < bestDistance) {
                    best = j * side + i;
                    bestDistance = d;
                }
            }
        if (best >= 0 && bestDistance <= r * r)
            return best;
    }
    return best;
}
