#include <gtest/gtest.h>

#include <cstdlib>

#include "assetfixtures.h"
#include "assets/sgiimage.h"
#include "sgiwriter.h"

namespace {

struct Image {
    int width = 0, height = 0, components = 0;
    std::vector<unsigned char> rgba;
    SgiError error;
    bool ok = false;
};

Image decode(const std::vector<unsigned char>& file) {
    Image image;
    unsigned char* pixels =
        readRgbaImageMemory(file.data(), file.size(), "textures/test.rgb", &image.width,
                            &image.height, &image.components, image.error);
    if (pixels) {
        image.ok = true;
        image.rgba.assign(pixels, pixels + 4ul * image.width * image.height);
        std::free(pixels);
    }
    return image;
}

// A test picture with long runs (RLE runs) and busy stretches (literal runs).
std::vector<unsigned char> pattern(int width, int height, int channels) {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels.push_back(static_cast<unsigned char>(
                    x < width / 2 ? 40 * c + y : (x * 7 + y * 13 + c * 29) % 251));
    return pixels;
}

std::vector<unsigned char> expectedRgba(const std::vector<unsigned char>& pixels, int channels) {
    std::vector<unsigned char> out;
    for (std::size_t p = 0; p < pixels.size(); p += channels) {
        const unsigned char* c = &pixels[p];
        switch (channels) {
        case 1:
            out.insert(out.end(), {c[0], c[0], c[0], 255});
            break;
        case 2:
            out.insert(out.end(), {c[0], c[0], c[0], c[1]});
            break;
        case 3:
            out.insert(out.end(), {c[0], c[1], c[2], 255});
            break;
        default:
            out.insert(out.end(), {c[0], c[1], c[2], c[3]});
            break;
        }
    }
    return out;
}

TEST(SgiImage, ReadsVerbatimAndRunLengthFilesOfOneToFourChannels) {
    const int width = 300, height = 7; // rows longer than one 127-byte run
    for (int channels = 1; channels <= 4; ++channels)
        for (bool rle : {false, true}) {
            std::vector<unsigned char> pixels = pattern(width, height, channels);
            Image image = decode(encodeSgiImage(width, height, channels, pixels, rle));
            ASSERT_TRUE(image.ok) << image.error.message;
            EXPECT_EQ(image.width, width);
            EXPECT_EQ(image.height, height);
            EXPECT_EQ(image.components, channels) << "the file's channels, not the 4 returned";
            EXPECT_EQ(image.rgba, expectedRgba(pixels, channels))
                << channels << " channels, " << (rle ? "RLE" : "verbatim");
        }
}

TEST(SgiImage, PlanesBecomeInterleavedPixels) {
    // Planes (10, 20), (30, 40), (50, 60) of a 2 x 1 picture.
    Image image = decode(encodeSgiImage(2, 1, 3, {10, 30, 50, 20, 40, 60}, false));
    ASSERT_TRUE(image.ok) << image.error.message;
    EXPECT_EQ(image.rgba, (std::vector<unsigned char>{10, 30, 50, 255, 20, 40, 60, 255}));
    std::vector<unsigned char> file = encodeSgiImage(2, 1, 3, {10, 30, 50, 20, 40, 60}, false);
    EXPECT_EQ(std::vector<unsigned char>(file.begin() + 512, file.end()),
              (std::vector<unsigned char>{10, 20, 30, 40, 50, 60}));
}

TEST(SgiImage, DecodesLiteralAndRepeatRuns) {
    const unsigned char row[] = {0x83, 1, 2, 3, 0x02, 7, 0x00, 9, 9};
    unsigned char out[6] = {0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(sgiDecodeRow(row, sizeof row, out, sizeof out));
    EXPECT_EQ(std::vector<unsigned char>(out, out + 6),
              (std::vector<unsigned char>{1, 2, 3, 7, 7, 0}));
    // The same row into a buffer one byte short must be refused, not overrun.
    EXPECT_FALSE(sgiDecodeRow(row, sizeof row, out, 4));
    // An encoded row cut off inside a literal run keeps what is there.
    const unsigned char cut[] = {0x85, 4, 5};
    unsigned char into[5] = {0, 0, 0, 0, 0};
    EXPECT_TRUE(sgiDecodeRow(cut, sizeof cut, into, sizeof into));
    EXPECT_EQ(std::vector<unsigned char>(into, into + 5),
              (std::vector<unsigned char>{4, 5, 0, 0, 0}));
}

TEST(SgiImage, WriterRunsDecodeBackToTheRow) {
    std::vector<unsigned char> row(400, 5);
    for (int i = 150; i < 290; ++i)
        row[i] = static_cast<unsigned char>(i * 3);
    std::vector<unsigned char> encoded = encodeSgiRow(row.data(), 400);
    EXPECT_LT(encoded.size(), 200u);
    std::vector<unsigned char> back(400, 0);
    ASSERT_TRUE(sgiDecodeRow(encoded.data(), encoded.size(), back.data(), back.size()));
    EXPECT_EQ(back, row);
}

void put32(std::vector<unsigned char>& file, std::size_t at, unsigned int value) {
    for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

TEST(SgiImage, UnsoundFilesAreReportedWithTheirNameAndProblem) {
    std::vector<unsigned char> rle = encodeSgiImage(4, 2, 1, pattern(4, 2, 1), true);
    std::vector<unsigned char> tooLong = rle, overrun = rle, noWidth = rle;
    put32(tooLong, 512 + 8 + 4, 4 * 256 + 1); // row 1's length beyond its buffer
    // Row 0 rewritten to repeat a byte 100 times into a 4-pixel row.
    std::size_t row0 = (static_cast<std::size_t>(overrun[512]) << 24 | overrun[513] << 16 |
                        overrun[514] << 8 | overrun[515]);
    overrun[row0] = 100;
    noWidth[6] = noWidth[7] = 0;
    std::vector<unsigned char> tables(rle.begin(), rle.begin() + 520); // half the tables
    std::vector<unsigned char> onlyTables(rle.begin(), rle.begin() + 528);
    std::vector<unsigned char> onlyHeader = encodeSgiImage(4, 2, 1, pattern(4, 2, 1), false);
    onlyHeader.resize(512);

    const std::vector<std::pair<std::vector<unsigned char>, const char*>> cases = {
        {std::vector<unsigned char>(rle.begin(), rle.begin() + 5), "too short for an image header"},
        {noWidth, "describes no pixels (0 x 2, 1 channels)"},
        {tables, "its run-length tables need 528 bytes but the file has 520"},
        {tooLong, "is 1025 bytes, more than its 1024-byte buffer"},
        {overrun, "row 0 of channel 0 decodes to more than its 4 pixels"},
        {onlyHeader, "the file ends with its header and holds no pixels"},
        {onlyTables, "the file ends with its run-length tables and holds no pixels"},
    };
    for (const auto& [file, problem] : cases) {
        Image image = decode(file);
        EXPECT_FALSE(image.ok) << problem;
        EXPECT_TRUE(image.error.fatal) << problem;
        EXPECT_NE(image.error.message.find(problem), std::string::npos) << image.error.message;
        EXPECT_NE(image.error.message.find("readRgbaImage() failed"), std::string::npos);
    }
}

TEST(SgiImage, TruncatedFilesReadAsZerosWhereDataIsMissing) {
    std::vector<unsigned char> pixels(4 * 4 * 3, 200);
    std::vector<unsigned char> verbatim = encodeSgiImage(4, 4, 3, pixels, false);
    verbatim.resize(512 + 16 + 6); // all of red, six bytes of green
    Image cut = decode(verbatim);
    ASSERT_TRUE(cut.ok) << cut.error.message;
    EXPECT_EQ(cut.rgba[0], 200);       // red
    EXPECT_EQ(cut.rgba[1], 200);       // green, row 0 pixel 0: in the file
    EXPECT_EQ(cut.rgba[4 * 6 + 1], 0); // green, row 1 pixel 2: cut off
    EXPECT_EQ(cut.rgba[2], 0);         // blue: none of it is there
    EXPECT_EQ(cut.rgba[3], 255);

    std::vector<unsigned char> rle = encodeSgiImage(4, 4, 3, pixels, true);
    rle.resize(rle.size() - 2); // the last row loses its value and end marker
    Image cutRle = decode(rle);
    ASSERT_TRUE(cutRle.ok) << cutRle.error.message;
    EXPECT_EQ(cutRle.rgba[4 * 12 + 2], 0) << "blue of the top row";
    EXPECT_EQ(cutRle.rgba[2], 200);
}

TEST(SgiImageDeathTest, MissingOrUnreadableFilesEndTheProgramWithStatusOne) {
    int w, h, c;
    EXPECT_EXIT(readRgbaImage("textures/no_such.rgb", &w, &h, &c), testing::ExitedWithCode(1),
                "textures/no_such.rgb: No such file or directory");
    ScratchDir dir;
    std::string path = dir.write("short.rgb", std::string("\x01\xda\x00", 3));
    EXPECT_EXIT(readRgbaImage(path.c_str(), &w, &h, &c), testing::ExitedWithCode(1),
                "short.rgb\": the file is 3 bytes, too short for an image header");
}

TEST(SgiImage, ReadsFromDisk) {
    ScratchDir dir;
    std::string path =
        dir.write("grey.rgb", encodeSgiImage(3, 2, 1, std::vector<unsigned char>(6, 128), true));
    int w = 0, h = 0, c = 0;
    unsigned char* pixels = readRgbaImage(path.c_str(), &w, &h, &c);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w * h * c, 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(std::vector<unsigned char>(pixels + 4 * i, pixels + 4 * i + 4),
                  (std::vector<unsigned char>{128, 128, 128, 255}));
    std::free(pixels);
}

} // namespace
