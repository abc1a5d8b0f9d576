#include "platform/pngwriter.h"

#include <GL/gl.h>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>

namespace {

// libpng reports errors by longjmp; this keeps the message for the caller.
struct PngFailure {
    std::jmp_buf jump;
    char message[256];
};

void onPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    std::longjmp(failure->jump, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Everything after the file is open; false with the failure's message on any libpng error.
bool encode(std::FILE* file, int width, int height, const std::vector<unsigned char>& rgb,
            PngFailure& failure) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
    if (!png) {
        std::snprintf(failure.message, sizeof failure.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    // Rows are built before the jump point, so nothing with a destructor is skipped by it.
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(
            rgb.data() + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 3);
    if (!info || setjmp(failure.jump)) {
        if (!info)
            std::snprintf(failure.message, sizeof failure.message, "out of memory");
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgbBottomUp, std::string& error) {
    if (width <= 0 || height <= 0 ||
        rgbBottomUp.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
        error = "no pixels to write";
        return false;
    }
    std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    PngFailure failure{};
    bool written = encode(file, width, height, rgbBottomUp, failure);
    bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = !written ? failure.message : std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::vector<unsigned char> readFramebufferRgb(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    if (pixels.empty())
        return pixels;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
