#pragma once

#include <string>
#include <vector>

// A polygon mesh being built for an OBJ file: vertices, and faces in named groups with a
// material each. Every shape added is a closed solid whose faces wind counter-clockwise seen
// from outside (the reader's facet normals then point outwards).

struct P3 {
    double x, y, z;
};

inline P3 operator+(P3 a, P3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline P3 operator-(P3 a, P3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline P3 operator*(P3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline double dot(P3 a, P3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline P3 cross(P3 a, P3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

class Mesh {
public:
    struct Face {
        int group;
        std::vector<int> corners; // 1-based vertex indices
    };
    struct Group {
        std::string name;
        std::string material;
    };

    // Faces added from now on go into this group (created on first use).
    void useGroup(const std::string& name, const std::string& material);
    // Adds a vertex; returns its 1-based index.
    int vertex(P3 p);
    // Adds a face, turned around if needed so that it faces along `outward`.
    void face(std::vector<int> corners, P3 outward);

    // A solid between two rings of equally many points (a prism, frustum or tapered block):
    // side quads between corresponding points, flat caps at both ends.
    void loft(const std::vector<P3>& bottom, const std::vector<P3>& top);
    // An axis-aligned block.
    void box(P3 min, P3 max);
    // A cylinder or cone frustum from `base` to `tip` with `segments` sides; one side's vertex
    // lies straight along `reference` (perpendicular to the axis) from the axis.
    void frustum(P3 base, P3 tip, double baseRadius, double tipRadius, int segments, P3 reference);

    const std::vector<P3>& vertices() const { return points; }
    const std::vector<Face>& faces() const { return polygons; }
    const std::vector<Group>& groups() const { return groupList; }

    // The OBJ text: vertices first, then each group's faces.
    std::string objText(const std::string& comment, const std::string& mtllib) const;

private:
    std::vector<P3> points;
    std::vector<Face> polygons;
    std::vector<Group> groupList;
    int current = -1;
};

// A point on the circle of `radius` around `centre` in the plane spanned by unit vectors u, v.
P3 circlePoint(P3 centre, P3 u, P3 v, double radius, double angle);

// Unit vector along p.
P3 unit(P3 p);

// Formats a coordinate for the files: six decimals, never "-0.000000".
std::string formatNumber(double value);
