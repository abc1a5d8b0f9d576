#include "platform/menubuilder.h"

#include <GL/freeglut.h>

namespace {

class GlutMenus : public MenuBuilder {
public:
    int create(Handler handler) override { return ready() ? glutCreateMenu(handler) : 0; }
    void addEntry(const std::string& label, int value) override {
        if (ready())
            glutAddMenuEntry(label.c_str(), value);
    }
    void addSubMenu(const std::string& label, int menu) override {
        if (ready())
            glutAddSubMenu(label.c_str(), menu);
    }
    void clear(int menu) override {
        if (!ready() || menu == 0)
            return;
        glutSetMenu(menu);
        // Entries are numbered from 1; each removal moves the rest up.
        for (int i = glutGet(GLUT_MENU_NUM_ITEMS); i > 0; --i)
            glutRemoveMenuItem(1);
    }

private:
    static bool ready() { return glutGet(GLUT_INIT_STATE) != 0; }
};

} // namespace

MenuBuilder& glutMenus() {
    static GlutMenus menus;
    return menus;
}
