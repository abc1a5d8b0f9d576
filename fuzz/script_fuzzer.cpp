// Feeds arbitrary bytes to the script reader. What it accepts must be a timeline the play session
// can apply: events in frame order, each from a line of the file, every field in its range.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "input/padcontrols.h"
#include "session/script.h"

namespace {
void check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "script_fuzzer: %s\n", what);
        abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<ScriptEvent> events;
    std::string error;
    if (!parseScript(in, events, error)) {
        check(events.empty(), "a refused script left events behind");
        check(!error.empty(), "a refused script without a reason");
        return 0;
    }
    int lines = 1;
    for (size_t i = 0; i < size; ++i)
        lines += data[i] == '\n';
    for (size_t i = 0; i < events.size(); ++i) {
        const ScriptEvent& e = events[i];
        check(e.frame >= 0, "a negative frame");
        check(i == 0 || events[i - 1].frame <= e.frame, "events out of frame order");
        check(e.line >= 1 && e.line <= lines, "an event from a line the file does not have");
        check(e.pad >= 0 && e.pad < 16, "a pad out of range");
        if (e.kind == ScriptEvent::Kind::PAD_CONTROL) {
            const PadControl* control = findPadControl(e.control);
            check(control != nullptr, "an unknown pad control");
            float low = control->kind == PadControlKind::STICK ? -1.0f : 0.0f;
            check(e.value >= low && e.value <= 1.0f, "a pad value out of its range");
        }
    }
    return 0;
}
