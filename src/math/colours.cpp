#include "math/colours.h"

Vec3f hsvToRgb(const Vec3f& hsv) {
    float h = hsv.x(), s = hsv.y(), v = hsv.z();
    if (h >= 360.0f)
        h -= 360.0f;
    if (s == 0.0f)
        return Vec3f(v, v, v);
    int sector = static_cast<int>(h / 60.0f);
    float f = h / 60.0f - sector;
    float p = v * (1.0f - s);
    float q = v * (1.0f - s * f);
    float t = v * (1.0f - s * (1.0f - f));
    switch (sector) {
    case 0:
        return Vec3f(v, t, p);
    case 1:
        return Vec3f(q, v, p);
    case 2:
        return Vec3f(p, v, t);
    case 3:
        return Vec3f(p, q, v);
    case 4:
        return Vec3f(t, p, v);
    default:
        return Vec3f(v, p, q);
    }
}
