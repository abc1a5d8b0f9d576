// Feeds arbitrary bytes to the settings reader. Whatever it makes of them, every setting must
// stay in its range, and the settings written back must read again whole and the same.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "places/settings.h"

namespace {
void check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "settings_fuzzer: %s\n", what);
        abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Settings settings;
    int line = 0;
    std::string reason;
    bool whole =
        settings.read(std::string(reinterpret_cast<const char*>(data), size), line, reason);
    check(whole == (line == 0), "a failed read must name its line");
    const auto& keys = Settings::keys();
    for (size_t i = 0; i < keys.size(); ++i)
        check(settings.at(i) >= keys[i].low && settings.at(i) <= keys[i].high,
              "a setting out of its range");
    for (const TextSettingKey& key : Settings::textKeys())
        check(Settings::keepsText(key, settings.textValue(key.key)),
              "a text setting the file could not give back");
    Settings again;
    check(again.read(settings.text(), line, reason), "written settings do not read back");
    check(again == settings, "written settings read back different");
    return 0;
}
