#include "audio/hearing.h"

#include <algorithm>
#include <cmath>

#include "math/constants.h"

// Loudness of a sound in one view:
//
//   loudness = sound.loudness * near / max(near, distance) * (other face ? THROUGH_CUBE : 1)
//
// with distance from the view's camera to the sound and near = HEARING_NEAR (30 units): full
// loudness within 30 units, then halving (-6 dB) with each doubling of the distance, as a point
// source in the open does. A sound on another face than the view's tank is muffled by the cube
// to THROUGH_CUBE (0.35, about -9 dB); a sound of the whole cube (face -1) is never "other".
float loudnessIn(const Listener& view, const SoundPlace& sound) {
    float distance = (sound.position - view.eye).length();
    float falloff = HEARING_NEAR / std::max(HEARING_NEAR, distance);
    bool otherFace = sound.face >= 0 && sound.face != view.face;
    float loudness = sound.loudness * falloff * (otherFace ? THROUGH_CUBE : 1.0f);
    return std::clamp(loudness, 0.0f, 1.0f);
}

// The sound's direction in the camera's own axes (right, up, ahead), then its place across the
// picture the perspective makes of it: ahead / right scaled by the half-width of the field of
// view (the vertical field widened by the view's aspect).
float acrossView(const Listener& view, const Vec3f& position) {
    Vec3f ahead = view.lookPoint - view.eye;
    if (ahead.length() <= 0)
        return 0;
    ahead.normalize();
    Vec3f right = cross(ahead, view.up);
    if (right.length() <= 0)
        return 0;
    right.normalize();
    Vec3f to = position - view.eye;
    float x = to.dot(right), z = to.dot(ahead);
    float aspect = view.height > 0 ? view.width / view.height : 1.0f;
    float halfWidth =
        std::tan(static_cast<float>(view.fovY * PI / 360)) * aspect; // tan of half the field
    if (z <= 0 || halfWidth <= 0) // behind the camera: at the side it lies towards
        return x > 0 ? 1.0f : x < 0 ? -1.0f : 0.0f;
    return std::clamp(x / (z * halfWidth), -1.0f, 1.0f);
}

// The sound goes to the view that hears it loudest (the first of equals), at that view's
// loudness: one sound, never one per view, so six views do not make a shot six times as loud.
// Its pan is where it shows in the window, from -1 at the window's left edge to +1 at its
// right: the view's own place in the window, moved across the view's width by where the sound
// is in the view's picture. So a left view's sounds come from the left, a right view's from the
// right, and with one view filling the window this is plain stereo by where the sound is seen.
Heard hear(const std::vector<Listener>& views, float windowWidth, const SoundPlace& sound) {
    Heard heard;
    if (views.empty() || windowWidth <= 0) {
        heard.gain = std::clamp(sound.loudness, 0.0f, 1.0f);
        return heard;
    }
    for (size_t i = 0; i < views.size(); ++i) {
        float loudness = loudnessIn(views[i], sound);
        if (heard.view < 0 || loudness > heard.gain) {
            heard.view = static_cast<int>(i);
            heard.gain = loudness;
        }
    }
    const Listener& view = views[static_cast<size_t>(heard.view)];
    float across = acrossView(view, sound.position);
    float windowX = view.x + (across + 1) * 0.5f * view.width;
    heard.pan = std::clamp(2 * windowX / windowWidth - 1, -1.0f, 1.0f);
    return heard;
}

void panGains(float pan, float& left, float& right) {
    float angle = (std::clamp(pan, -1.0f, 1.0f) + 1) * static_cast<float>(PI) / 4;
    left = std::max(0.0f, std::cos(angle)); // cos of a right angle is a hair below zero in floats
    right = std::max(0.0f, std::sin(angle));
}
