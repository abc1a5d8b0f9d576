#include "entities/itemtextures.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdio>

#include "assets/sgiimage.h"

const char* const ItemTextures::FILES[ITEM_KIND_COUNT] = {
    "textures/projectile_01.rgb", "textures/triple_projectile_01.rgb", "textures/nuke.rgb",
    "textures/health_01.rgb", "textures/random_rotation_01.rgb"};

ItemTextures& ItemTextures::instance() {
    static ItemTextures textures;
    return textures;
}

void ItemTextures::loadImages() {
    if (imagesLoaded)
        return;
    for (int kind = 0; kind < ITEM_KIND_COUNT; ++kind) {
        Image& image = images[kind];
        int components = 0;
        image.pixels.reset(readRgbaImage(FILES[kind], &image.width, &image.height, &components));
        if (!image.pixels) {
            printf("Out of memory reading \"%s\".\n", FILES[kind]);
            exit(1);
        }
    }
    imagesLoaded = true;
}

void ItemTextures::loadTextures() {
    if (loaded)
        return;
    loadImages();
    for (int kind = 0; kind < ITEM_KIND_COUNT; ++kind) {
        const Image& image = images[kind];
        glGenTextures(1, &textures[kind]);
        glBindTexture(GL_TEXTURE_2D, textures[kind]);
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, image.width, image.height, GL_RGBA,
                          GL_UNSIGNED_BYTE, image.pixels.get());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    loaded = true;
}
