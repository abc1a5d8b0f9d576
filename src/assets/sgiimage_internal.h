#pragma once

#include <cstddef>

#include "assets/sgiimage.h"

// Layout facts of the SGI format shared by the reader's source files; not for use outside
// src/assets.

// The header block before the run-length tables or the verbatim pixel data, in bytes.
constexpr long SGI_HEADER_SIZE = 512;

// An encoded row may be up to this many times its width in bytes: the size of the buffer an
// encoded row is read into.
constexpr std::size_t SGI_RLE_ROW_FACTOR = 256;

inline bool sgiIsRle(const SgiImage* image) {
    return (image->storage >> 8) == 1;
}
