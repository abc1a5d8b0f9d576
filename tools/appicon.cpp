#include "appicon.h"

#include <cmath>

#include "canvas.h"

namespace {

// The cube from above a corner: the middle of its near vertical edge, and the three edges out
// of that corner as they show on the picture.
const Point CENTRE{0.5, 0.47};
const Point RIGHT{0.42, 0.22}; // along the top face's right edge
const Point LEFT{-0.42, 0.22}; // along the top face's left edge
const Point DOWN{0.0, -0.44};  // down the near edge

const Colour EDGE{0.06, 0.06, 0.07, 1};

// A point of a face from its own coordinates (0..1 along each of its two edges).
Point on(Point origin, Point a, Point b, double u, double v) {
    return {origin.first + a.first * u + b.first * v, origin.second + a.second * u + b.second * v};
}

std::vector<Point> quad(Point origin, Point a, Point b, double u0, double v0, double u1,
                        double v1) {
    return {on(origin, a, b, u0, v0), on(origin, a, b, u1, v0), on(origin, a, b, u1, v1),
            on(origin, a, b, u0, v1)};
}

// A face: dark between its nine stickers, as a cube's plastic shows.
void face(Canvas& c, Point origin, Point a, Point b, const Colour stickers[9]) {
    c.polygon(quad(origin, a, b, 0, 0, 1, 1), EDGE);
    const double gap = 0.035;
    for (int i = 0; i < 9; ++i) {
        double u = (i % 3) / 3.0, v = (i / 3) / 3.0;
        c.polygon(quad(origin, a, b, u + gap, v + gap, u + 1 / 3.0 - gap, v + 1 / 3.0 - gap),
                  stickers[i]);
    }
}

// The tank on the top face, in the face's own coordinates, its gun towards the far corner.
void tank(Canvas& c) {
    auto at = [](double u, double v) { return on(CENTRE, RIGHT, LEFT, u, v); };
    // Turned an eighth about the face's middle so it drives along the diagonal, and large, so
    // that it still reads at 48 pixels.
    auto turned = [&](double along, double across) {
        double s = std::sqrt(0.5) * 1.3;
        return at(0.5 + (along + across) * s, 0.5 + (along - across) * s);
    };
    auto box = [&](double a0, double a1, double b0, double b1, Colour colour) {
        c.polygon({turned(a0, b0), turned(a1, b0), turned(a1, b1), turned(a0, b1)}, colour);
    };
    const Colour track{0.12, 0.12, 0.1, 1}, hull{0.33, 0.42, 0.2, 1}, turret{0.42, 0.52, 0.26, 1};
    box(-0.3, 0.28, -0.24, -0.12, track);
    box(-0.3, 0.28, 0.12, 0.24, track);
    box(-0.26, 0.24, -0.13, 0.13, hull);
    box(0.04, 0.36, -0.03, 0.03, EDGE); // the gun
    std::vector<Point> dome;
    for (int k = 0; k < 24; ++k) {
        double t = 2 * M_PI * k / 24;
        dome.push_back(turned(-0.02 + 0.1 * std::cos(t), 0.1 * std::sin(t)));
    }
    c.polygon(dome, turret);
}

} // namespace

std::vector<unsigned char> drawAppIcon(int size) {
    Canvas c(size);
    const Colour sand{0.78, 0.7, 0.48, 1}, red{0.8, 0.12, 0.1, 1}, blue{0.1, 0.3, 0.78, 1};
    const Colour top[9] = {sand, sand, sand, sand, sand, sand, sand, sand, sand};
    const Colour leftSide[9] = {red, red, red, red, red, red, red, red, red};
    const Colour rightSide[9] = {blue, blue, blue, blue, blue, blue, blue, blue, blue};
    Point bottom{CENTRE.first + DOWN.first, CENTRE.second + DOWN.second};
    // The two sides from the bottom corner up, then the top from the near corner back.
    face(c, bottom, LEFT, {-DOWN.first, -DOWN.second}, leftSide);
    face(c, bottom, RIGHT, {-DOWN.first, -DOWN.second}, rightSide);
    face(c, CENTRE, RIGHT, LEFT, top);
    tank(c);
    return c.rgba();
}

const std::vector<int>& appIconSizes() {
    static const std::vector<int> sizes = {48, 64, 128, 256};
    return sizes;
}
