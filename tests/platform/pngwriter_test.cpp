#include <gtest/gtest.h>

#include <cstdio>
#include <png.h>
#include <unistd.h>

#include "platform/pngwriter.h"

namespace {

// Reads an 8-bit RGB PNG back, top row first, with libpng's simplified reader.
std::vector<unsigned char> readPng(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return pixels;
}

// Bottom-up GL rows come out top-down in the file, byte for byte; a write that cannot happen
// says so and leaves nothing behind.
TEST(PngWriter, WritesTheRowsTopFirstAndFailsCleanly) {
    const int w = 3, h = 2;
    std::vector<unsigned char> rgb(w * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<unsigned char>(i * 13);
    std::string path = "/tmp/quorl_png_test_" + std::to_string(getpid()) + ".png";
    std::string error;
    ASSERT_TRUE(writePng(path, w, h, rgb, error)) << error;
    int rw = 0, rh = 0;
    std::vector<unsigned char> back = readPng(path, rw, rh);
    std::remove(path.c_str());
    ASSERT_EQ(rw, w);
    ASSERT_EQ(rh, h);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * 3; ++i)
            EXPECT_EQ(back[y * w * 3 + i], rgb[(h - 1 - y) * w * 3 + i]) << y << " " << i;

    EXPECT_FALSE(writePng("/nonexistent-folder/shot.png", w, h, rgb, error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(writePng(path, w, h, std::vector<unsigned char>(5), error));
    EXPECT_EQ(access(path.c_str(), F_OK), -1);
    EXPECT_EQ(access((path + ".part").c_str(), F_OK), -1);
}

} // namespace
