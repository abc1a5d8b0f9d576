#include <cmath>

#include "models.h"

namespace {

// A smooth, deterministic lumpiness for rock surfaces: a few fixed waves over the sphere.
double lumps(double azimuth, double elevation, double seed) {
    return 0.09 * std::sin(3 * azimuth + seed) * std::cos(2 * elevation + 0.7 * seed) +
           0.05 * std::sin(5 * azimuth + 2.3 * seed + 4 * elevation) +
           0.03 * std::cos(9 * azimuth - 1.7 * seed) * std::sin(5 * elevation + seed);
}

// A boulder: the upper half of a lumpy ellipsoid with radii (rx, ry, height) around `base`,
// sitting on z = base.z. Rings from the ground up, closed by a pole on top and a flat base.
void addBoulder(Mesh& mesh, P3 base, double rx, double ry, double height, int slices, int rings,
                double seed) {
    std::vector<std::vector<int>> ring(rings);
    for (int r = 0; r < rings; ++r) {
        double elevation = (M_PI / 2) * r / rings;
        for (int s = 0; s < slices; ++s) {
            double azimuth = 2 * M_PI * s / slices;
            // The ground ring keeps its height so the rock sits flat.
            double k = 1 + lumps(azimuth, elevation, seed) * (r == 0 ? 0.6 : 1.0);
            P3 p{base.x + rx * k * std::cos(elevation) * std::cos(azimuth),
                 base.y + ry * k * std::cos(elevation) * std::sin(azimuth),
                 base.z + height * (r == 0 ? 0.0 : k * std::sin(elevation))};
            ring[r].push_back(mesh.vertex(p));
        }
    }
    auto at = [&](int index) { return mesh.vertices()[index - 1]; };
    // The crown just above the highest point of the top ring: no spike.
    double crown = 0;
    for (int index : ring[rings - 1])
        crown = std::fmax(crown, at(index).z);
    int pole = mesh.vertex({base.x, base.y, crown + 0.03 * height});
    int centre = mesh.vertex(base);
    P3 middle = base + P3{0, 0, height * 0.4};
    for (int s = 0; s < slices; ++s) {
        int t = (s + 1) % slices;
        for (int r = 0; r + 1 < rings; ++r) {
            P3 c = (at(ring[r][s]) + at(ring[r + 1][t])) * 0.5;
            mesh.face({ring[r][s], ring[r][t], ring[r + 1][t], ring[r + 1][s]}, c - middle);
        }
        P3 top = at(ring[rings - 1][s]);
        mesh.face({ring[rings - 1][s], ring[rings - 1][t], pole}, top - middle);
        mesh.face({centre, ring[0][t], ring[0][s]}, {0, 0, -1});
    }
}

} // namespace

Mesh buildObstacleModel() {
    Mesh mesh;
    mesh.useGroup("rock", "stone");
    addBoulder(mesh, {0.02, 0.0, 0.0}, 0.36, 0.3, 0.56, 28, 12, 0.4);
    mesh.useGroup("boulders", "moss");
    addBoulder(mesh, {-0.28, 0.14, 0.0}, 0.2, 0.17, 0.3, 18, 7, 2.1);
    addBoulder(mesh, {0.29, -0.12, 0.0}, 0.17, 0.2, 0.24, 18, 7, 4.4);
    addBoulder(mesh, {0.06, 0.3, 0.0}, 0.12, 0.1, 0.14, 14, 5, 5.9);
    return mesh;
}
