#include "support/fakeplatform.h"

#include <cassert>

namespace {

FakePlatform* active = nullptr;

int fakeModifiers() {
    return active->modifiers;
}
void fakePostRedisplay() {
    ++active->redisplays;
}
void fakeArmTimer(unsigned int ms, Platform::TimerCallback callback, int value) {
    active->timers.push_back({ms, callback, value});
}
void fakeAttachMenu(int menu, int button) {
    active->attachedMenu = menu;
    active->attachedButton = button;
}
void fakeDetachMenu(int button) {
    if (active->attachedButton == button) {
        active->attachedMenu = 0;
        active->attachedButton = -1;
    }
}

} // namespace

FakePlatform::FakePlatform() : saved(platform()) {
    assert(active == nullptr);
    active = this;
    platform() =
        Platform{fakeModifiers, fakePostRedisplay, fakeArmTimer, fakeAttachMenu, fakeDetachMenu};
}

FakePlatform::~FakePlatform() {
    platform() = saved;
    active = nullptr;
}

int FakePlatform::fireTimers() {
    std::vector<PendingTimer> due;
    due.swap(timers);
    for (const PendingTimer& t : due)
        t.callback(t.value);
    return static_cast<int>(due.size());
}
