#include <GL/freeglut.h>
#include <algorithm>
#include <cmath>

#include "math/constants.h"
#include "math/faces.h"
#include "platform/platform.h"
#include "screens/leveleditor.h"
#include "screens/shell.h"
#include "world/box.h"
#include "world/world.h"

namespace {
const Vec4f NEW_BLOCK_COLOUR(0.05f, 0.05f, 0.05f, 1.0f);
constexpr float NEW_BLOCK_HEIGHT = 1.0f; // world units, until raised
} // namespace

void LevelEditor::mouse(int button, int state, int x, int y) {
    if (!world)
        return;
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
        if (Object* block = pickObject(x, y)) {
            select(block);
            platform().postRedisplay();
            return;
        }
        select(nullptr);
    }
    if (mode == 1 && button == GLUT_LEFT_BUTTON) {
        if (state == GLUT_DOWN)
            leftPress(x, y);
        else
            leftRelease(x, y);
    }
    platform().postRedisplay();
}

void LevelEditor::leftPress(int x, int y) {
    if (phase == 0 && pickCubePoint(x, y)) {
        select(nullptr);
        startCorner = hoverPoint;
        phase = 1;
    }
}

void LevelEditor::leftRelease(int x, int y) {
    if (phase == 1 && (!pickCubePoint(x, y) || !roomForBlock())) {
        phase = 0; // released off the cube, or no room: the drag draws nothing
    } else if (phase == 1) {
        endCorner = hoverPoint;
        Vec3f centre = (startCorner + endCorner) * 0.5f;
        int f = faceOf(centre);
        // Corners on two faces have their midpoint inside the cube, where the block would be
        // buried: it stands on the face plane instead.
        centre[faceAxis(f)] = static_cast<float>(faceSign(f)) * world->halfExtent();
        Vec3f a = toFaceLocal(startCorner, f), b = toFaceLocal(endCorner, f);
        auto* box = new Box(centre, world, std::fabs(a.x() - b.x()), std::fabs(a.y() - b.y()),
                            NEW_BLOCK_HEIGHT);
        box->colour = NEW_BLOCK_COLOUR;
        world->addObject(box);
        blockAdded();
        select(box);
        phase += 1;
    } else if (phase == 2 && selected && pickOnObjectColumn(x, y, selected)) {
        heightPoint = hoverPoint;
        phase = 0;
    }
}

void LevelEditor::motion(int x, int y) {
    if (!world)
        return;
    if (::mouse.middleDown) {
        float dx = static_cast<float>(::mouse.dx()), dy = static_cast<float>(::mouse.dy());
        if (keys.isKeyDown('x'))
            camera.pan(-dx, dy);
        else if (keys.isKeyDown('z'))
            camera.zoom(std::max(-dy, closestZoom() - camera.distance));
        else
            camera.rotate(-std::sqrt(dx * dx + dy * dy) * static_cast<float>(PI / 180), dy, dx, 0);
        platform().postRedisplay();
    }
    if (mode != 1 || !::mouse.leftDown)
        return;
    if ((phase == 0 || phase == 1) && pickCubePoint(x, y)) {
        platform().postRedisplay();
    } else if (phase == 2 && selected) {
        dragHeight(x, y);
    }
}

void LevelEditor::dragHeight(int x, int y) {
    if (!pickOnObjectColumn(x, y, selected))
        return;
    heightPoint = hoverPoint;
    auto* box = static_cast<Box*>(selected);
    float height = box->up.dot(heightPoint - box->position);
    box->setSize(box->width, box->depth, height > 0 ? height : 0);
    platform().postRedisplay();
}
