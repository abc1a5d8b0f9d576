#pragma once

#include <string>
#include <vector>

// Reads an 8-bit RGB PNG back, top row first; empty when the file is not a readable PNG.
std::vector<unsigned char> readPngRgb(const std::string& path, int& width, int& height);
