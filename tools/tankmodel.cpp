#include <cmath>

#include "models.h"

using namespace tankframe;

namespace {

const P3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1};

// A block whose side profile (y, z pairs) is extruded across x0..x1.
void sideProfile(Mesh& mesh, const std::vector<std::pair<double, double>>& yz, double x0,
                 double x1) {
    std::vector<P3> left, right;
    for (auto [y, z] : yz) {
        left.push_back({x0, y, z});
        right.push_back({x1, y, z});
    }
    mesh.loft(left, right);
}

// A track seen from the side: a band with rounded ends, from `back` to `front`, 0..height.
std::vector<std::pair<double, double>> trackProfile(double back, double front, double height) {
    double r = height / 2;
    std::vector<std::pair<double, double>> yz;
    const int steps = 8;
    for (int i = 0; i <= steps; ++i) { // front end, bottom to top
        double a = -M_PI / 2 + M_PI * i / steps;
        yz.push_back({front - r + r * std::cos(a), r + r * std::sin(a)});
    }
    for (int i = 0; i <= steps; ++i) { // back end, top to bottom
        double a = M_PI / 2 + M_PI * i / steps;
        yz.push_back({back + r + r * std::cos(a), r + r * std::sin(a)});
    }
    return yz;
}

void addTracks(Mesh& mesh) {
    double inner = TREAD_SPACING / 2 - TREAD_WIDTH / 2;
    double outer = TREAD_SPACING / 2 + TREAD_WIDTH / 2;
    auto profile = trackProfile(-1.02, 0.98, 0.42);
    mesh.useGroup("tread_left", "track");
    sideProfile(mesh, profile, -outer, -inner);
    mesh.useGroup("tread_right", "track");
    sideProfile(mesh, profile, inner, outer);

    // Hubs of the road wheels, standing just proud of the tracks' outer faces.
    mesh.useGroup("wheels", "steel");
    for (int side = -1; side <= 1; side += 2)
        for (int i = 0; i < 5; ++i) {
            double y = -0.76 + 0.38 * i;
            P3 base{side * outer, y, 0.2};
            P3 tip{side * (outer + 0.016), y, 0.2};
            mesh.frustum(base, tip, 0.13, 0.1, 12, Z);
        }
}

void addHull(Mesh& mesh) {
    mesh.useGroup("hull", "body");
    sideProfile(
        mesh, {{-1.06, 0.12}, {0.8, 0.12}, {1.06, 0.44}, {0.82, 0.72}, {-1.0, 0.72}, {-1.06, 0.6}},
        -0.8, 0.8);
    // Track guards out to the full width.
    mesh.useGroup("fenders", "body");
    for (int side = -1; side <= 1; side += 2) {
        double a = side * 0.44, b = side * HALF_WIDTH;
        mesh.box({std::fmin(a, b), -1.04, 0.43}, {std::fmax(a, b), 1.0, 0.48});
    }
}

void addTurret(Mesh& mesh) {
    mesh.useGroup("turret", "body");
    std::vector<P3> bottom, top;
    const int segments = 20;
    for (int i = 0; i < segments; ++i) {
        double a = 2 * M_PI * i / segments;
        bottom.push_back({0.56 * std::cos(a), -0.12 + 0.6 * std::sin(a), 0.72});
        top.push_back({0.44 * std::cos(a), -0.16 + 0.48 * std::sin(a), 1.06});
    }
    mesh.loft(bottom, top);
    mesh.frustum({0.2, -0.3, 1.05}, {0.2, -0.3, 1.17}, 0.15, 0.13, 14, X);      // cupola
    mesh.frustum({-0.3, -0.46, 1.05}, {-0.3, -0.46, 1.42}, 0.014, 0.008, 6, X); // aerial
    mesh.box({-0.2, 0.32, 0.78}, {0.2, 0.52, 1.02});                            // gun mantlet
}

// The gun points along the shells' launch direction and ends exactly at the muzzle.
void addBarrel(Mesh& mesh) {
    mesh.useGroup("barrel", "gun");
    P3 direction = unit({0, 1, LAUNCH_RISE});
    P3 muzzle{0, MUZZLE_FORWARD, MUZZLE_UP};
    P3 brake = muzzle - direction * 0.16;
    P3 breech = muzzle - direction * 1.14;
    // Reference along -Z of the barrel frame puts a vertex at the lowest and highest points.
    mesh.frustum(breech, brake, 0.075, 0.065, 16, X);
    mesh.frustum(brake, muzzle, 0.095, 0.095, 16, X);
}

// A stowage box at the back, sized so the model's length is centred on the origin.
void addStowage(Mesh& mesh) {
    double front = -1e9;
    for (P3 p : mesh.vertices())
        front = std::fmax(front, p.y);
    mesh.useGroup("stowage", "body");
    mesh.box({-0.6, -front, 0.48}, {0.6, -1.0, 0.68});
}

} // namespace

Mesh buildTankModel() {
    Mesh mesh;
    addTracks(mesh);
    addHull(mesh);
    addTurret(mesh);
    addBarrel(mesh);
    addStowage(mesh);
    return mesh;
}
