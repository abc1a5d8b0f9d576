#pragma once

#include <string>
#include <vector>

// Writes SGI images (.rgb), verbatim or run-length encoded, with 1 to 4 one-byte channels:
// the format the game's image reader takes. Used by the asset generator and by the tests,
// which make every kind of file with it.

// `pixels`: width * height * channels bytes, the channels of each pixel together, bottom row
// first. Returns the complete file.
std::vector<unsigned char> encodeSgiImage(int width, int height, int channels,
                                          const std::vector<unsigned char>& pixels, bool rle);

// One row of one channel run-length encoded, ending with its zero count.
std::vector<unsigned char> encodeSgiRow(const unsigned char* bytes, int count);

// Writes the bytes to `path`; false when the file cannot be written.
bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
