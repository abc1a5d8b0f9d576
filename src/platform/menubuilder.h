#pragma once

// Platform floor: the window system and the machine, below every screen. May use math, GLUT,
// OpenGL, X11 and libpng.

#include <string>

// The pop-up menu calls the level editor builds its menus with, behind an interface so that the
// menu tree can be built and read back without a window. Menus are numbered by the builder;
// 0 is never a menu. Entries and submenus go to the menu made last or chosen with clear().
class MenuBuilder {
public:
    using Handler = void (*)(int value);

    virtual ~MenuBuilder() = default;

    // A new, empty menu whose entries call `handler` with their value; it becomes the one
    // entries go to. 0 when no menu can be made (GLUT not started).
    virtual int create(Handler handler) = 0;
    virtual void addEntry(const std::string& label, int value) = 0;
    virtual void addSubMenu(const std::string& label, int menu) = 0;
    // Removes every entry of `menu`, which becomes the one entries go to.
    virtual void clear(int menu) = 0;
};

// GLUT's pop-up menus. Before glutInit it makes no menus (create returns 0) and ignores the
// rest, as GLUT would otherwise end the process.
MenuBuilder& glutMenus();
