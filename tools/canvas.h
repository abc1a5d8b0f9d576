#pragma once

#include <functional>
#include <utility>
#include <vector>

// A square RGBA picture painted with anti-aliased shapes, for the game's icons. Coordinates
// run from (0, 0) at the bottom-left to (1, 1) at the top-right; row 0 is the bottom row, the
// order the image files store.

struct Colour {
    double r, g, b, a;
};

using Point = std::pair<double, double>;

class Canvas {
public:
    explicit Canvas(int size);

    // Covers the shape (a test whether a point lies inside) with the colour, over what is there.
    void fill(const std::function<bool(double, double)>& inside, Colour colour);

    void circle(double cx, double cy, double r, Colour colour);
    void ring(double cx, double cy, double inner, double outer, Colour colour);
    // Any simple polygon (even-odd rule).
    void polygon(const std::vector<Point>& corners, Colour colour);
    // The band between two radii, from angle a0 to a1 (radians, counter-clockwise).
    void sector(double cx, double cy, double inner, double outer, double a0, double a1,
                Colour colour);

    // 4 bytes per pixel, bottom row first.
    std::vector<unsigned char> rgba() const;
    int size() const { return side; }

private:
    int side;
    std::vector<Colour> pixels;
};

// The corners turned by `angle` radians about the origin, then moved by (dx, dy).
std::vector<Point> place(const std::vector<Point>& corners, double angle, double dx, double dy);
