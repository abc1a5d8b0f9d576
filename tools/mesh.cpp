#include "mesh.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>

namespace {

// Newell's normal: robust for any planar-ish polygon, whatever its first corners.
P3 polygonNormal(const std::vector<P3>& ring) {
    P3 n{0, 0, 0};
    for (std::size_t i = 0; i < ring.size(); ++i) {
        P3 a = ring[i], b = ring[(i + 1) % ring.size()];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

P3 centroid(const std::vector<P3>& ring) {
    P3 c{0, 0, 0};
    for (P3 p : ring)
        c = c + p;
    return c * (1.0 / static_cast<double>(ring.size()));
}

} // namespace

P3 unit(P3 p) {
    double length = std::sqrt(dot(p, p));
    assert(length > 0);
    return p * (1.0 / length);
}

P3 circlePoint(P3 centre, P3 u, P3 v, double radius, double angle) {
    return centre + u * (radius * std::cos(angle)) + v * (radius * std::sin(angle));
}

std::string formatNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string s(text);
    if (s.find_first_not_of("-0.") == std::string::npos)
        return "0.000000";
    return s;
}

void Mesh::useGroup(const std::string& name, const std::string& material) {
    for (std::size_t i = 0; i < groupList.size(); ++i)
        if (groupList[i].name == name) {
            current = static_cast<int>(i);
            return;
        }
    groupList.push_back(Group{name, material});
    current = static_cast<int>(groupList.size()) - 1;
}

int Mesh::vertex(P3 p) {
    points.push_back(p);
    return static_cast<int>(points.size());
}

void Mesh::face(std::vector<int> corners, P3 outward) {
    assert(current >= 0 && corners.size() >= 3);
    std::vector<P3> ring;
    for (int c : corners)
        ring.push_back(points[c - 1]);
    if (dot(polygonNormal(ring), outward) < 0)
        std::reverse(corners.begin(), corners.end());
    polygons.push_back(Face{current, corners});
}

void Mesh::loft(const std::vector<P3>& bottom, const std::vector<P3>& top) {
    assert(bottom.size() == top.size() && bottom.size() >= 3);
    std::size_t n = bottom.size();
    std::vector<int> a, b;
    for (std::size_t i = 0; i < n; ++i)
        a.push_back(vertex(bottom[i]));
    for (std::size_t i = 0; i < n; ++i)
        b.push_back(vertex(top[i]));
    P3 up = centroid(top) - centroid(bottom);
    face(a, up * -1.0);
    face(b, up);
    P3 middle = (centroid(top) + centroid(bottom)) * 0.5;
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t j = (i + 1) % n;
        P3 side = (bottom[i] + bottom[j] + top[i] + top[j]) * 0.25 - middle;
        // Only the part across the axis says which way the side faces.
        side = side - unit(up) * dot(side, unit(up));
        face({a[i], a[j], b[j], b[i]}, side);
    }
}

void Mesh::box(P3 min, P3 max) {
    std::vector<P3> bottom = {
        {min.x, min.y, min.z}, {max.x, min.y, min.z}, {max.x, max.y, min.z}, {min.x, max.y, min.z}};
    std::vector<P3> top;
    for (P3 p : bottom)
        top.push_back({p.x, p.y, max.z});
    loft(bottom, top);
}

void Mesh::frustum(P3 base, P3 tip, double baseRadius, double tipRadius, int segments,
                   P3 reference) {
    P3 axis = unit(tip - base);
    P3 u = unit(reference - axis * dot(reference, axis));
    P3 v = cross(axis, u);
    std::vector<P3> bottom, top;
    for (int i = 0; i < segments; ++i) {
        double angle = 2 * M_PI * i / segments;
        bottom.push_back(circlePoint(base, u, v, baseRadius, angle));
        top.push_back(circlePoint(tip, u, v, tipRadius, angle));
    }
    loft(bottom, top);
}

std::string Mesh::objText(const std::string& comment, const std::string& mtllib) const {
    std::string out = "# " + comment + "\n";
    out += "# " + std::to_string(points.size()) + " vertices, " + std::to_string(polygons.size()) +
           " faces\n";
    out += "mtllib " + mtllib + "\n\n";
    for (P3 p : points)
        out += "v " + formatNumber(p.x) + " " + formatNumber(p.y) + " " + formatNumber(p.z) + "\n";
    for (std::size_t g = 0; g < groupList.size(); ++g) {
        out += "\ng " + groupList[g].name + "\nusemtl " + groupList[g].material + "\n";
        for (const Face& f : polygons) {
            if (f.group != static_cast<int>(g))
                continue;
            out += "f";
            for (int c : f.corners)
                out += " " + std::to_string(c);
            out += "\n";
        }
    }
    return out;
}
