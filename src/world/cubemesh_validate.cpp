#include <cmath>
#include <iostream>

#include "world/cubemesh.h"

bool CubeMesh::validate() const {
    auto fail = [](const char* reason) {
        std::cerr << "CubeMesh::validate: " << reason << '\n';
        return false;
    };
    if (vertices.size() != planes.size() * 4)
        return fail("the vertices are not four a quad");
    // The layout order: still[f], seams[0..GAP][f] face by face, then turning[0..5].
    int next = 0;
    auto follows = [&next](const Range& range) {
        bool ok = range.first == next && range.count >= 0;
        next = range.first + range.count;
        return ok;
    };
    for (int f = 0; f < 6; ++f) {
        bool ok = follows(still[f]);
        for (int seam = 0; seam <= GAP; ++seam)
            ok = follows(seams[seam][f]) && ok;
        if (!ok)
            return fail("the still groups do not tile the arrays in order");
    }
    if (next != turningStart)
        return fail("the turning groups do not start where the still ones end");
    for (const Range& range : turning)
        if (!follows(range))
            return fail("the turning groups do not tile the arrays in order");
    if (next != static_cast<int>(planes.size()))
        return fail("quads beyond the last group");
    for (size_t q = 0; q < planes.size(); ++q) {
        const Vec4f& p = planes[q];
        Vec3f n(p.x(), p.y(), p.z());
        if (std::fabs(n.length() - 1) > 1e-3f)
            return fail("a quad's plane normal is not unit");
        for (int c = 0; c < 4; ++c) {
            const Vertex& v = vertices[q * 4 + c];
            Vec3f position(v.position[0], v.position[1], v.position[2]);
            Vec3f normal(v.normal[0], v.normal[1], v.normal[2]);
            if (std::fabs(normal.length() - 1) > 1e-3f)
                return fail("a vertex normal is not unit");
            if (std::fabs(n.dot(position) - p.w()) > 1e-3f * (1 + std::fabs(p.w())))
                return fail("a corner lies off its quad's plane");
        }
    }
    return true;
}
