#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

#include <string>
#include <vector>

// Writes 8-bit RGB pixels as a PNG file (libpng). Pixels are `width * height * 3` bytes,
// bottom row first, as glReadPixels returns them; the file shows the top row first, as an
// image viewer expects. Returns false, with `error` saying why, when the file cannot be
// written; a failed write leaves no partial file behind.
bool writePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgbBottomUp, std::string& error);

// The pixels of the current GL read buffer (the back buffer while a frame is being drawn):
// the viewport-independent rectangle from (0, 0), `width` x `height`, RGB, bottom row first.
// Needs a current GL context.
std::vector<unsigned char> readFramebufferRgb(int width, int height);
