#include <cmath>

#include "models.h"

namespace {

constexpr double STROKE = 0.19; // letter stroke thickness; letters are 1 unit tall
constexpr double DEPTH = 0.22;  // extrusion towards +Z
constexpr int ARC_STEPS_PER_TURN = 40;

// A straight stroke: a convex quadrilateral (x, y corners) extruded from z = 0 to DEPTH.
void bar(Mesh& mesh, const std::vector<std::pair<double, double>>& corners) {
    std::vector<P3> back, front;
    for (auto [x, y] : corners) {
        back.push_back({x, y, 0});
        front.push_back({x, y, DEPTH});
    }
    mesh.loft(back, front);
}

void rect(Mesh& mesh, double x0, double y0, double x1, double y1) {
    bar(mesh, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

// A curved stroke: the band between two ellipses around (cx, cy) with outer radii (rx, ry),
// from angle a0 to a1 (radians, counter-clockwise), as one solid so its walls shade smoothly.
void arc(Mesh& mesh, double cx, double cy, double rx, double ry, double a0, double a1) {
    int steps = std::max(
        2, static_cast<int>(std::ceil(std::fabs(a1 - a0) / (2 * M_PI) * ARC_STEPS_PER_TURN)));
    bool closed = std::fabs(std::fabs(a1 - a0) - 2 * M_PI) < 1e-9;
    int count = closed ? steps : steps + 1;
    // Vertices per step: outer back, outer front, inner back, inner front.
    std::vector<int> ob, of, ib, inf;
    std::vector<P3> radial;
    for (int i = 0; i < count; ++i) {
        double a = a0 + (a1 - a0) * i / steps;
        double c = std::cos(a), s = std::sin(a);
        P3 outer{cx + rx * c, cy + ry * s, 0},
            inner{cx + (rx - STROKE) * c, cy + (ry - STROKE) * s, 0};
        ob.push_back(mesh.vertex(outer));
        of.push_back(mesh.vertex(outer + P3{0, 0, DEPTH}));
        ib.push_back(mesh.vertex(inner));
        inf.push_back(mesh.vertex(inner + P3{0, 0, DEPTH}));
        radial.push_back({c, s, 0});
    }
    for (int i = 0; i < steps; ++i) {
        int j = (i + 1) % count;
        P3 out = unit(radial[i] + radial[j]);
        mesh.face({of[i], of[j], inf[j], inf[i]}, {0, 0, 1});
        mesh.face({ob[i], ob[j], ib[j], ib[i]}, {0, 0, -1});
        mesh.face({ob[i], ob[j], of[j], of[i]}, out);
        mesh.face({ib[i], ib[j], inf[j], inf[i]}, out * -1.0);
    }
    if (!closed) {
        P3 start{-std::sin(a0), std::cos(a0), 0}, end{-std::sin(a1), std::cos(a1), 0};
        double direction = a1 > a0 ? 1.0 : -1.0;
        int e = count - 1;
        mesh.face({ob[0], of[0], inf[0], ib[0]}, start * -direction);
        mesh.face({ob[e], of[e], inf[e], ib[e]}, end * direction);
    }
}

// Each letter is drawn with its lower-left corner at x; returns the letter's width.
double letterQ(Mesh& m, double x) {
    arc(m, x + 0.45, 0.5, 0.45, 0.5, 0, 2 * M_PI);
    bar(m, {{x + 0.5, 0.28}, {x + 0.68, 0.2}, {x + 0.98, -0.08}, {x + 0.8, 0.0}});
    return 0.98;
}

double letterU(Mesh& m, double x) {
    rect(m, x, 0.4, x + STROKE, 1.0);
    rect(m, x + 0.8 - STROKE, 0.4, x + 0.8, 1.0);
    arc(m, x + 0.4, 0.4, 0.4, 0.4, M_PI, 2 * M_PI);
    return 0.8;
}

double letterO(Mesh& m, double x) {
    arc(m, x + 0.45, 0.5, 0.45, 0.5, 0, 2 * M_PI);
    return 0.9;
}

double letterR(Mesh& m, double x) {
    rect(m, x, 0, x + STROKE, 1.0);
    rect(m, x + STROKE, 1.0 - STROKE, x + 0.44, 1.0);
    rect(m, x + STROKE, 0.42, x + 0.44, 0.42 + STROKE);
    arc(m, x + 0.44, 0.71, 0.29, 0.29, -M_PI / 2, M_PI / 2);
    bar(m, {{x + 0.58, 0}, {x + 0.8, 0}, {x + 0.5, 0.46}, {x + 0.28, 0.46}});
    return 0.8;
}

double letterL(Mesh& m, double x) {
    rect(m, x, 0, x + STROKE, 1.0);
    rect(m, x + STROKE, 0, x + 0.7, STROKE);
    return 0.7;
}

} // namespace

Mesh buildTitleModel() {
    Mesh mesh;
    const double gap = 0.16;
    double x = 0;
    mesh.useGroup("Q", "title");
    x += letterQ(mesh, x) + gap;
    mesh.useGroup("U", "title");
    x += letterU(mesh, x) + gap;
    mesh.useGroup("O", "title");
    x += letterO(mesh, x) + gap;
    mesh.useGroup("R", "title");
    x += letterR(mesh, x) + gap;
    mesh.useGroup("L", "title");
    letterL(mesh, x);
    return mesh;
}
