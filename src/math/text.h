#pragma once

#include <cstddef>
#include <string>

// Text that came from outside (file names, level names, script lines, pad names) and is about
// to be shown somewhere it could do harm: a terminal that would obey its control characters,
// or a JSON line that must be valid UTF-8.

// The length in bytes of the well-formed UTF-8 sequence starting at `at` (1 to 4), or 0 when
// the bytes there are not one: a stray continuation byte, a sequence cut short, an overlong
// form, a surrogate or a code point above U+10FFFF. `at` must be below text.size().
std::size_t utf8SequenceLength(const std::string& text, std::size_t at);

// `text` with every control character (below 0x20, and 0x7f) and every byte that is not part
// of well-formed UTF-8 written as \xNN, so that printing it can neither move the cursor, ring,
// recolour the terminal nor split a character. Well-formed text without controls is returned
// unchanged. `keepLineBreaks` leaves '\n' as it is, for a message made of several lines.
// Cost: one pass over the text.
std::string printable(const std::string& text, bool keepLineBreaks = false);
