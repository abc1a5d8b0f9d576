#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int SAMPLES = 4; // per axis and pixel

double clamp01(double v) {
    return std::min(1.0, std::max(0.0, v));
}

bool insidePolygon(const std::vector<Point>& corners, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
        auto [xi, yi] = corners[i];
        auto [xj, yj] = corners[j];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

double wrapAngle(double a) {
    a = std::fmod(a, 2 * M_PI);
    return a < 0 ? a + 2 * M_PI : a;
}

} // namespace

Canvas::Canvas(int size) : side(size), pixels(static_cast<std::size_t>(size) * size) {
    for (Colour& c : pixels)
        c = Colour{0, 0, 0, 0};
}

void Canvas::fill(const std::function<bool(double, double)>& inside, Colour colour) {
    for (int py = 0; py < side; ++py)
        for (int px = 0; px < side; ++px) {
            int hits = 0;
            for (int sy = 0; sy < SAMPLES; ++sy)
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    double x = (px + (sx + 0.5) / SAMPLES) / side;
                    double y = (py + (sy + 0.5) / SAMPLES) / side;
                    hits += inside(x, y) ? 1 : 0;
                }
            if (hits == 0)
                continue;
            double a = colour.a * hits / (SAMPLES * SAMPLES);
            Colour& d = pixels[static_cast<std::size_t>(py) * side + px];
            // Straight (not premultiplied) alpha, "over" compositing.
            double outA = a + d.a * (1 - a);
            auto mix = [&](double s, double t) { return (s * a + t * d.a * (1 - a)) / outA; };
            d = Colour{mix(colour.r, d.r), mix(colour.g, d.g), mix(colour.b, d.b), outA};
        }
}

void Canvas::circle(double cx, double cy, double r, Colour colour) {
    fill([=](double x, double y) { return std::hypot(x - cx, y - cy) <= r; }, colour);
}

void Canvas::ring(double cx, double cy, double inner, double outer, Colour colour) {
    fill(
        [=](double x, double y) {
            double d = std::hypot(x - cx, y - cy);
            return d >= inner && d <= outer;
        },
        colour);
}

void Canvas::polygon(const std::vector<Point>& corners, Colour colour) {
    fill([&](double x, double y) { return insidePolygon(corners, x, y); }, colour);
}

void Canvas::sector(double cx, double cy, double inner, double outer, double a0, double a1,
                    Colour colour) {
    double span = a1 - a0;
    fill(
        [=](double x, double y) {
            double d = std::hypot(x - cx, y - cy);
            if (d < inner || d > outer)
                return false;
            return wrapAngle(std::atan2(y - cy, x - cx) - a0) <= span;
        },
        colour);
}

std::vector<unsigned char> Canvas::rgba() const {
    std::vector<unsigned char> out;
    out.reserve(pixels.size() * 4);
    for (const Colour& c : pixels)
        for (double v : {c.r, c.g, c.b, c.a})
            out.push_back(static_cast<unsigned char>(std::lround(clamp01(v) * 255)));
    return out;
}

std::vector<Point> place(const std::vector<Point>& corners, double angle, double dx, double dy) {
    std::vector<Point> out;
    double c = std::cos(angle), s = std::sin(angle);
    for (auto [x, y] : corners)
        out.push_back({x * c - y * s + dx, x * s + y * c + dy});
    return out;
}
