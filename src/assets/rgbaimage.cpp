#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/sgiimage.h"

namespace {

// Packs one row of up to four channel rows into RGBA pixels.
void packRow(const SgiImage* image, unsigned char* const channelRows[4], unsigned char* out) {
    const unsigned char* c0 = channelRows[0];
    for (unsigned int x = 0; x < image->width; ++x, out += 4) {
        switch (image->channels) {
        case 1:
            out[0] = out[1] = out[2] = c0[x];
            out[3] = 255;
            break;
        case 2:
            out[0] = out[1] = out[2] = c0[x];
            out[3] = channelRows[1][x];
            break;
        case 3:
            out[0] = c0[x];
            out[1] = channelRows[1][x];
            out[2] = channelRows[2][x];
            out[3] = 255;
            break;
        default: // channels beyond the fourth are ignored
            for (int c = 0; c < 4; ++c)
                out[c] = channelRows[c][x];
            break;
        }
    }
}

unsigned char* readPixels(SgiImage* image, SgiError& error) {
    std::size_t rowBytes = static_cast<std::size_t>(image->width) * 4;
    unsigned char* result = static_cast<unsigned char*>(std::malloc(rowBytes * image->height));
    unsigned char* channelRows[4] = {};
    bool ok = result != nullptr;
    for (unsigned char*& row : channelRows)
        ok = ok && (row = static_cast<unsigned char*>(std::calloc(image->width, 1)));
    if (!ok) {
        error.message = "readRgbaImage(): out of memory for the pixels.\n";
        error.fatal = false;
    }
    int used = image->channels < 4 ? image->channels : 4;
    for (int y = 0; ok && y < image->height; ++y) {
        for (int c = 0; ok && c < used; ++c)
            ok = sgiReadRow(image, channelRows[c], y, c, error);
        if (ok)
            packRow(image, channelRows, result + rowBytes * y);
    }
    for (unsigned char* row : channelRows)
        std::free(row);
    if (!ok) {
        std::free(result);
        return nullptr;
    }
    return result;
}

unsigned char* readOpened(std::FILE* file, const char* name, int* width, int* height,
                          int* components, SgiError& error) {
    SgiImage* image = sgiOpenCore(file, name, error);
    if (!image)
        return nullptr;
    *width = image->width;
    *height = image->height;
    *components = image->channels;
    unsigned char* pixels = readPixels(image, error);
    sgiClose(image);
    return pixels;
}

} // namespace

unsigned char* readRgbaImageCore(const char* path, int* width, int* height, int* components,
                                 SgiError& error) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        // The same text perror would print.
        error.message = std::string(path) + ": " + std::strerror(errno) + "\n";
        error.fatal = true;
        return nullptr;
    }
    return readOpened(file, path, width, height, components, error);
}

unsigned char* readRgbaImageMemory(const unsigned char* data, std::size_t size, const char* name,
                                   int* width, int* height, int* components, SgiError& error) {
    // An empty buffer may come without storage; fmemopen still wants a pointer.
    static unsigned char empty[1] = {0};
    unsigned char* bytes = size ? const_cast<unsigned char*>(data) : empty;
    std::FILE* file = fmemopen(bytes, size, "rb");
    if (!file) {
        error.message = std::string(name) + ": " + std::strerror(errno) + "\n";
        error.fatal = true;
        return nullptr;
    }
    return readOpened(file, name, width, height, components, error);
}

unsigned char* readRgbaImage(const char* path, int* width, int* height, int* components) {
    SgiError error;
    unsigned char* pixels = readRgbaImageCore(path, width, height, components, error);
    if (pixels)
        return pixels;
    if (!error.fatal)
        return nullptr;
    std::fputs(error.message.c_str(), stderr);
    std::exit(1);
}
