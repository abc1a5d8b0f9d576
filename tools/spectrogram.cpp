#include "spectrogram.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <png.h>

namespace {

constexpr int WINDOW = 1024; // samples a column's spectrum is taken over
constexpr int ROWS = 300;    // frequency rows
constexpr int STRIP = 60;    // rows of the level strip on top
constexpr int MAX_COLUMNS = 1400;
constexpr double FLOOR_DB = -90;
constexpr double LOWEST_HZ = 30;

// In-place radix-2 transform; `data.size()` is a power of two.
void fft(std::vector<std::complex<double>>& data) {
    size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        double angle = -2 * M_PI / static_cast<double>(length);
        std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w(1);
            for (size_t k = 0; k < length / 2; ++k) {
                std::complex<double> u = data[i + k], v = data[i + k + length / 2] * w;
                data[i + k] = u + v;
                data[i + k + length / 2] = u - v;
                w *= step;
            }
        }
    }
}

// Black through blue, red and yellow to white as `x` goes from 0 to 1.
void heat(double x, unsigned char* p) {
    x = std::clamp(x, 0.0, 1.0);
    double r = std::clamp(3 * x - 1, 0.0, 1.0), g = std::clamp(3 * x - 1.8, 0.0, 1.0);
    double b = x < 0.33 ? x * 2.4 : std::clamp(0.8 - 3 * (x - 0.33), 0.0, 1.0);
    if (x > 0.85)
        b = (x - 0.85) / 0.15;
    p[0] = static_cast<unsigned char>(255 * r);
    p[1] = static_cast<unsigned char>(255 * g);
    p[2] = static_cast<unsigned char>(255 * b);
}

} // namespace

Spectrogram makeSpectrogram(const std::vector<float>& samples, int rate) {
    int hop = std::max(32, static_cast<int>((samples.size() + MAX_COLUMNS - 1) / MAX_COLUMNS));
    int columns = std::max(1, static_cast<int>(samples.size() / static_cast<size_t>(hop)));
    Spectrogram out;
    out.width = columns;
    out.height = STRIP + ROWS;
    out.rgb.assign(static_cast<size_t>(out.width * out.height * 3), 0);
    double nyquist = rate / 2.0;
    double span = std::log(nyquist / LOWEST_HZ);
    std::vector<double> window(WINDOW);
    for (int i = 0; i < WINDOW; ++i)
        window[static_cast<size_t>(i)] = 0.5 - 0.5 * std::cos(2 * M_PI * i / (WINDOW - 1));
    std::vector<std::complex<double>> data(WINDOW);
    for (int c = 0; c < columns; ++c) {
        long centre = static_cast<long>(c) * hop;
        double energy = 0;
        int counted = 0;
        for (int i = 0; i < WINDOW; ++i) {
            long at = centre - WINDOW / 2 + i;
            double s = at >= 0 && at < static_cast<long>(samples.size())
                           ? samples[static_cast<size_t>(at)]
                           : 0.0;
            data[static_cast<size_t>(i)] = s * window[static_cast<size_t>(i)];
            if (i >= WINDOW / 2 - hop / 2 && i < WINDOW / 2 + hop / 2) {
                energy += s * s;
                ++counted;
            }
        }
        fft(data);
        // A full-scale sine gives a peak of WINDOW / 4 with this window: that is 0 dB.
        for (int row = 0; row < ROWS; ++row) {
            double f = LOWEST_HZ * std::exp(span * (ROWS - 1 - row) / (ROWS - 1));
            double bin = f / nyquist * (WINDOW / 2);
            size_t k = std::min(static_cast<size_t>(bin), static_cast<size_t>(WINDOW / 2 - 1));
            double magnitude = std::max(std::abs(data[k]), std::abs(data[k + 1])) / (WINDOW / 4.0);
            double db = 20 * std::log10(std::max(magnitude, 1e-9));
            heat((db - FLOOR_DB) / -FLOOR_DB,
                 &out.rgb[static_cast<size_t>(((STRIP + row) * out.width + c) * 3)]);
        }
        double rms = counted ? std::sqrt(energy / counted) : 0;
        double level = (20 * std::log10(std::max(rms, 1e-9)) - FLOOR_DB) / -FLOOR_DB;
        int bar = static_cast<int>(std::clamp(level, 0.0, 1.0) * (STRIP - 4));
        for (int y = 0; y < bar; ++y) {
            unsigned char* p = &out.rgb[static_cast<size_t>(((STRIP - 2 - y) * out.width + c) * 3)];
            p[0] = 80;
            p[1] = 220;
            p[2] = 120;
        }
    }
    // Grid lines at 100 Hz, 1 kHz, 10 kHz; ticks every 100 ms, longer each second.
    for (double f : {100.0, 1000.0, 10000.0}) {
        if (f >= nyquist)
            continue;
        int row =
            ROWS - 1 - static_cast<int>(std::lround(std::log(f / LOWEST_HZ) / span * (ROWS - 1)));
        for (int x = 0; x < out.width; x += 2) {
            unsigned char* p = &out.rgb[static_cast<size_t>(((STRIP + row) * out.width + x) * 3)];
            p[0] = p[1] = p[2] = 160;
        }
    }
    for (int tenth = 0;; ++tenth) {
        int x = static_cast<int>(static_cast<double>(tenth) * rate / 10 / hop);
        if (x >= out.width)
            break;
        int length = tenth % 10 == 0 ? 14 : 6;
        for (int y = 0; y < length; ++y) {
            unsigned char* p = &out.rgb[static_cast<size_t>((y * out.width + x) * 3)];
            p[0] = p[1] = p[2] = 255;
        }
    }
    return out;
}

bool writePng(const std::string& path, const Spectrogram& picture, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        error = "cannot encode " + path;
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y)
        png_write_row(
            png, const_cast<png_bytep>(&picture.rgb[static_cast<size_t>(y * picture.width * 3)]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    bool closed = std::fclose(file) == 0;
    if (!closed)
        error = "cannot write " + path;
    return closed;
}
