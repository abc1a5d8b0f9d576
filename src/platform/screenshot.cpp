#include "platform/screenshot.h"

#include <GL/gl.h>
#include <filesystem>
#include <system_error>

#include "platform/pngwriter.h"

bool saveBackBufferPng(const std::string& path, int width, int height, std::string& error) {
    if (width <= 0 || height <= 0) {
        error = "the window has no size yet";
        return false;
    }
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_BACK);
    std::vector<unsigned char> pixels = readFramebufferRgb(width, height);
    glReadBuffer(static_cast<GLenum>(readBuffer));
    return writePng(path, width, height, pixels, error);
}

std::string screenshotPath(const std::string& folder, std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "quorl-%Y%m%d-%H%M%S", &local);
    std::filesystem::path base = std::filesystem::path(folder) / stamp;
    std::string path = base.string() + ".png";
    std::error_code ignored;
    // Invariant: every name tried before `path` is taken.
    for (int n = 2; std::filesystem::exists(path, ignored); ++n)
        path = base.string() + "-" + std::to_string(n) + ".png";
    return path;
}

bool saveTimestampedScreenshot(const std::string& folder, int width, int height, std::string& path,
                               std::string& error) {
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (failure) {
        error = "cannot create the folder " + folder + ": " + failure.message();
        return false;
    }
    path = screenshotPath(folder, std::time(nullptr));
    return saveBackBufferPng(path, width, height, error);
}
