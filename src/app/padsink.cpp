#include "app/padsink.h"

#include "app/virtualpads.h"

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

bool VirtualPads::attach(int count, std::string& error) {
    return attachVirtualPads(count, error);
}

bool VirtualPads::setControl(int pad, const std::string& control, float value, std::string& error) {
    if (setVirtualPadControl(pad, control, value))
        return true;
    error = "pad " + std::to_string(pad) + " has no control \"" + control + "\"";
    return false;
}

bool VirtualPads::unplug(int pad, std::string& error) {
    if (unplugVirtualPad(pad))
        return true;
    error = "pad " + std::to_string(pad) + " cannot be unplugged (not attached, or unplugged)";
    return false;
}

bool VirtualPads::plug(int pad, std::string& error) {
    if (plugVirtualPad(pad))
        return true;
    error = "pad " + std::to_string(pad) + " cannot be plugged in (not attached, or plugged in)";
    return false;
}
