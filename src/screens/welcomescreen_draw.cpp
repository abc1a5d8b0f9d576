#include <GL/freeglut.h>
#include <algorithm>

#include "assets/glm.h"
#include "entities/tank.h"
#include "input/joystickmanager.h"
#include "platform/stroketext.h"
#include "screens/shell.h"
#include "screens/welcomescreen.h"
#include "world/rubikscube.h"

namespace {

void setLight(GLenum light, GLenum name, float r, float g, float b, float a) {
    const float values[4] = {r, g, b, a};
    glLightfv(light, name, values);
}

// Stroke text at (x, y, -1) in the screen's plane, scaled by `scale`.
void drawText(const std::string& text, float x, float y, float scale, float lineWidth) {
    glPushMatrix();
    glTranslatef(x, y, -1);
    glScalef(scale, scale, scale);
    drawStrokeText(text, lineWidth);
    glPopMatrix();
}

} // namespace

void WelcomeScreen::reshape(int, int) {
    if (windowWidth <= 0 || windowHeight <= 0)
        return; // no window yet: its first reshape brings the size
    glViewport(0, 0, windowWidth, windowHeight);
    halfAspect = aspectRatio(windowWidth, windowHeight) / 2;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-halfAspect, halfAspect, -0.5, 0.5, 10, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -10);
}

void WelcomeScreen::display() {
    glClearColor(0.075f, 0.075f, 0.075f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    setLight(GL_LIGHT0, GL_AMBIENT, 1, 1, 1, 1);
    setLight(GL_LIGHT0, GL_DIFFUSE, 1, 1, 1, 1);
    setLight(GL_LIGHT0, GL_SPECULAR, 1, 1, 1, 1);
    setLight(GL_LIGHT0, GL_POSITION, -0.3f, 0.43f, 0, 1);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 1);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.5f);
    const float specular[4] = {0.9f, 0.9f, 0.9f, 1};
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 20);
    glColor3f(0.5f, 0.5f, 0.5f);
    drawTitle();
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    // On the level list the setup rows stand where the display tank would.
    if (mode != LEVEL_LIST)
        drawDisplayTank();
    glColor3f(0.75f, 0.75f, 0.75f);
    drawRows();
    drawMarker();
    drawStatus();
    glFlush();
    presentFrame();
    scheduleNextFrame();
}

void WelcomeScreen::drawTitle() const {
    glPushMatrix();
    glTranslatef(0, 0.5f - titleSize.y() - 0.03f, -titleSize.z());
    glmDraw(titleModel, GLM_SMOOTH);
    glPopMatrix();
}

void WelcomeScreen::drawDisplayTank() const {
    glPushMatrix();
    glTranslatef(-0.33f, -0.25f, -0.5f);
    glRotatef(25, 1, 0, 0);
    glRotatef(130, 0, 1, 0);
    glRotatef(-90, 1, 0, 0);
    glScalef(0.25f, 0.25f, 0.25f);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glLightf(GL_LIGHT1, GL_CONSTANT_ATTENUATION, 0.0001f);
    glLightf(GL_LIGHT1, GL_LINEAR_ATTENUATION, 0);
    setLight(GL_LIGHT1, GL_SPECULAR, 1e-12f, 1e-12f, 1e-12f, 1);
    setLight(GL_LIGHT1, GL_DIFFUSE, 0.3f, 0.3f, 0.3f, 1);
    setLight(GL_LIGHT1, GL_AMBIENT, 0, 0, 0, 1);
    setLight(GL_LIGHT1, GL_POSITION, -4, -1, 5, 1);
    displayTank->draw(false);
    glPopMatrix();
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHTING);
}

// The rows' plane lies a tenth beyond the near plane, so it shows 1.1 half aspects either side.
float WelcomeScreen::rowScale(const std::string& text) const {
    float room = 1.1f * halfAspect - textX() - 0.02f; // to the window's right edge, a margin
    float width = strokeTextWidth(text);
    return width * textScale > room && width > 0 ? room / width : textScale;
}

void WelcomeScreen::drawRows() const {
    const float x = textX();
    if (mode == MAIN_MENU) {
        std::vector<int> rows = menuRows();
        for (size_t i = 0; i < rows.size(); ++i) {
            int row = static_cast<int>(i);
            const char* text = rows[i] == WATCH_LAST_MATCH ? "Watch last match"
                               : rows[i] == PLAY_ONLINE    ? "Play Online"
                                                           : menuItems[rows[i]];
            drawText(text, x, rowY(row) - markerSize, rowScale(text), 2);
        }
        return;
    }
    if (mode == SETTINGS) {
        drawSettingRows();
        return;
    }
    if (mode == ONLINE || mode == JOIN_ADDRESS) {
        drawOnlineRows();
        return;
    }
    drawSetupRows();
    drawListHeading();
    glColor3f(0.75f, 0.75f, 0.75f);
    int count = static_cast<int>(levels.size());
    if (count == 0) {
        const char* empty = "No levels";
        drawText(empty, x, rowY(0) - markerSize, rowScale(empty), 2);
        return;
    }
    for (int j = 0; j < std::min(VISIBLE_ROWS, count - scroll); ++j) {
        const std::string& name = levels[static_cast<size_t>(scroll + j)].name;
        drawText(name, x, rowY(j) - markerSize, rowScale(name), 2);
    }
    const float ax = x + 0.225f;
    glBegin(GL_TRIANGLES);
    if (scroll > 0) {
        float y0 = rowY(-1) - markerSize;
        glVertex3f(ax - 0.05f, y0, -1);
        glVertex3f(ax + 0.05f, y0, -1);
        glVertex3f(ax, y0 + 0.05f, -1);
    }
    if (count - scroll > VISIBLE_ROWS) {
        float y1 = rowY(VISIBLE_ROWS) + markerSize;
        glVertex3f(ax, y1 - 0.05f, -1);
        glVertex3f(ax + 0.05f, y1, -1);
        glVertex3f(ax - 0.05f, y1, -1);
    }
    glEnd();
}

// What the list's choice does, in the middle of the window's top, above the title: the rows
// reach up to the title's foot.
void WelcomeScreen::drawListHeading() const {
    const std::string heading = listHosts ? "Choose a level to host" : "Choose a level to play";
    float scale = std::min(textScale * 0.55f, 2 * halfAspect / strokeTextWidth(heading));
    glColor3f(1.0f, 0.9f, 0.5f);
    drawText(heading, -strokeTextWidth(heading) * scale / 2, 0.435f, scale, 2);
    glColor3f(0.75f, 0.75f, 0.75f);
}

// "Host" and "Join"; on the Join line the address as typed with a cursor after it, under it why
// the last try did not join, in red, and a hint in the status line's grey.
void WelcomeScreen::drawOnlineRows() const {
    const float x = textX();
    const float room = 1.1f * halfAspect - x - 0.02f;
    if (mode == ONLINE) {
        drawText("Host", x, rowY(ONLINE_HOST) - markerSize, textScale, 2);
        drawText("Join", x, rowY(ONLINE_JOIN) - markerSize, textScale, 2);
        const std::string hint = "Host a match here, or join one by its address";
        glColor3f(0.55f, 0.55f, 0.55f);
        float hintScale = std::min(textScale * 0.4f, room / strokeTextWidth(hint));
        drawText(hint, x, rowY(ONLINE_ROWS) - markerSize, hintScale, 1.5f);
        return;
    }
    // The line keeps the menu's size while it fits, and shrinks as the address grows.
    const std::string line = "Address: " + address + "_";
    drawText(line, x, rowY(0) - markerSize,
             std::min(textScale * 0.8f, room / strokeTextWidth(line)), 2);
    float small = textScale * 0.4f;
    if (!message.empty()) {
        glColor3f(0.9f, 0.4f, 0.3f);
        drawText(message, x, rowY(1) - markerSize, std::min(small, room / strokeTextWidth(message)),
                 1.5f);
    }
    const std::string hint = "Type HOST or HOST:PORT; Enter joins, Escape goes back";
    glColor3f(0.55f, 0.55f, 0.55f);
    drawText(hint, x, rowY(2) - markerSize, std::min(small, room / strokeTextWidth(hint)), 1.5f);
    glColor3f(0.75f, 0.75f, 0.75f);
}

// "Label: value" a row, at the menu's size unless the widest row would leave the window.
void WelcomeScreen::drawSettingRows() const {
    std::vector<std::string> texts;
    float widest = 0;
    for (size_t key : settingRows()) {
        texts.push_back(std::string(Settings::keys()[key].label) + ":  " + settings.valueText(key));
        widest = std::max(widest, strokeTextWidth(texts.back()));
    }
    const float room = halfAspect - 0.03f - textX(); // window units to the right edge
    float scale = widest > 0 ? std::min(textScale, room / widest) : textScale;
    for (size_t i = 0; i < texts.size(); ++i)
        drawText(texts[i], textX(), rowY(static_cast<int>(i)) - markerSize, scale, 2);
    // The hint under the rows, in their column: the display tank covers the middle.
    const std::string hint = "Left and right change a setting; back saves it";
    float hintScale = std::min(textScale * 0.4f, room / strokeTextWidth(hint));
    drawText(hint, textX(), rowY(static_cast<int>(texts.size())) - markerSize, hintScale, 1.5f);
}

float WelcomeScreen::setupX() const {
    return -1.1f * halfAspect + 0.04f + 2 * markerSize + 0.05f;
}

// The setup in the left column, beside the first rows of the list, a little smaller than the
// levels and in the levels' colour when the marker is on one of them, light when it is on the
// setup; under them a hint in the status line's grey.
void WelcomeScreen::drawSetupRows() const {
    const float room = textX() - 2 * markerSize - 0.12f - setupX();
    float widest = 0;
    for (int row = 0; row < SETUP_ROWS; ++row)
        widest = std::max(widest, strokeTextWidth(setupText(row)));
    float scale = std::min(textScale * 0.7f, widest > 0 ? room / widest : textScale);
    for (int row = 0; row < SETUP_ROWS; ++row) {
        if (row == setupRow)
            glColor3f(1.0f, 0.9f, 0.5f);
        else
            glColor3f(0.75f, 0.75f, 0.75f);
        drawText(setupText(row), setupX(), rowY(row) - markerSize * 0.7f, scale, 2);
    }
    const std::string hint = setupRow >= 0 ? "Left and right change it" : "Up for the match setup";
    glColor3f(0.55f, 0.55f, 0.55f);
    float hintScale = std::min(textScale * 0.4f, room / strokeTextWidth(hint));
    drawText(hint, setupX(), rowY(SETUP_ROWS) - markerSize * 0.7f, hintScale, 1.5f);
}

void WelcomeScreen::drawMarker() const {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glPushMatrix();
    if (mode == LEVEL_LIST && setupRow >= 0)
        glTranslatef(setupX() - markerSize - 0.05f, rowY(setupRow), -1);
    else
        glTranslatef(textX() - markerSize - 0.05f, rowY(selected), -1);
    glRotatef(markerAngle, 0, 1, 0);
    glRotatef(45, 0, 0, 1);
    marker->draw();
    glPopMatrix();
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
}

std::string WelcomeScreen::statusLine() const {
    JoystickManager* pads = JoystickManager::instance();
    std::string line;
    int connected = 0;
    std::string names;
    for (int i = 0; i < pads->count; ++i)
        if (pads->getGamepad(i)->connected()) {
            names += (connected ? ", " : "") + pads->getGamepad(i)->name();
            ++connected;
        }
    if (connected == 0)
        line = "Connect a gamepad to play";
    else if (connected <= 2)
        line = std::to_string(connected) + (connected == 1 ? " gamepad: " : " gamepads: ") + names;
    else
        line = std::to_string(connected) + " gamepads";
    return line + "    Keyboard: arrows, Space, Tab";
}

void WelcomeScreen::drawStatus() const {
    const float scale = textScale * 0.4f;
    glColor3f(0.55f, 0.55f, 0.55f);
    float width = strokeTextWidth(statusLine()) * scale;
    drawText(statusLine(), -width / 2, -0.47f, scale, 1.5f);
    if (message.empty() || mode == JOIN_ADDRESS) // the Join line says it under itself
        return;
    // Above the status line; on a main menu of six rows, whose last reaches down there, at the
    // window's top instead.
    bool full = mode == MAIN_MENU && menuRows().size() > 5;
    glColor3f(0.9f, 0.4f, 0.3f);
    float w = strokeTextWidth(message) * scale;
    drawText(message, -w / 2, full ? 0.435f : -0.42f, scale, 1.5f);
}
