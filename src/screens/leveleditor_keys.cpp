#include "platform/traceline.h"
#include "screens/leveleditor.h"
#include "world/box.h"
#include "world/world.h"

namespace {
constexpr unsigned char CTRL_S = 19; // what GLUT delivers for Ctrl+S
constexpr unsigned char BACKSPACE_KEY = 8;
constexpr unsigned char ESCAPE_KEY = 27;
constexpr unsigned char DELETE_KEY = 127; // GLUT sends Delete as a character
} // namespace

// Shortcuts for the menu entries a player uses most. "x" and "z" are not here: they are held
// while the middle button drags, and the shell's key state answers for them.
void LevelEditor::keyboard(unsigned char key, int, int) {
    switch (key) {
    case 's':
    case 'S':
    case CTRL_S:
        menuAction(SAVE_LEVEL);
        break;
    case 'c':
    case 'C':
        menuAction(COPY_TO_OTHER_FACES);
        break;
    case DELETE_KEY:
    case BACKSPACE_KEY:
        menuAction(DELETE_SELECTED);
        break;
    case ESCAPE_KEY:
        menuAction(QUIT);
        break;
    default:
        break;
    }
}

void LevelEditor::addTraceFields(TraceLine& line) const {
    if (!world)
        return;
    line.add("cube", world->n);
    line.add("blocks", static_cast<int>(world->boxes.size()));
    line.add("phase", phase);
    line.add("selected", selected != nullptr);
    if (selected)
        line.add("height", static_cast<double>(static_cast<const Box*>(selected)->height));
    if (!status.empty())
        line.add("status", status);
}
