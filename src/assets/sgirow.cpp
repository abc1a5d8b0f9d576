#include <cstdlib>
#include <cstring>

#include "assets/sgiimage.h"
#include "assets/sgiimage_internal.h"

namespace {

std::string rowProblem(int row, int channel, const std::string& what) {
    return "readRgbaImage() failed: row " + std::to_string(row) + " of channel " +
           std::to_string(channel) + " " + what + ".\n";
}

// Reads up to `count` bytes at `offset` into `out`; what lies beyond the end of the file is
// left as it is (the caller cleared it).
void readAt(SgiImage* image, unsigned long long offset, unsigned char* out, std::size_t count) {
    if (offset >= static_cast<unsigned long long>(image->fileSize))
        return;
    if (std::fseek(image->file, static_cast<long>(offset), SEEK_SET) != 0)
        return;
    std::size_t read = std::fread(out, 1, count, image->file);
    (void)read; // a short read is a truncated file: the rest stays zero
}

} // namespace

bool sgiDecodeRow(const unsigned char* in, std::size_t inSize, unsigned char* out,
                  std::size_t outSize) {
    std::size_t i = 0, o = 0;
    while (i < inSize) {
        unsigned char control = in[i++];
        std::size_t count = control & 0x7F;
        if (count == 0)
            break;
        if (o + count > outSize)
            return false;
        if (control & 0x80) {
            // A literal run cut short by the end of the row keeps only what is there.
            std::size_t available = count < inSize - i ? count : inSize - i;
            std::memcpy(out + o, in + i, available);
            i += available;
        } else if (i < inSize) {
            std::memset(out + o, in[i++], count);
        }
        o += count;
    }
    return true;
}

bool sgiReadRow(SgiImage* image, unsigned char* out, int row, int channel, SgiError& error) {
    std::memset(out, 0, image->width);
    if (row < 0 || row >= image->height || channel < 0 || channel >= image->channels) {
        error.message = rowProblem(row, channel, "is not in the image");
        error.fatal = true;
        return false;
    }
    std::size_t index =
        static_cast<std::size_t>(row) + static_cast<std::size_t>(channel) * image->height;
    if (!sgiIsRle(image)) {
        readAt(image, SGI_HEADER_SIZE + static_cast<unsigned long long>(image->width) * index, out,
               image->width);
        return true;
    }
    std::size_t length = image->rowLengths[index];
    if (length > image->width * SGI_RLE_ROW_FACTOR) {
        error.message = rowProblem(row, channel, "is longer than its buffer");
        error.fatal = true;
        return false;
    }
    unsigned char* encoded = image->rowBuffers[0];
    std::memset(encoded, 0, length);
    readAt(image, image->rowOffsets[index], encoded, length);
    if (!sgiDecodeRow(encoded, length, out, image->width)) {
        error.message = rowProblem(
            row, channel, "decodes to more than its " + std::to_string(image->width) + " pixels");
        error.fatal = true;
        return false;
    }
    return true;
}
