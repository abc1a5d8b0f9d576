// Feeds arbitrary bytes to the SGI image reader as a whole file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "assets/sgiimage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Headers may promise up to 65535 x 65535 pixels; allocating that much is the reader's
    // right (it reports running out), but it only slows the fuzzer down, so huge images are
    // left out.
    if (size >= 10) {
        size_t width = static_cast<size_t>(data[6]) << 8 | data[7];
        size_t height = static_cast<size_t>(data[8]) << 8 | data[9];
        if (width > 16384 || width * height > (1u << 16))
            return 0;
    }
    int width = 0, height = 0, components = 0;
    SgiError error;
    unsigned char* pixels =
        readRgbaImageMemory(data, size, "fuzz.rgb", &width, &height, &components, error);
    if (pixels) {
        // Touch every byte: the result must really be width x height x 4.
        volatile unsigned int sum = 0;
        for (size_t i = 0; i < static_cast<size_t>(width) * height * 4; ++i)
            sum = sum + pixels[i];
        std::free(pixels);
    }
    return 0;
}
