#include "support/fakeplatform.h"

#include <algorithm>
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
    active->timers.push_back({ms, callback, value, active->now});
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
double fakeSeconds() {
    return active->now;
}
void fakeSwap() {
    ++active->swaps;
}
void fakeLeaveMainLoop() {
    ++active->loopsLeft;
}
void fakeToggleFullScreen() {
    ++active->fullScreenToggles;
}
bool fakeKeyboardFocus() {
    return active->keyboardFocus;
}

} // namespace

FakePlatform::FakePlatform() : saved(platform()) {
    assert(active == nullptr);
    active = this;
    platform() = Platform{fakeModifiers,        fakePostRedisplay, fakeArmTimer, fakeAttachMenu,
                          fakeDetachMenu,       fakeSeconds,       fakeSwap,     fakeLeaveMainLoop,
                          fakeToggleFullScreen, fakeKeyboardFocus};
}

FakePlatform::~FakePlatform() {
    platform() = saved;
    active = nullptr;
}

int FakePlatform::fireTimers() {
    std::vector<PendingTimer> due;
    due.swap(timers);
    std::stable_sort(due.begin(), due.end(), [](const PendingTimer& a, const PendingTimer& b) {
        return a.due() < b.due();
    });
    for (const PendingTimer& t : due) {
        if (t.due() > now)
            now = t.due();
        t.callback(t.value);
    }
    return static_cast<int>(due.size());
}
