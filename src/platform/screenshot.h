#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

#include <ctime>
#include <string>

// Saves the back buffer of the current GL context, the `width` x `height` rectangle from the
// bottom-left corner, as a PNG. Call it after the frame is drawn and before the swap: after a
// swap the back buffer is undefined, and Mesa reads the front buffer as black. False, with
// `error` saying why, when nothing was written.
bool saveBackBufferPng(const std::string& path, int width, int height, std::string& error);

// Where the next timestamped screenshot goes: `folder`/quorl-YYYYMMDD-HHMMSS.png for the local
// time `when`, with -2, -3 ... before the extension when that name is already taken, so a
// second picture within the same second keeps the first.
std::string screenshotPath(const std::string& folder, std::time_t when);

// Creates `folder` if needed and saves the back buffer under screenshotPath(folder, now).
// `path` receives the file's path; false, with `error` saying why, on failure.
bool saveTimestampedScreenshot(const std::string& folder, int width, int height, std::string& path,
                               std::string& error);
