#include <gtest/gtest.h>

#include "platform/window.h"

namespace {

// What auto multisampling decides on: Mesa's software renderers by their names, in any case,
// and graphics cards' renderers are not taken for them.
TEST(Renderer, SoftwareRenderersAreToldFromGraphicsCards) {
    for (const char* software :
         {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa X11 swrast", "SWRAST",
          "Software Rasterizer", "Gallium 0.4 on llvmpipe (LLVM 3.4, 128 bits)"})
        EXPECT_TRUE(isSoftwareRenderer(software)) << software;
    for (const char* card : {"NVIDIA GeForce RTX 3060/PCIe/SSE2", "AMD Radeon RX 6600 (navi23)",
                             "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "Apple M1", "", "unknown"})
        EXPECT_FALSE(isSoftwareRenderer(card)) << card;
}

} // namespace
