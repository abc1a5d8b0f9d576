#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "input/joystick_internal.h"

JoystickLayer& joystickLayer() {
    static JoystickLayer layer;
    return layer;
}

void reportJoystickError(const char* message) {
    printf("Error: %s\n", message);
}

void reportJoystickFatal(const char* message) {
    printf("Fatal error: %s\n", message);
    fflush(stdout);
    exit(-1);
}

void useJoystickBackend(JoystickBackend* backend) {
    joystickLayer().backend = backend;
}

namespace {

bool readEntry(unsigned id, JoystickTableEntry& entry) {
    JoystickBackend& backend = *joystickLayer().backend;
    JoystickPosition position;
    position.flags = JOY_RETURNALL;
    if (backend.readPosition(id, position) != JOYERR_NOERROR)
        return false;
    if (backend.readCaps(id, entry.caps) != JOYERR_NOERROR)
        return false;
    entry.id = id;
    entry.name.clear();
    entry.hasName = backend.readName(id, entry.name);
    return true;
}

void freeDevice(JoystickDevice* device) {
    for (Joystick* handle : device->handles)
        handle->device = nullptr;
    delete device;
}

bool validIndex(int index) {
    return index >= 0 && index < joystickLayer().deviceCount;
}

} // namespace

int initJoysticks() {
    JoystickLayer& layer = joystickLayer();
    layer.deviceCount = 0;
    layer.table.clear();
    for (JoystickDevice* device : layer.openDevices)
        if (device)
            freeDevice(device);
    layer.openDevices.clear();
    if (layer.backend) {
        unsigned ids = layer.backend->deviceCount();
        // table holds the usable devices among ids 0 .. id-1, at most MAX_JOYSTICKS of them
        for (unsigned id = 0; id < ids && layer.table.size() < MAX_JOYSTICKS; ++id) {
            JoystickTableEntry entry;
            if (readEntry(id, entry))
                layer.table.push_back(entry);
        }
    }
    layer.deviceCount = static_cast<uint8_t>(layer.table.size());
    layer.openDevices.assign(layer.deviceCount, nullptr);
    return 0;
}

int numJoysticks() {
    return joystickLayer().deviceCount;
}

const char* GetName(int index) {
    if (!validIndex(index)) {
        reportJoystickError("Joystick index out of range in GetName().\n");
        return nullptr;
    }
    const JoystickTableEntry& entry = joystickLayer().table[index];
    return entry.hasName ? entry.name.c_str() : entry.caps.productName.c_str();
}

bool rereadEntry(int index) {
    JoystickLayer& layer = joystickLayer();
    JoystickTableEntry entry;
    if (!layer.backend || !readEntry(layer.table[index].id, entry))
        return false;
    layer.table[index] = entry;
    return true;
}

namespace {

// min maps to -32768 and max to 32767. A range that is empty or reversed has one position to
// report at most: min reads 0.
void scaleAxis(JoystickHardware& hw, int axis, uint32_t min, uint32_t max) {
    if (max <= min) {
        hw.offset[axis] = static_cast<int>(32768 - static_cast<int64_t>(min));
        hw.scale[axis] = 1.0f;
        return;
    }
    hw.offset[axis] = -static_cast<int>(min);
    hw.scale[axis] = 65535.0f / static_cast<float>(max - min);
}

} // namespace

void configureDevice(JoystickDevice& device, const JoystickCaps& caps) {
    const uint32_t mins[6] = {caps.xMin, caps.yMin, caps.zMin, caps.rMin, caps.uMin, caps.vMin};
    const uint32_t maxes[6] = {caps.xMax, caps.yMax, caps.zMax, caps.rMax, caps.uMax, caps.vMax};
    const uint32_t present[6] = {~0u, ~0u, JOYCAPS_HASZ, JOYCAPS_HASR, JOYCAPS_HASU, JOYCAPS_HASV};
    for (int axis = 0; axis < 6; ++axis) {
        if (caps.caps & present[axis]) {
            scaleAxis(device.hw, axis, mins[axis], maxes[axis]);
        } else { // reads the position as it comes
            device.hw.offset[axis] = 32768;
            device.hw.scale[axis] = 1.0f;
        }
    }
    device.numButtons = static_cast<int>(std::min<uint32_t>(caps.numButtons, MAX_JOYSTICK_BUTTONS));
    device.numAxes = static_cast<int>(std::min<uint32_t>(caps.numAxes, MAX_JOYSTICK_AXES));
    device.numHats = (caps.caps & JOYCAPS_HASPOV) ? 1 : 0;
    try {
        device.axes.assign(device.numAxes, 0);
        device.hats.assign(device.numHats, HAT_CENTERED);
        device.balls.assign(device.numBalls, BallMotion());
        device.buttons.assign(device.numButtons, 0);
    } catch (const std::bad_alloc&) {
        reportJoystickFatal("couldn't allocate memory");
    }
}

void centreDevice(JoystickDevice& device) {
    std::fill(device.axes.begin(), device.axes.end(), 0);
    std::fill(device.hats.begin(), device.hats.end(), HAT_CENTERED);
    std::fill(device.balls.begin(), device.balls.end(), BallMotion());
    std::fill(device.buttons.begin(), device.buttons.end(), 0);
}

std::unique_ptr<Joystick> OpenJoystick(int index) {
    if (!validIndex(index)) {
        reportJoystickError("Joystick index out of range in OpenJoystick().\n");
        return nullptr;
    }
    JoystickLayer& layer = joystickLayer();
    JoystickDevice* device = layer.openDevices[index];
    if (!device) {
        device = new (std::nothrow) JoystickDevice();
        if (!device)
            reportJoystickFatal("couldn't allocate memory");
        device->index = static_cast<uint8_t>(index);
        device->hw.id = layer.table[index].id;
        configureDevice(*device, layer.table[index].caps);
        layer.openDevices[index] = device;
    }
    ++device->refCount;
    return std::make_unique<Joystick>(device);
}

void Close(int index) {
    if (!validIndex(index)) {
        reportJoystickError("Invalid joystick device index in Close().\n");
        return;
    }
    JoystickDevice*& device = joystickLayer().openDevices[index];
    if (!device) {
        reportJoystickError("Tried to close unopened joystick.\n");
        return;
    }
    if (--device->refCount < 1) {
        freeDevice(device);
        device = nullptr;
    }
}

void quitJoysticks() {
    JoystickLayer& layer = joystickLayer();
    for (JoystickDevice* device : layer.openDevices)
        if (device)
            freeDevice(device);
    layer = JoystickLayer();
}
