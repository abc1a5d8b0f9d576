#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

#include <string>

// Text drawn with GLUT's stroke font (GLUT_STROKE_ROMAN), as lines in the current model-view:
// one unit of the font is one unit of the current frame, so callers scale first.

// The width of `text` in font units: the sum of its characters' widths.
float strokeTextWidth(const std::string& text);

// Draws `text` from the current origin along +x with lines `lineWidth` pixels wide. Leaves the
// model-view as it found it.
void drawStrokeText(const std::string& text, float lineWidth);
