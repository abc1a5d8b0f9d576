#include "entities/treadtrail.h"

#include <GL/gl.h>
#include <cassert>

#include "world/object.h"

TreadTrail::TreadTrail(const Object* owner, float duration, float trackSpacing, float treadWidth)
    : owner(owner), halfSpacing(trackSpacing / 2), halfWidth(treadWidth / 2), duration(duration),
      count(static_cast<int>(duration * 60)), next(0) {
    assert(count > 0 && "count > 0");
    leftTrack.resize(count);
    rightTrack.resize(count);
}

void TreadTrail::update() {
    Vec3f side = cross(owner->forward, owner->up);
    const Vec3f& p = owner->position;
    leftTrack[next] = {p + side * (-halfSpacing - halfWidth), p + side * (halfWidth - halfSpacing)};
    rightTrack[next] = {p + side * (halfSpacing - halfWidth), p + side * (halfSpacing + halfWidth)};
    next = (next + 1) % count;
}

void TreadTrail::transform(const Matrix4f& m) {
    for (std::vector<Entry>* track : {&leftTrack, &rightTrack})
        for (Entry& entry : *track) {
            m.transformPoint(entry.first);
            m.transformPoint(entry.second);
        }
}

void TreadTrail::draw(bool shadow) const {
    if (shadow)
        return;
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawTrack(leftTrack, 0.1f);
    drawTrack(rightTrack, 0.001f);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
}

// From the oldest entry to the newest, fading in.
void TreadTrail::drawTrack(const std::vector<Entry>& track, float height) const {
    Vec3f side = cross(owner->forward, owner->up);
    const Vec3f& origin = owner->position;
    auto vertex = [&](const Vec3f& point, float alpha) {
        Vec3f d = point - origin;
        glColor4f(0, 0, 0, alpha);
        glVertex3f(d.dot(side), d.dot(owner->forward), height);
    };
    float alpha = 0;
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < count; ++i) {
        const Entry& entry = track[(next + i) % count];
        vertex(entry.first, alpha);
        vertex(entry.second, alpha);
        alpha += 1.0f / count;
    }
    glEnd();
}
