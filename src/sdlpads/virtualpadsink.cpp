#include "sdlpads/virtualpadsink.h"

#include "sdlpads/virtualpads.h"

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
