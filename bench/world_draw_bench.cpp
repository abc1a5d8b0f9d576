// Frames per second of the world's drawing at 800x600 under the software renderer: the cube
// with per-face lights, 20 blocks with their stencilled shadows, seen through a world camera.
// Needs an X display (the test command runs under Xvfb); without one it reports an error.

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include "app/worldcamera.h"
#include "math/randomsource.h"
#include "world/world.h"

namespace {

// A grey block standing on its face, w x d x h, drawn and shadowed in full.
class BenchBlock : public Object {
public:
    BenchBlock(const Vec3f& position, World* world, float size)
        : Object(position, world), size(size) {
        type = BOX;
        boundingBox.setExtents(-size / 2, size / 2, -size / 2, size / 2, -size / 2, size / 2, up,
                               forward);
        boundingBox.moveTo(position + up * (size / 2), false);
    }

    void draw(bool) override {
        float s = size / 2;
        glColor3f(0.4f, 0.4f, 0.4f);
        glBegin(GL_QUADS);
        glNormal3f(0, 0, 1);
        glVertex3f(-s, -s, size), glVertex3f(s, -s, size), glVertex3f(s, s, size),
            glVertex3f(-s, s, size);
        glNormal3f(-1, 0, 0);
        glVertex3f(-s, -s, 0), glVertex3f(-s, -s, size), glVertex3f(-s, s, size),
            glVertex3f(-s, s, 0);
        glNormal3f(0, -1, 0);
        glVertex3f(-s, -s, 0), glVertex3f(s, -s, 0), glVertex3f(s, -s, size),
            glVertex3f(-s, -s, size);
        glNormal3f(1, 0, 0);
        glVertex3f(s, -s, 0), glVertex3f(s, s, 0), glVertex3f(s, s, size), glVertex3f(s, -s, size);
        glNormal3f(0, 1, 0);
        glVertex3f(s, s, 0), glVertex3f(-s, s, 0), glVertex3f(-s, s, size), glVertex3f(s, s, size);
        glEnd();
    }

private:
    float size;
};

bool openWindow() {
    static int window = 0;
    if (window != 0)
        return true;
    if (getenv("DISPLAY") == nullptr)
        return false;
    int argc = 1;
    char name[] = "quorl_bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowSize(800, 600);
    window = glutCreateWindow("Quorl benchmark");
    return window != 0;
}

void setUpGameState() {
    glViewport(0, 0, 800, 600);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(65, 800.0 / 600.0, 1, 600);
    glMatrixMode(GL_MODELVIEW);
}

void BM_WorldDraw(benchmark::State& state) {
    if (!openWindow()) {
        state.SkipWithError("no X display");
        return;
    }
    int n = static_cast<int>(state.range(0));
    World world(n, 28);
    randomSource.seed(1);
    for (int i = 0; i < 20; ++i)
        world.addObject(new BenchBlock(world.randomFacePosition(6, 6), &world, 8));
    WorldCamera camera;
    camera.zoom(world.halfExtent() * 3.2f);
    camera.rotate(0.6f, 1, -1, 0.3f);
    setUpGameState();
    for (auto _ : state) {
        glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        camera.apply();
        world.draw(nullptr, nullptr);
        glutSwapBuffers();
        glFinish();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_WorldDraw)->Arg(3)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
