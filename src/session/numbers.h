#pragma once

// Session floor: scripted play: options, scripts, traces and the play session. May use screens
// and everything below them.

#include <string>

// Numbers as the command line and scripts write them.

// A whole decimal number in [low, high]: digits only, a leading '-' only where low < 0, at most
// 18 digits, nothing around them. False, leaving `value` alone, for anything else.
bool parseWholeNumber(const std::string& text, long long low, long long high, long long& value);
// The same for an int-sized range.
bool parseWholeNumber(const std::string& text, long long low, long long high, int& value);

// A finite decimal number, the whole text of it. False for anything else.
bool parseDecimal(const std::string& text, float& value);
