#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// SGI image files (.rgb): verbatim or run-length encoded, 1 to 4 channels of one byte, read
// into tightly packed RGBA rows, bottom row first (OpenGL's texture row order).

// One open image file. Owns the file handle and every buffer; released by sgiClose.
struct SgiImage {
    // Header fields in host byte order.
    unsigned short magic;
    unsigned short storage; // high byte 1: run-length encoded
    unsigned short dimension;
    unsigned short width;
    unsigned short height;
    unsigned short channels;

    std::FILE* file;
    unsigned char* rowBuffers[4]; // width * 256 bytes each; [0] holds an encoded RLE row
    unsigned int* rowOffsets;     // RLE only: height * channels entries, by row + channel * height
    unsigned int* rowLengths;
    long fileSize; // bytes in the file: nothing beyond it is read
};

// Why an image could not be read. `message` is complete, newline included, ready to print.
struct SgiError {
    std::string message;
    // Only the result and its channel rows failing to allocate is survivable: readRgbaImage
    // then returns null. Everything else ends the program.
    bool fatal = true;
};

// Opens `path`; on failure prints the problem (perror style for a missing file, "Out of
// memory!" when buffers cannot be had) and exits with status 1.
SgiImage* sgiOpen(const char* path);

// Reads the header and tables from `file` (taken over: closed on failure too); `name` is used
// in messages. Null with `error` set when the file is not a readable image: too short for its
// header or tables, no pixels in the header, or no pixel data after the header and tables.
SgiImage* sgiOpenCore(std::FILE* file, const char* name, SgiError& error);

// Writes `width` bytes of one row of one channel to `out`. Bytes the file does not hold (it
// is truncated) read as 0. False with `error` set when the row cannot be decoded soundly.
bool sgiReadRow(SgiImage* image, unsigned char* out, int row, int channel, SgiError& error);

void sgiClose(SgiImage* image);

// Reads a whole image as width * height * 4 bytes (the caller frees the array with free())
// and reports its width, height and channel count. Exits with status 1 when the file cannot be
// read; returns null when memory for the pixels runs out.
unsigned char* readRgbaImage(const char* path, int* width, int* height, int* components);

// The same without printing or exiting: null and `error` filled when the image is unreadable.
unsigned char* readRgbaImageCore(const char* path, int* width, int* height, int* components,
                                 SgiError& error);

// Reads an image held in memory; `name` is used in messages.
unsigned char* readRgbaImageMemory(const unsigned char* data, std::size_t size, const char* name,
                                   int* width, int* height, int* components, SgiError& error);

// Decodes one run-length encoded row of `inSize` bytes into `out` (`outSize` bytes). Stops at
// a zero count or at the end of the input; false when the row would run past `outSize`.
bool sgiDecodeRow(const unsigned char* in, std::size_t inSize, unsigned char* out,
                  std::size_t outSize);
