#include <gtest/gtest.h>

#include <string>

#include "math/text.h"

namespace {

// The encoder every UTF-8 text follows, written out independently of the reader under test.
std::string encode(unsigned int codePoint) {
    std::string out;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xc0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3f));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xe0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (codePoint & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (codePoint & 0x3f));
    }
    return out;
}

// Every code point is read back whole, except the surrogates; and across every two- and
// three-byte string, exactly the encodings of code points are accepted at their full length:
// nothing overlong, cut short or stray slips through.
TEST(Utf8, AcceptsExactlyTheEncodingsOfCodePoints) {
    for (unsigned int codePoint = 0; codePoint <= 0x10ffff; ++codePoint) {
        std::string bytes = encode(codePoint);
        bool surrogate = codePoint >= 0xd800 && codePoint <= 0xdfff;
        ASSERT_EQ(utf8SequenceLength(bytes, 0), surrogate ? 0u : bytes.size()) << codePoint;
    }
    int twoByte = 0, threeByte = 0;
    for (unsigned int a = 0x80; a < 0x100; ++a)
        for (unsigned int b = 0; b < 0x100; ++b) {
            std::string pair{static_cast<char>(a), static_cast<char>(b)};
            size_t length = utf8SequenceLength(pair, 0);
            EXPECT_NE(length, 1u);
            twoByte += length == 2;
            if (a >= 0xe0 && a < 0xf0 && (b & 0xc0) == 0x80)
                for (unsigned int c = 0; c < 0x100; ++c) {
                    std::string triple = pair + static_cast<char>(c);
                    threeByte += utf8SequenceLength(triple, 0) == 3;
                }
        }
    EXPECT_EQ(twoByte, 0x800 - 0x80);              // U+0080 to U+07FF
    EXPECT_EQ(threeByte, 0x10000 - 0x800 - 0x800); // U+0800 to U+FFFF less the surrogates
    EXPECT_EQ(utf8SequenceLength("\xf4\x90\x80\x80", 0), 0u); // past U+10FFFF
    EXPECT_EQ(utf8SequenceLength("\xf0\x9f\x98", 0), 0u);     // cut short
}

// What reaches the terminal can neither steer it nor split a character; good text is kept.
TEST(Utf8, PrintableEscapesControlsAndBrokenBytesOnly) {
    EXPECT_EQ(printable("Open Arena \xc3\xa9\xe2\x82\xac"), "Open Arena \xc3\xa9\xe2\x82\xac");
    EXPECT_EQ(printable("a\x1b[31mb\n\x7f"), "a\\x1b[31mb\\x0a\\x7f");
    EXPECT_EQ(printable("x\xff\xc3"), "x\\xff\\xc3");
    EXPECT_EQ(printable(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(printable("one\ntwo\r\x1b", true), "one\ntwo\\x0d\\x1b");
}

} // namespace
