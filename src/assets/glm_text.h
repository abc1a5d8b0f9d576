#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reads OBJ and MTL text held in memory one whitespace-delimited token or one line at a time.
// Never looks past the end of the text. Does not own the text; the caller keeps it alive.
class GlmText {
public:
    // The model files have always been read through a 128-byte buffer; text that is used
    // (face vertices, names) must still fit it, terminator included.
    static constexpr std::size_t BUFFER_SIZE = 128;

    GlmText(const char* data, std::size_t size) : data(data), size(size) {}

    void rewind() {
        pos = 0;
        line = 1;
    }

    // The next token, or false at the end of the text.
    bool nextToken(std::string_view& token);
    // Like nextToken, but leaves the token to be read again.
    bool peekToken(std::string_view& token);
    // Discards the rest of the current line, line break included, however long it is.
    void skipLine();
    // The rest of the current line without its line break (nor a carriage return before it);
    // the line break is consumed.
    std::string_view restOfLine();
    // Reads up to `count` numbers from the rest of the current line, then skips the line.
    // Returns how many were read; reading stops at the first word that is not a finite number.
    int readFloats(float* out, int count);

    // Line of the last token read, for messages.
    int lineNumber() const { return tokenLine; }

private:
    const char* data;
    std::size_t size;
    std::size_t pos = 0;
    int line = 1;
    int tokenLine = 1;
};

// The first blank-delimited word of `text` (empty when there is none).
std::string_view glmFirstWord(std::string_view text);

// Parses all of `text` as a float; false unless it is a finite number and nothing else.
bool glmParseFloat(std::string_view text, float& value);
