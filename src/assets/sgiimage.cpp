#include "assets/sgiimage.h"
#include "assets/sgiimage_internal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

unsigned short bigEndian16(const unsigned char* p) {
    return static_cast<unsigned short>((p[0] << 8) | p[1]);
}

unsigned int bigEndian32(const unsigned char* p) {
    return (static_cast<unsigned int>(p[0]) << 24) | (static_cast<unsigned int>(p[1]) << 16) |
           (static_cast<unsigned int>(p[2]) << 8) | static_cast<unsigned int>(p[3]);
}

std::string problem(const char* name, const std::string& what) {
    return "readRgbaImage() failed: \"" + std::string(name) + "\": " + what + ".\n";
}

SgiImage* fail(SgiImage* image, SgiError& error, std::string message) {
    error.message = std::move(message);
    error.fatal = true;
    sgiClose(image);
    return nullptr;
}

// Reads `count` big-endian 32-bit values at the file's position.
bool readTable(std::FILE* file, unsigned int* table, std::size_t count) {
    unsigned char bytes[4];
    for (std::size_t i = 0; i < count; ++i) {
        if (std::fread(bytes, 1, 4, file) != 4)
            return false;
        table[i] = bigEndian32(bytes);
    }
    return true;
}

SgiImage* readTables(SgiImage* image, const char* name, SgiError& error) {
    std::size_t n = static_cast<std::size_t>(image->height) * image->channels;
    unsigned long long needed = SGI_HEADER_SIZE + 8ull * n;
    if (needed > static_cast<unsigned long long>(image->fileSize))
        return fail(image, error,
                    problem(name, "its run-length tables need " + std::to_string(needed) +
                                      " bytes but the file has " +
                                      std::to_string(image->fileSize)));
    // Tables and nothing after them: every row would read as zeros, a texture of nothing.
    if (needed == static_cast<unsigned long long>(image->fileSize))
        return fail(image, error,
                    problem(name, "the file ends with its run-length tables and holds no pixels"));
    image->rowOffsets = static_cast<unsigned int*>(std::malloc(n * sizeof(unsigned int)));
    image->rowLengths = static_cast<unsigned int*>(std::malloc(n * sizeof(unsigned int)));
    if (!image->rowOffsets || !image->rowLengths)
        return fail(image, error, "Out of memory!\n");
    if (std::fseek(image->file, SGI_HEADER_SIZE, SEEK_SET) != 0 ||
        !readTable(image->file, image->rowOffsets, n) ||
        !readTable(image->file, image->rowLengths, n))
        return fail(image, error, problem(name, "its run-length tables cannot be read"));
    std::size_t room = image->width * SGI_RLE_ROW_FACTOR;
    for (std::size_t i = 0; i < n; ++i)
        if (image->rowLengths[i] > room)
            return fail(image, error,
                        problem(name, "run-length row " + std::to_string(i) + " is " +
                                          std::to_string(image->rowLengths[i]) +
                                          " bytes, more than its " + std::to_string(room) +
                                          "-byte buffer"));
    return image;
}

} // namespace

SgiImage* sgiOpenCore(std::FILE* file, const char* name, SgiError& error) {
    SgiImage* image = static_cast<SgiImage*>(std::calloc(1, sizeof(SgiImage)));
    if (!image) {
        std::fclose(file);
        error.message = "Out of memory!\n";
        error.fatal = true;
        return nullptr;
    }
    image->file = file;
    if (std::fseek(file, 0, SEEK_END) != 0 || (image->fileSize = std::ftell(file)) < 0 ||
        std::fseek(file, 0, SEEK_SET) != 0)
        return fail(image, error, problem(name, "cannot measure the file"));

    unsigned char header[12];
    if (std::fread(header, 1, sizeof header, file) != sizeof header)
        return fail(image, error,
                    problem(name, "the file is " + std::to_string(image->fileSize) +
                                      " bytes, too short for an image header"));
    unsigned short* fields[6] = {&image->magic, &image->storage, &image->dimension,
                                 &image->width, &image->height,  &image->channels};
    for (int i = 0; i < 6; ++i)
        *fields[i] = bigEndian16(header + 2 * i);
    if (image->width == 0 || image->height == 0 || image->channels == 0)
        return fail(image, error,
                    problem(name, "the header describes no pixels (" +
                                      std::to_string(image->width) + " x " +
                                      std::to_string(image->height) + ", " +
                                      std::to_string(image->channels) + " channels)"));

    // A truncated file reads as zeros where its data is missing; one that ends with its header
    // has no data at all, and would give a texture of nothing.
    if (!sgiIsRle(image) && image->fileSize <= SGI_HEADER_SIZE)
        return fail(image, error,
                    problem(name, "the file ends with its header and holds no pixels"));
    for (unsigned char*& buffer : image->rowBuffers)
        if (!(buffer = static_cast<unsigned char*>(std::malloc(image->width * SGI_RLE_ROW_FACTOR))))
            return fail(image, error, "Out of memory!\n");
    return sgiIsRle(image) ? readTables(image, name, error) : image;
}

SgiImage* sgiOpen(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::perror(path);
        std::exit(1);
    }
    SgiError error;
    SgiImage* image = sgiOpenCore(file, path, error);
    if (!image) {
        std::fputs(error.message.c_str(), stderr);
        std::exit(1);
    }
    return image;
}

void sgiClose(SgiImage* image) {
    if (!image)
        return;
    if (image->file)
        std::fclose(image->file);
    for (unsigned char* buffer : image->rowBuffers)
        std::free(buffer);
    std::free(image->rowOffsets);
    std::free(image->rowLengths);
    std::free(image);
}
