#include "app/screen.h"

#include "app/platform.h"
#include "app/shell.h"

void switchScreen(Screen* next) {
    if (currentScreen != nullptr)
        currentScreen->deactivate();
    next->activate();
    currentScreen = next;
    platform().postRedisplay();
}
