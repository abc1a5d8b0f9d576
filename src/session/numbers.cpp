#include "session/numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

bool parseWholeNumber(const std::string& text, long long low, long long high, long long& value) {
    size_t start = (low < 0 && !text.empty() && text[0] == '-') ? 1 : 0;
    if (text.size() == start || text.size() - start > 18)
        return false;
    for (size_t i = start; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool parseWholeNumber(const std::string& text, long long low, long long high, int& value) {
    long long parsed = 0;
    if (!parseWholeNumber(text, low, high, parsed))
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseDecimal(const std::string& text, float& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtof(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}
