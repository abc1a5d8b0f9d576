#include "app/shell.h"
#include "app/startscreen.h"

int main(int argc, char** argv) {
    openWindow(&argc, argv);
    return runShell(StartScreen::instance());
}
