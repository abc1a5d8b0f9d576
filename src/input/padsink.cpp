#include "input/padsink.h"

namespace {
bool unavailable(std::string& error) {
    error = "pads are not available";
    return false;
}
} // namespace

bool NoPads::attach(int, std::string& error) {
    return unavailable(error);
}

bool NoPads::setControl(int, const std::string&, float, std::string& error) {
    return unavailable(error);
}

bool NoPads::unplug(int, std::string& error) {
    return unavailable(error);
}

bool NoPads::plug(int, std::string& error) {
    return unavailable(error);
}
