#include "icons.h"

#include <cmath>

#include "canvas.h"

namespace {

constexpr int SIZE = 128;

const Colour WHITE{1, 1, 1, 1};
const Colour BLACK{0.05, 0.05, 0.05, 1};
const Colour RED{0.86, 0.08, 0.1, 1};
const Colour BRASS{0.86, 0.66, 0.2, 1};
const Colour STEEL{0.55, 0.6, 0.66, 1};

// Every item icon is a round badge: the HUD and the item boxes show the inscribed disc.
void badge(Canvas& c, Colour face, Colour rim) {
    c.circle(0.5, 0.5, 0.485, rim);
    c.circle(0.5, 0.5, 0.43, face);
}

// A shell lying along +x with its base at the origin, `length` long.
void shell(Canvas& c, double length, double angle, double cx, double cy) {
    double w = length * 0.16; // half its width
    double body = length * 0.55, band = length * 0.63;
    std::vector<Point> nose;
    for (int i = 0; i <= 12; ++i) { // an ogive from one side to the other
        double t = -M_PI / 2 + M_PI * i / 12;
        nose.push_back({band + (length - band) * std::cos(t), w * std::sin(t)});
    }
    auto at = [&](const std::vector<Point>& p) { return place(p, angle, cx, cy); };
    c.polygon(at({{0, -w}, {body, -w}, {body, w}, {0, w}}), BRASS);
    c.polygon(at({{body, -w}, {band, -w}, {band, w}, {body, w}}), Colour{0.7, 0.35, 0.15, 1});
    c.polygon(at(nose), STEEL);
    c.polygon(
        at({{0, -w * 1.15}, {length * 0.06, -w * 1.15}, {length * 0.06, w * 1.15}, {0, w * 1.15}}),
        Colour{0.6, 0.45, 0.12, 1});
}

Canvas projectile() {
    Canvas c(SIZE);
    badge(c, Colour{0.16, 0.3, 0.55, 1}, WHITE);
    double angle = M_PI / 4, length = 0.62;
    shell(c, length, angle, 0.5 - std::cos(angle) * length / 2, 0.5 - std::sin(angle) * length / 2);
    return c;
}

Canvas tripleProjectile() {
    Canvas c(SIZE);
    badge(c, Colour{0.12, 0.45, 0.22, 1}, WHITE);
    // Side by side and fanning out, like the shots themselves.
    for (int i = -1; i <= 1; ++i)
        shell(c, 0.42, M_PI / 2 - i * 0.35, 0.5 + i * 0.2, 0.24);
    return c;
}

Canvas nuke() {
    Canvas c(SIZE);
    badge(c, Colour{1.0, 0.84, 0.05, 1}, BLACK);
    for (int k = 0; k < 3; ++k) {
        double middle = M_PI / 2 + k * 2 * M_PI / 3;
        c.sector(0.5, 0.5, 0.12, 0.37, middle - M_PI / 6, middle + M_PI / 6, BLACK);
    }
    c.circle(0.5, 0.5, 0.075, BLACK);
    return c;
}

void cross(Canvas& c, double cx, double cy, double arm, double half, Colour colour) {
    c.polygon({{cx - half, cy - arm},
               {cx + half, cy - arm},
               {cx + half, cy + arm},
               {cx - half, cy + arm}},
              colour);
    c.polygon({{cx - arm, cy - half},
               {cx + arm, cy - half},
               {cx + arm, cy + half},
               {cx - arm, cy + half}},
              colour);
}

Canvas health() {
    Canvas c(SIZE);
    badge(c, WHITE, RED);
    cross(c, 0.5, 0.5, 0.3, 0.1, RED);
    return c;
}

// Curved arrows chasing each other around a cube face: the cube turns.
Canvas randomRotation() {
    Canvas c(SIZE);
    badge(c, Colour{0.35, 0.16, 0.5, 1}, WHITE);
    const Colour stickers[9] = {RED,
                                WHITE,
                                {0.1, 0.3, 0.9, 1},
                                {1, 0.55, 0.05, 1},
                                {1, 0.9, 0.1, 1},
                                RED,
                                {0.1, 0.7, 0.2, 1},
                                {1, 0.9, 0.1, 1},
                                WHITE};
    for (int i = 0; i < 9; ++i) {
        double x = 0.36 + (i % 3) * 0.095, y = 0.36 + (i / 3) * 0.095;
        c.polygon({{x, y}, {x + 0.085, y}, {x + 0.085, y + 0.085}, {x, y + 0.085}}, stickers[i]);
    }
    for (int k = 0; k < 2; ++k) {
        double start = M_PI / 6 + k * M_PI;
        double end = start + M_PI * 0.62;
        c.sector(0.5, 0.5, 0.27, 0.34, start, end, WHITE);
        // Arrow head at the end of the band, pointing on round the circle.
        Point tip{0.5 + 0.305 * std::cos(end + 0.32), 0.5 + 0.305 * std::sin(end + 0.32)};
        Point outer{0.5 + 0.4 * std::cos(end), 0.5 + 0.4 * std::sin(end)};
        Point inner{0.5 + 0.21 * std::cos(end), 0.5 + 0.21 * std::sin(end)};
        c.polygon({outer, tip, inner}, WHITE);
    }
    return c;
}

void heart(Canvas& c, double cx, double cy, double s, Colour colour) {
    c.circle(cx - s * 0.5, cy + s * 0.25, s * 0.52, colour);
    c.circle(cx + s * 0.5, cy + s * 0.25, s * 0.52, colour);
    c.polygon({{cx - s * 0.98, cy + s * 0.1}, {cx + s * 0.98, cy + s * 0.1}, {cx, cy - s * 1.1}},
              colour);
}

// Wrapped round the HUD's health cylinder, so it fills the square and repeats across.
Canvas healthGauge() {
    Canvas c(SIZE);
    c.polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, WHITE);
    c.polygon({{0, 0}, {1, 0}, {1, 0.08}, {0, 0.08}}, RED);
    c.polygon({{0, 0.92}, {1, 0.92}, {1, 1}, {0, 1}}, RED);
    heart(c, 0.25, 0.52, 0.17, RED);
    heart(c, 0.75, 0.52, 0.17, RED);
    return c;
}

} // namespace

std::vector<Icon> buildIcons() {
    std::vector<Icon> icons;
    auto add = [&](const char* file, const Canvas& c) {
        icons.push_back(Icon{file, c.size(), c.rgba()});
    };
    add("projectile_01.rgb", projectile());
    add("triple_projectile_01.rgb", tripleProjectile());
    add("nuke.rgb", nuke());
    add("health_01.rgb", health());
    add("random_rotation_01.rgb", randomRotation());
    add("health_02.rgb", healthGauge());
    return icons;
}
