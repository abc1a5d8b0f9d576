#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

#include "app/leveleditor.h"
#include "app/shell.h"
#include "app/trace.h"
#include "app/welcomescreen.h"
#include "math/colours.h"
#include "math/faces.h"
#include "menutesting.h"
#include "support/fakeplatform.h"
#include "support/glwindow.h"
#include "support/vecexpect.h"
#include "world/box.h"

namespace {

constexpr float DEGREES = 3.14159265f / 180;

// The editor on a fresh 3x3x3 level seen as it is after activation, in an 800x600 window,
// driven through the shell's mouse callbacks. Picking needs no window.
class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        editor = LevelEditor::instance();
        previous = currentScreen;
        currentScreen = editor;
        mouse = MouseState();
        keys = KeyboardState();
        windowWidth = 800;
        windowHeight = 600;
        editor->reshape(800, 600);
        editor->setProjection(800.0f / 600.0f);
        editor->setWorld(new World(3, 28));
    }
    void TearDown() override { currentScreen = previous; }

    World& world() { return *editor->world; }
    Box* block(size_t i) { return static_cast<Box*>(world().boxes.at(i)); }

    // Where the point shows in the window (GLUT's pixels, origin top left), through the
    // editor's camera and projection.
    void pixelOf(const Vec3f& p, int& x, int& y) const {
        Matrix4f m =
            Matrix4f::translation(0, 0, -editor->camera.distance) * editor->camera.transform;
        double modelView[16];
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 4; ++row)
                modelView[column * 4 + row] = m.at(column, row);
        double wx = 0, wy = 0, wz = 0;
        gluProject(p.x(), p.y(), p.z(), modelView, editor->projection, editor->viewport, &wx, &wy,
                   &wz);
        x = static_cast<int>(std::lround(wx));
        y = editor->viewport[3] - 1 - static_cast<int>(std::lround(wy));
    }
    void press(const Vec3f& p) {
        at(p, [](int x, int y) { onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y); });
    }
    void drag(const Vec3f& p) {
        at(p, [](int x, int y) { onMotion(x, y); });
    }
    void release(const Vec3f& p) {
        at(p, [](int x, int y) { onMouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y); });
    }
    template <typename Event> void at(const Vec3f& p, Event event) {
        int x = 0, y = 0;
        pixelOf(p, x, y);
        event(x, y);
    }
    // A block drawn by a drag from a to b, both on the cube.
    Box* draw(const Vec3f& a, const Vec3f& b) {
        press(a);
        drag((a + b) * 0.5f);
        release(b);
        return static_cast<Box*>(editor->selected);
    }
    // Turns the view: degrees about the window's vertical, then about its horizontal.
    void turnView(float aboutVertical, float aboutHorizontal) {
        editor->camera.rotate(aboutVertical * DEGREES, 0, 1, 0);
        editor->camera.rotate(aboutHorizontal * DEGREES, 1, 0, 0);
    }

    FakePlatform fake;
    LevelEditor* editor = nullptr;
    Screen* previous = nullptr;
};

void expectColour(const Vec4f& actual, const Vec4f& expected) {
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << "component " << i;
}

const float PIXEL = 0.4f; // world units a pixel's rounding may move a pick, and some

// A drag on one face: the block spans the corners, one unit high, in the new-block colour,
// selected; the phases run 0, 1, then 3.
TEST_F(Editor, ADragOnAFaceDrawsASelectedBlockBetweenTheCorners) {
    EXPECT_EQ(editor->phase, 0);
    press(Vec3f(-20, -10, 42));
    EXPECT_EQ(editor->phase, 1);
    expectVecNear(editor->startCorner, Vec3f(-20, -10, 42), PIXEL);
    drag(Vec3f(0, 0, 42));
    expectVecNear(editor->hoverPoint, Vec3f(0, 0, 42), PIXEL);
    release(Vec3f(10, 15, 42));
    ASSERT_EQ(world().boxes.size(), 1u);
    Box* box = block(0);
    EXPECT_EQ(editor->selected, box);
    EXPECT_EQ(editor->phase, 3);
    EXPECT_EQ(box->face, 4);
    expectVecNear(box->position, Vec3f(-5, 2.5f, 42), PIXEL);
    EXPECT_NEAR(box->width, 30, 2 * PIXEL);
    EXPECT_NEAR(box->depth, 25, 2 * PIXEL);
    EXPECT_FLOAT_EQ(box->height, 1);
    expectColour(box->colour, Vec4f(0.7f, 0.7f, 0.7f, 1)); // highlighted while selected
    expectColour(editor->savedColour, Vec4f(0.05f, 0.05f, 0.05f, 1));
    EXPECT_TRUE(world().validate());
    TraceLine line;
    editor->addTraceFields(line);
    EXPECT_EQ(line.text(), "{\"cube\":3,\"blocks\":1,\"phase\":3,\"selected\":true,\"height\":1}");
}

// From +Z across the edge to +X: the block goes on the face of the corners' midpoint, standing
// on that face's plane (not buried at the midpoint inside the cube), spanning both corners as
// seen on it.
TEST_F(Editor, ADragAcrossAnEdgeDrawsOnTheFaceOfItsMiddle) {
    turnView(45, -30);
    Box* box = draw(Vec3f(30, 10, 42), Vec3f(42, -20, 20));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->face, 0);
    expectVecNear(box->position, Vec3f(42, -5, 31), PIXEL);
    EXPECT_FLOAT_EQ(box->position.x(), 42);
    const float* bounds = box->boundingBox.intervals; // x, y, z: lower, upper
    EXPECT_NEAR(bounds[2], -20, PIXEL);
    EXPECT_NEAR(bounds[3], 10, PIXEL);
    EXPECT_NEAR(bounds[4], 20, PIXEL);
    EXPECT_NEAR(bounds[5], 42, PIXEL);
    EXPECT_NEAR(bounds[0], 42, 1e-4);
    EXPECT_NEAR(bounds[1], 43, 1e-4);
}

// Dragging up the column above a selected block raises it to the height pointed at; pointing
// below the face gives height 0, never less; a drag that misses the column changes nothing.
TEST_F(Editor, RaisingFollowsTheColumnAndStopsAtTheFace) {
    Box* box = draw(Vec3f(-5, -5, 42), Vec3f(5, 5, 42));
    ASSERT_NE(box, nullptr);
    turnView(0, 30); // from below: the column's side y = -5 faces the viewer
    press(Vec3f(0, -5, 42.5f));
    EXPECT_EQ(editor->selected, box);
    EXPECT_EQ(editor->phase, 2);
    drag(Vec3f(0, -5, 52));
    EXPECT_NEAR(box->height, 10, 2 * PIXEL);
    EXPECT_NEAR(box->width, 10, 2 * PIXEL);
    drag(Vec3f(3, -5, 60));
    EXPECT_NEAR(box->height, 18, 2 * PIXEL);
    drag(Vec3f(0, -5, 34));
    EXPECT_EQ(box->height, 0);
    drag(Vec3f(30, -5, 60)); // beside the column
    EXPECT_EQ(box->height, 0);
    drag(Vec3f(0, -5, 50));
    release(Vec3f(0, -5, 50));
    EXPECT_NEAR(box->height, 8, 2 * PIXEL);
    EXPECT_EQ(editor->phase, 0);
    expectVecNear(editor->heightPoint, Vec3f(0, -5, 50), PIXEL);
    EXPECT_NEAR(box->boundingBox.intervals[5], 42 + box->height, 1e-3);
    EXPECT_TRUE(world().validate());
}

// A click picks the nearest block the ray meets, but a block behind the cube is hidden by it:
// the click starts a corner instead. A tall block is picked over its whole height.
TEST_F(Editor, ClicksPickTheNearestVisibleBlockOverItsWholeHeight) {
    auto* front = new Box(Vec3f(0, 0, 42), &world(), 6, 6, 2);
    auto* back = new Box(Vec3f(0, 0, -42), &world(), 6, 6, 2);
    auto* tall = new Box(Vec3f(0, 42, 30), &world(), 4, 4, 20); // on top, by the front edge
    for (Box* box : {front, back, tall})
        world().addObject(box);
    int x = 0, y = 0;
    pixelOf(Vec3f(0, 0, 44), x, y);
    EXPECT_EQ(editor->pickObject(x, y), front);
    world().removeObject(front);
    delete front;
    EXPECT_EQ(editor->pickObject(x, y), nullptr);
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    EXPECT_EQ(editor->selected, nullptr);
    EXPECT_EQ(editor->phase, 1);
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y); // a block of no size
    ASSERT_EQ(world().boxes.size(), 3u);
    for (float height : {48.0f, 52.0f, 58.0f, 61.5f}) {
        pixelOf(Vec3f(0, height, 32), x, y);
        EXPECT_EQ(editor->pickObject(x, y), tall) << "at height " << height;
    }
    pixelOf(Vec3f(0, 64, 32), x, y);
    EXPECT_EQ(editor->pickObject(x, y), nullptr);
}

// The copies stand on the five other faces at the same place in each face's own frame, with
// the same sizes, turned as their face is, in the default colour; the original stays selected.
TEST_F(Editor, CopiesGoToTheSameSpotOfTheFiveOtherFaces) {
    auto* original = new Box(Vec3f(15, -20, 42), &world(), 6, 8, 3);
    original->colour = Vec4f(0.1f, 0.6f, 0.2f, 1);
    world().addObject(original);
    editor->menuAction(LevelEditor::COPY_TO_OTHER_FACES); // nothing selected: nothing to copy
    EXPECT_EQ(world().boxes.size(), 1u);
    editor->select(original);
    editor->keyboard('c', 0, 0);
    ASSERT_EQ(world().boxes.size(), 6u);
    bool onFace[6] = {};
    for (Object* object : world().boxes) {
        auto* box = static_cast<Box*>(object);
        onFace[box->face] = true;
        expectVecNear(toFaceLocal(box->position, box->face), Vec3f(15, -20, 42), 1e-3);
        EXPECT_EQ(box->width, 6);
        EXPECT_EQ(box->depth, 8);
        EXPECT_EQ(box->height, 3);
        if (box == original)
            continue;
        expectColour(box->colour, grey(0.2f));
        // The original's box stands on face +Z, whose frame is the world's: turned onto the
        // copy's face, its corners are the copy's.
        Vec3f low(12, -24, 42), high(18, -16, 45);
        Matrix4f turn = faceOrientationMatrix(box->face);
        turn.transformPoint(low);
        turn.transformPoint(high);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(box->boundingBox.intervals[2 * axis], std::min(low[axis], high[axis]),
                        1e-3);
            EXPECT_NEAR(box->boundingBox.intervals[2 * axis + 1], std::max(low[axis], high[axis]),
                        1e-3);
        }
    }
    EXPECT_TRUE(std::all_of(onFace, onFace + 6, [](bool b) { return b; }));
    EXPECT_EQ(editor->selected, original);
    expectColour(original->colour, Vec4f(0.7f, 0.7f, 0.7f, 1));
    EXPECT_TRUE(world().validate());
}

// Delete takes the selected block out of the level (and frees it: the sanitizers watch);
// without a selection it does nothing.
TEST_F(Editor, DeleteRemovesTheSelectedBlockOnly) {
    Box* first = draw(Vec3f(-30, -30, 42), Vec3f(-20, -20, 42));
    Box* second = draw(Vec3f(20, 20, 42), Vec3f(30, 30, 42));
    ASSERT_EQ(world().boxes.size(), 2u);
    editor->keyboard(127, 0, 0); // Delete
    ASSERT_EQ(world().boxes.size(), 1u);
    EXPECT_EQ(world().boxes[0], first);
    EXPECT_EQ(editor->selected, nullptr);
    EXPECT_EQ(editor->phase, 0);
    editor->menuAction(LevelEditor::DELETE_SELECTED);
    EXPECT_EQ(world().boxes.size(), 1u);
    editor->select(first);
    editor->menuAction(LevelEditor::DELETE_SELECTED);
    EXPECT_TRUE(world().boxes.empty());
    EXPECT_TRUE(world().validate());
    (void)second;
}

// Saving takes the first free "Level N" (after Level 1 and Level 3: Level 2, then Level 4),
// writes the blocks in their own colours rather than the highlight, lists the new level for
// loading, and keeps counting where the old limit of 999 would have overwritten a level.
TEST_F(Editor, SavesTakeTheFirstFreeNumberAndNeverOverwrite) {
    ScratchFolder folder;
    folder.writeCube("Level 1", 2, 0);
    folder.writeCube("Level 3", 2, 0);
    folder.writeLevelFile("Level 2x", "2 28\n\n");
    EXPECT_EQ(editor->nextLevelName(), "Level 2");
    Box* box = draw(Vec3f(-10, -10, 42), Vec3f(10, 10, 42));
    ASSERT_NE(box, nullptr);
    std::ostringstream expected;
    box->colour = editor->savedColour; // what the file must hold
    writeLevel(world(), expected);
    box->colour = Vec4f(0.7f, 0.7f, 0.7f, 1);
    editor->menuAction(LevelEditor::SAVE_LEVEL);
    std::ifstream in(folder.path / "levels" / "Level 2", std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, expected.str());
    EXPECT_EQ(editor->selected, nullptr);
    EXPECT_NE(std::find(editor->loadNames.begin(), editor->loadNames.end(), "Level 2"),
              editor->loadNames.end());
    editor->keyboard('s', 0, 0);
    EXPECT_TRUE(std::filesystem::exists(folder.path / "levels" / "Level 4"));
    for (int n = 5; n <= 1000; ++n)
        folder.writeLevelFile("Level " + std::to_string(n), "2 28\n\n");
    EXPECT_EQ(editor->nextLevelName(), "Level 1001");
}

// The load menu lists the level files, entry i loading name i; a file that cannot be read
// keeps the level being edited.
TEST_F(Editor, LoadingReplacesTheLevelUnlessTheFileIsBad) {
    ScratchFolder folder;
    folder.writeCube("Big", 5, 3);
    folder.writeLevelFile("Bad", "1 28\n");
    editor->refreshLoadMenu();
    ASSERT_EQ(editor->loadNames, (std::vector<std::string>{"Bad", "Big"}));
    Box* kept = draw(Vec3f(-10, -10, 42), Vec3f(10, 10, 42));
    editor->loadAction(0);
    EXPECT_EQ(world().n, 3);
    EXPECT_EQ(world().boxes.size(), 1u);
    EXPECT_EQ(editor->selected, kept);
    editor->loadAction(1);
    EXPECT_EQ(world().n, 5);
    EXPECT_EQ(world().boxes.size(), 3u);
    EXPECT_EQ(editor->selected, nullptr);
    EXPECT_EQ(editor->phase, 0);
    float h = world().halfExtent();
    EXPECT_NEAR(editor->camera.distance, h * (1 / std::tan(32.5f * DEGREES) + 1.5f), 1e-3);
    editor->loadAction(7); // no such entry
    EXPECT_EQ(world().n, 5);
}

// The menu tree with its labels as they stand, blank-padded to one width, and its values; the
// load menu has a handler of its own, and the others reach the editor's actions.
TEST_F(Editor, MenusCarryTheirLabelsAndValues) {
    RecordingMenus menus;
    editor->buildMenus(menus);
    using E = RecordingMenus::Entry;
    auto same = [](const std::vector<E>& got, const std::vector<E>& want) {
        if (got.size() != want.size())
            return false;
        for (size_t i = 0; i < got.size(); ++i)
            if (got[i].label != want[i].label || got[i].value != want[i].value ||
                got[i].isMenu != want[i].isMenu)
                return false;
        return true;
    };
    EXPECT_TRUE(same(menus.menu(editor->newLevelMenu).entries, {{"2x2x2 Cube        ", 0, false},
                                                                {"3x3x3 Cube        ", 1, false},
                                                                {"4x4x4 Cube        ", 2, false},
                                                                {"5x5x5 Cube        ", 3, false}}));
    EXPECT_TRUE(same(menus.menu(editor->fileMenu).entries,
                     {{"New Level         ", editor->newLevelMenu, true},
                      {"Save Level        ", 4, false},
                      {"Load Level        ", editor->loadMenu, true},
                      {"Quit              ", 6, false}}));
    EXPECT_TRUE(same(menus.menu(editor->insertMenu).entries, {{"Block             ", 7, false}}));
    EXPECT_TRUE(same(menus.menu(editor->editMenu).entries,
                     {{"Delete Selected   ", 8, false}, {"Copy to other faces", 9, false}}));
    EXPECT_TRUE(menus.menu(editor->helpMenu).entries.empty());
    EXPECT_TRUE(same(menus.menu(editor->mainMenu).entries,
                     {{"File              ", editor->fileMenu, true},
                      {"Insert            ", editor->insertMenu, true},
                      {"Edit              ", editor->editMenu, true},
                      {"Help              ", editor->helpMenu, true}}));
    for (const auto& menu : menus.menus) {
        for (const E& entry : menu.entries) {
            size_t width = entry.label == "Copy to other faces" ? 19 : 18;
            EXPECT_EQ(entry.label.size(), width) << entry.label;
        }
    }
    EXPECT_EQ(menus.menus.size(), 7u);
    EXPECT_EQ(menus.menu(editor->mainMenu).handler, menus.menu(editor->editMenu).handler);
    EXPECT_NE(menus.menu(editor->loadMenu).handler, menus.menu(editor->editMenu).handler);

    ScratchFolder folder;
    folder.writeCube("Four", 4, 0);
    folder.writeCube("Two", 2, 1);
    editor->refreshLoadMenu();
    EXPECT_TRUE(
        same(menus.menu(editor->loadMenu).entries, {{"Four", 0, false}, {"Two", 1, false}}));
    menus.menu(editor->fileMenu).handler(LevelEditor::NEW_LEVEL_4);
    EXPECT_EQ(world().n, 2 + LevelEditor::NEW_LEVEL_4);
    menus.menu(editor->loadMenu).handler(1);
    EXPECT_EQ(world().n, 2);
    EXPECT_EQ(world().boxes.size(), 1u);
    editor->buildMenus(glutMenus()); // back to the real ones
}

// Every visit starts on a new empty 3x3x3 level with the menu on the right button; resizing
// the window changes the viewport, not the projection's aspect ratio.
TEST_F(Editor, EveryActivationStartsANewEmptyCube) {
    GlTestWindow window;
    ASSERT_TRUE(window.ok()) << window.error();
    editor->activate();
    EXPECT_EQ(fake.attachedMenu, editor->mainMenu);
    EXPECT_EQ(fake.attachedButton, GLUT_RIGHT_BUTTON);
    editor->menuAction(LevelEditor::NEW_LEVEL_5);
    draw(Vec3f(-10, -10, 70), Vec3f(10, 10, 70));
    ASSERT_EQ(world().boxes.size(), 1u);
    editor->deactivate();
    EXPECT_EQ(fake.attachedMenu, 0);
    editor->activate();
    EXPECT_EQ(world().n, 3);
    EXPECT_EQ(world().cubieSize, 28);
    EXPECT_TRUE(world().boxes.empty());
    EXPECT_EQ(editor->selected, nullptr);
    EXPECT_EQ(editor->phase, 0);
    double before[16];
    std::copy(editor->projection, editor->projection + 16, before);
    windowWidth = 400;
    editor->reshape(400, 600);
    EXPECT_EQ(editor->viewport[2], 400);
    EXPECT_TRUE(std::equal(before, before + 16, editor->projection));
    double loaded[16];
    glGetDoublev(GL_PROJECTION_MATRIX, loaded);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(loaded[i], before[i], 1e-6) << i;
    EXPECT_NEAR(before[0] * 800.0 / 600.0, before[5], 1e-6);
    editor->deactivate();
    EXPECT_EQ(window.glErrors(), "");
}

// Picking agrees with the picture: the point a pick finds lies on the clicked pixel as OpenGL
// projects it; where the drawn cube shows, the pick meets it at the depth the depth buffer holds
// (give or take its precision at grazing angles and the grooves between the cubies); where the
// background shows, it misses (but for the cube's rounded rim and the axes).
TEST_F(Editor, PicksMeetTheCubeWhereThePictureShowsIt) {
    GlTestWindow window;
    ASSERT_TRUE(window.ok()) << window.error();
    editor->activate();
    turnView(35, -25);
    editor->display();
    double modelView[16], projection[16];
    int viewport[4];
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    editor->camera.apply();
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glLoadIdentity();
    int shown = 0, agreeing = 0, background = 0, missed = 0;
    for (int y = 5; y < 600; y += 10)
        for (int x = 5; x < 800; x += 10) {
            int glY = 600 - 1 - y;
            float depth = window.depth(x, glY);
            bool hit = editor->pickCubePoint(x, y);
            if (hit) {
                const Vec3f& p = editor->hoverPoint;
                double wx = 0, wy = 0, wz = 0;
                gluProject(p.x(), p.y(), p.z(), modelView, projection, viewport, &wx, &wy, &wz);
                ASSERT_NEAR(wx, x, 0.05) << x << ", " << y;
                ASSERT_NEAR(wy, glY, 0.05) << x << ", " << y;
            }
            if (depth >= 1.0f) {
                ++background;
                missed += !hit;
                continue;
            }
            ++shown;
            double p[3];
            gluUnProject(x, glY, depth, modelView, projection, viewport, &p[0], &p[1], &p[2]);
            Vec3f drawn(static_cast<float>(p[0]), static_cast<float>(p[1]),
                        static_cast<float>(p[2]));
            agreeing += hit && (editor->hoverPoint - drawn).length() < 3.0f;
        }
    EXPECT_GT(shown, 1500);
    EXPECT_GT(agreeing, shown * 98 / 100);
    EXPECT_GT(missed, background * 99 / 100);
    editor->deactivate();
}

} // namespace
