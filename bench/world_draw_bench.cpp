// Frame times of the world's drawing at 800x600 under the software renderer. Needs an X
// display (the test command runs under Xvfb); without one each case reports an error.
//
// BM_WorldDraw: the whole cube with 20 blocks and all their shadows, seen from outside through
// a world camera (the editor's and the overview's view).
// BM_WorldViews/n/views/turning: the game's split screen with the world alone: 40 blocks on an
// n-cube, 1 or 6 views laid out as the game screen lays out its players, each view behind a
// point at the centre of its own face as a following camera sees it, shadows on that face
// only; with turning 1, a layer through the middle turns all the time, one step per frame.
// BM_ClearAndSwap/views: the floor under BM_WorldViews: the same frames, only cleared and
// swapped, so what the world costs is the difference.

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

#include "math/faces.h"
#include "math/randomsource.h"
#include "view/followcamera.h"
#include "view/worldcamera.h"
#include "world/cubemesh.h"
#include "world/world.h"

namespace {

constexpr int WINDOW_WIDTH = 800; // pixels
constexpr int WINDOW_HEIGHT = 600;

// A grey block standing on its face, size x size x size, drawn and shadowed in full.
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

// Where a following camera stands: an invisible object at a face centre.
class Viewpoint : public Object {
public:
    using Object::Object;
    void draw(bool) override {}
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
    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    window = glutCreateWindow("Quorl benchmark");
    return window != 0;
}

// The game screen's state for its views (its activation).
void setUpGameState() {
    glViewport(0, 0, WINDOW_WIDTH, WINDOW_HEIGHT);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glShadeModel(GL_SMOOTH);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
}

void finishFrame() {
    glutSwapBuffers();
    glFinish();
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
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(65, 800.0 / 600.0, 1, 600);
    glMatrixMode(GL_MODELVIEW);
    for (auto _ : state) {
        glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        camera.apply();
        world.draw(nullptr, nullptr);
        finishFrame();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// One player's view: its rectangle of the window and its following camera's eye.
struct View {
    int x, y, width, height; // pixels, origin bottom-left
    float fov;               // degrees, vertical
    Matrix4f viewMatrix;     // world to eye, row-major
    Vec3f up;                // the followed point's face normal
};

// The game screen's layout: ceil(sqrt(count)) rows from the top, columns left to right. Rows
// and columns are counted in integers: stepping a float down by 1/3 from 2/3 ends a hair
// below zero and would lose the bottom row.
std::vector<View> layOutViews(int count) {
    int rows = static_cast<int>(std::ceil(std::sqrt(static_cast<float>(count))));
    int cols = rows * (rows - 1) >= count ? rows - 1 : rows;
    std::vector<View> views;
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols && static_cast<int>(views.size()) < count; ++col)
            views.push_back(View{WINDOW_WIDTH * col / cols,
                                 WINDOW_HEIGHT * (rows - 1 - row) / rows,
                                 WINDOW_WIDTH / cols,
                                 WINDOW_HEIGHT / rows,
                                 0,
                                 {},
                                 {}});
    return views;
}

// A following camera settled behind a point at the centre of `face`.
void aimAtFace(View& view, World& world, int face) {
    Viewpoint point(faceNormal(face) * world.halfExtent(), &world);
    FollowCamera camera;
    camera.setTarget(&point);
    for (int i = 0; i < 100; ++i)
        camera.update(1.0f / 60);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.eye.x(), camera.eye.y(), camera.eye.z(), camera.lookPoint.x(),
              camera.lookPoint.y(), camera.lookPoint.z(), camera.up.x(), camera.up.y(),
              camera.up.z());
    GLfloat m[16]; // column-major
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            view.viewMatrix.at(column, row) = m[column * 4 + row];
    view.fov = camera.fov;
    view.up = camera.up;
}

void applyView(const View& view) {
    glViewport(view.x, view.y, view.width, view.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(view.fov, static_cast<double>(view.width) / view.height, 0.5, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(view.viewMatrix.transpose().data());
}

void BM_WorldViews(benchmark::State& state) {
    if (!openWindow()) {
        state.SkipWithError("no X display");
        return;
    }
    int n = static_cast<int>(state.range(0));
    World world(n, 28);
    randomSource.seed(1);
    for (int i = 0; i < 40; ++i)
        world.addObject(new BenchBlock(world.randomFacePosition(6, 6), &world, 8));
    std::vector<View> views = layOutViews(static_cast<int>(state.range(1)));
    for (size_t i = 0; i < views.size(); ++i)
        aimAtFace(views[i], world, static_cast<int>(i));
    bool turning = state.range(2) != 0;
    setUpGameState();
    for (auto _ : state) {
        if (turning) {
            if (!world.isRotating)
                world.startRotation(n / 2, 0);
            world.update(1.0f / 60);
        }
        glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (const View& view : views) {
            applyView(view);
            world.draw(&view.viewMatrix, &view.up);
        }
        finishFrame();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ClearAndSwap(benchmark::State& state) {
    if (!openWindow()) {
        state.SkipWithError("no X display");
        return;
    }
    World world(3, 28);
    std::vector<View> views = layOutViews(static_cast<int>(state.range(0)));
    for (size_t i = 0; i < views.size(); ++i)
        aimAtFace(views[i], world, static_cast<int>(i));
    setUpGameState();
    for (auto _ : state) {
        glClearColor(0.2f, 0.7f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (const View& view : views)
            applyView(view);
        finishFrame();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_WorldDraw)->Arg(3)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WorldViews)
    ->ArgsProduct({{3, 5}, {1, 6}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ClearAndSwap)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

namespace {

// What a turn costs the drawing before any GL call: the cube's visible sides are laid out
// again after every step of a turn, once for all views.
void BM_CubeMeshRebuild(benchmark::State& state) {
    RubiksCube cube(static_cast<int>(state.range(0)), 28, 0.3f);
    CubeMesh mesh;
    cube.startRotation(1, 0);
    for (auto _ : state) {
        cube.updateRotation(1.0f / 60);
        if (!cube.isRotating)
            cube.startRotation(1, 0);
        mesh.update(cube);
        benchmark::DoNotOptimize(mesh.vertices.data());
    }
    state.counters["quads"] = static_cast<double>(mesh.planes.size());
}

BENCHMARK(BM_CubeMeshRebuild)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

} // namespace
