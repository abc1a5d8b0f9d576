#pragma once

// View floor: how a player sees the world: cameras, backdrop, heads-up display, view layout.
// May use entities and the layers below, and OpenGL.

#include <functional>
#include <vector>

// A picture of the health gauge, drawn once for a health and a view size and pasted on every
// frame after. Its ten lit cylinders of 30 x 10 facets and their icon took a quarter of the
// game thread's time in a six-player frame, and they change only when the health does.
//
// The picture is drawn off screen under the caller's matrices and in a viewport of the view's
// size, so it is rasterised as it would be on screen; its alpha holds what the gauge covers
// (every fragment of the gauge is opaque), and pasting it over the world lets the world show
// where the gauge leaves it: the pixels of drawing the gauge in place, to a channel level's
// rounding. A multisampled window gets the gauge drawn in place: there, with Mesa's software
// renderer, a picture made off screen (multisampled alike, then resolved) gave the thin gaps
// between the discs visibly other shades than drawing in place, for a reason not found.
//
// Owned by its heads-up display. Holds a texture, made and replaced by draw() and deleted with
// the image, while the window's context is current or after it is gone.
class GaugeImage {
public:
    GaugeImage() = default;
    ~GaugeImage();
    GaugeImage(const GaugeImage&) = delete;
    GaugeImage& operator=(const GaugeImage&) = delete;

    // GL: shows the gauge that `drawGauge` draws for `health`, under the current matrices and
    // in the current viewport. Draws it in place where the driver has no off-screen buffers.
    void draw(int health, const std::function<void()>& drawGauge);

    // Whether draw() pastes a picture rather than drawing in place.
    bool pastes() const { return texture != 0; }

private:
    bool make(const std::function<void()>& drawGauge, int viewWidth, int viewHeight);
    void keep(const std::vector<unsigned char>& pixels, int viewWidth, int viewHeight);
    void paste(int viewWidth, int viewHeight) const;

    unsigned texture = 0;
    int health = -1;   // what the picture shows; -1 for none
    int madeWidth = 0; // the view the picture was made for, pixels
    int madeHeight = 0;
    int left = 0; // the picture's place in the view, pixels from its bottom left
    int bottom = 0;
    int width = 0; // its size, pixels: the box round every pixel the gauge covers
    int height = 0;
};
