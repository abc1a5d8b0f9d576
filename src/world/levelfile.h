#pragma once

#include <ostream>

// Level files: plain text in "levels/", written and read by the same code.

// Each value followed by one blank, in the stream's default float format (6 significant
// digits): the lines of a level record.
void writeFloats(std::ostream& out, const float* values, int count);
