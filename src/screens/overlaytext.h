#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <string>

#include "math/vectors.h"

// Small text over a view: light strokes on a dark outline, which reads on the sky and on the
// cube alike.

// Height of the stroke font's capitals above its base line, in font units.
constexpr float OVERLAY_FONT_HEIGHT = 119.05f;

// GL only: the overlay plane of a view: x from 0 to `aspect`, y from 0 to 1, origin at the
// bottom left, seen through a narrow frustum so that the display's solids keep some depth.
void overlayProjection(float aspect);

// GL only: `text` with its base line's left end at (x, y) of the current model-view plane
// (z = -0.2 over the overlay), capitals `height` tall, in `colour` (r, g, b). Lighting and the
// depth test are off while it draws; the depth test is on again afterwards.
void drawOutlinedText(const std::string& text, float x, float y, float height,
                      const Vec3f& colour = Vec3f(1, 1, 1));
// The width of `text` drawn `height` tall.
float overlayTextWidth(const std::string& text, float height);

// The name of a tank colour: the face colour it matches best ("Blue", "Orange", ...).
std::string colourName(const Vec4f& colour);
