#pragma once

#include <cstdlib>
#include <memory>

#include "entities/itemkind.h"

// The icons of the five item kinds, shared by every Item: the images are read from
// "textures/" when the first Item is made, and handed to OpenGL (mipmapped) by the first
// drawIcon. One instance for the program's life; it owns the pixel buffers.
class ItemTextures {
public:
    static ItemTextures& instance();

    // Reads the five images unless they are in memory. A missing or unreadable file ends the
    // program with a message (the game cannot run without its icons).
    void loadImages();
    // GL only: makes the five textures unless they exist. Reads the images first if need be.
    void loadTextures();

    // "textures/..." file of each kind.
    static const char* const FILES[ITEM_KIND_COUNT];

    struct Image {
        std::unique_ptr<unsigned char, decltype(&std::free)> pixels{nullptr, &std::free}; // RGBA
        int width = 0;
        int height = 0;
    };

    bool imagesLoaded = false;
    bool loaded = false;                         // the textures exist in the GL context
    unsigned int textures[ITEM_KIND_COUNT] = {}; // GL texture names, by kind
    Image images[ITEM_KIND_COUNT];

private:
    ItemTextures() = default;
};
