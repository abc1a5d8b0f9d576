#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cmath>
#include <memory>

#include "math/faces.h"
#include "platform/traceline.h"
#include "screens/leveleditor.h"
#include "screens/shell.h"
#include "support/fakeplatform.h"
#include "support/glwindow.h"
#include "support/menutesting.h"
#include "support/vecexpect.h"
#include "world/box.h"

namespace {

constexpr float DEGREES = 3.14159265f / 180;
constexpr float PIXEL = 0.4f; // world units a pick may be off by a pixel's rounding, and some

// The editor on a fresh 3x3x3 level as activation leaves it, in an 800x600 window, driven through
// the shell's mouse callbacks. Picking needs no window.
class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        editor = LevelEditor::instance();
        previous = currentScreen;
        currentScreen = editor;
        mouse = MouseState();
        windowWidth = 800;
        windowHeight = 600;
        editor->reshape(800, 600);
        editor->setProjection(800.0f / 600.0f);
        editor->setWorld(new World(3, 28));
    }
    void TearDown() override { currentScreen = previous; }

    World& world() { return *editor->world; }
    // The window pixel (origin top left) where a point shows through the editor's view.
    void pixelOf(const Vec3f& p, int& x, int& y) const {
        Matrix4f m =
            Matrix4f::translation(0, 0, -editor->camera.distance) * editor->camera.transform;
        double view[16], wx = 0, wy = 0, wz = 0;
        for (int i = 0; i < 16; ++i)
            view[i] = m.at(i / 4, i % 4);
        gluProject(p.x(), p.y(), p.z(), view, editor->projection, editor->viewport, &wx, &wy, &wz);
        x = static_cast<int>(std::lround(wx));
        y = editor->viewport[3] - 1 - static_cast<int>(std::lround(wy));
    }
    void button(const Vec3f& p, int state) {
        int x = 0, y = 0;
        pixelOf(p, x, y);
        onMouse(GLUT_LEFT_BUTTON, state, x, y);
    }
    void drag(const Vec3f& p) {
        int x = 0, y = 0;
        pixelOf(p, x, y);
        onMotion(x, y);
    }
    Box* draw(const Vec3f& a, const Vec3f& b) { // a block dragged from a to b
        button(a, GLUT_DOWN);
        drag((a + b) * 0.5f);
        button(b, GLUT_UP);
        return static_cast<Box*>(editor->selected);
    }
    void turnView(float aboutVertical, float aboutHorizontal) { // degrees
        editor->camera.rotate(aboutVertical * DEGREES, 0, 1, 0);
        editor->camera.rotate(aboutHorizontal * DEGREES, 1, 0, 0);
    }

    FakePlatform fake;
    LevelEditor* editor = nullptr;
    Screen* previous = nullptr;
};

// A drag on a face: the block spans the corners, 1 high, selected (in the highlight, its own
// colour kept aside); the phases run 0, 1, 3. Delete takes the selected block out, nothing else.
TEST_F(Editor, ADragDrawsASelectedBlockAndDeleteTakesItOut) {
    Box* other = draw(Vec3f(20, 20, 42), Vec3f(30, 30, 42));
    button(Vec3f(-20, -10, 42), GLUT_DOWN);
    EXPECT_EQ(editor->phase, 1);
    button(Vec3f(10, 15, 42), GLUT_UP);
    ASSERT_EQ(world().boxes.size(), 2u);
    auto* box = static_cast<Box*>(editor->selected);
    ASSERT_NE(box, other);
    EXPECT_EQ(box->face, 4);
    expectVecNear(box->position, Vec3f(-5, 2.5f, 42), PIXEL);
    EXPECT_NEAR(box->width, 30, 2 * PIXEL);
    EXPECT_NEAR(box->depth, 25, 2 * PIXEL);
    EXPECT_EQ(box->colour[0], 0.7f);
    EXPECT_EQ(editor->savedColour[0], 0.05f);
    TraceLine line;
    editor->addTraceFields(line);
    EXPECT_EQ(line.text(), "{\"cube\":3,\"blocks\":2,\"phase\":3,\"selected\":true,\"height\":1}");
    editor->keyboard(127, 0, 0); // Delete
    ASSERT_EQ(world().boxes.size(), 1u);
    EXPECT_EQ(world().boxes[0], other);
    EXPECT_EQ(editor->selected, nullptr);
    editor->menuAction(LevelEditor::DELETE_SELECTED);
    EXPECT_EQ(world().boxes.size(), 1u);
    EXPECT_TRUE(world().validate());
}

// From +Z across the edge to +X: the block goes on the face under the middle of the drag,
// standing on its plane (not buried at the midpoint inside the cube), spanning both corners as
// that face sees them.
TEST_F(Editor, ADragAcrossAnEdgeDrawsOnTheFaceOfItsMiddle) {
    turnView(45, -30);
    Box* box = draw(Vec3f(30, 10, 42), Vec3f(42, -20, 20));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->face, 0);
    EXPECT_FLOAT_EQ(box->position.x(), 42);
    const float expected[6] = {42, 43, -20, 10, 20, 42}; // x, y, z: lower, upper
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(box->boundingBox.intervals[i], expected[i], PIXEL) << i;
}

// Dragging along the column above a selected block raises it to the height pointed at; below
// the face it stays at 0; off the column nothing changes.
TEST_F(Editor, RaisingFollowsTheColumnAndStopsAtTheFace) {
    Box* box = draw(Vec3f(-5, -5, 42), Vec3f(5, 5, 42));
    turnView(0, 30); // from below: the column's side y = -5 faces the viewer
    button(Vec3f(0, -5, 42.5f), GLUT_DOWN);
    EXPECT_EQ(editor->phase, 2);
    const float steps[][3] = {{0, 52, 10}, {3, 60, 18}, {0, 34, 0}, {30, 60, 0}, {0, 50, 8}};
    for (const auto& s : steps) {
        drag(Vec3f(s[0], -5, s[1]));
        EXPECT_NEAR(box->height, s[2], 2 * PIXEL) << "at " << s[0] << ", " << s[1];
        EXPECT_GE(box->height, 0);
    }
    button(Vec3f(0, -5, 50), GLUT_UP);
    EXPECT_EQ(editor->phase, 0);
    EXPECT_NEAR(box->boundingBox.intervals[5], 42 + box->height, 1e-3);
}

// A click picks the nearest block the ray meets, but not one behind the cube (the click starts
// a corner instead); a tall block can be picked over its whole height.
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
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    EXPECT_EQ(editor->selected, nullptr);
    EXPECT_EQ(editor->phase, 1);
    for (float height : {48.0f, 55.0f, 61.5f, 64.0f}) {
        pixelOf(Vec3f(0, height, 32), x, y);
        EXPECT_EQ(editor->pickObject(x, y), height < 62 ? tall : nullptr) << height;
    }
}

// The copies stand at the same spot of the five other faces with the same sizes, turned as
// their faces are, in the default colour; the original stays selected.
TEST_F(Editor, CopiesGoToTheSameSpotOfTheFiveOtherFaces) {
    auto* original = new Box(Vec3f(15, -20, 42), &world(), 6, 8, 3);
    world().addObject(original);
    editor->menuAction(LevelEditor::COPY_TO_OTHER_FACES); // nothing selected
    EXPECT_EQ(world().boxes.size(), 1u);
    editor->select(original);
    editor->keyboard('c', 0, 0);
    ASSERT_EQ(world().boxes.size(), 6u);
    int faces = 0;
    for (Object* object : world().boxes) {
        auto* box = static_cast<Box*>(object);
        faces |= 1 << box->face;
        EXPECT_EQ(box->colour[0], box == original ? 0.7f : 0.2f);
        // Face +Z's frame is the world's: its block's corners turned onto the copy's face are
        // the copy's.
        Vec3f low(12, -24, 42), high(18, -16, 45);
        faceOrientationMatrix(box->face).transformPoint(low);
        faceOrientationMatrix(box->face).transformPoint(high);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(box->boundingBox.intervals[2 * axis], std::fmin(low[axis], high[axis]),
                        1e-3);
            EXPECT_NEAR(box->boundingBox.intervals[2 * axis + 1], std::fmax(low[axis], high[axis]),
                        1e-3);
        }
    }
    EXPECT_EQ(faces, 63);
    EXPECT_EQ(editor->selected, original);
    EXPECT_TRUE(world().validate());
}

// Copying onto faces where the same block stands adds nothing, however often: the level never
// holds a block twice, and the editor stops at the most blocks a level holds, which the reader
// keeps whole, with a notice in the window; a new drag then draws nothing.
TEST_F(Editor, CopiesNeverStackAndTheEditorStopsAtTheMostBlocksALevelHolds) {
    Box* original = draw(Vec3f(-30, 20, 42), Vec3f(-20, 30, 42));
    ASSERT_NE(original, nullptr);
    for (int press = 0; press < 50; ++press)
        editor->keyboard('c', 0, 0);
    EXPECT_EQ(world().boxes.size(), 6u);
    EXPECT_TRUE(editor->status.empty());

    // Fill the level up to three short of the most: a copy of a fresh block then finds room
    // for three of its five copies.
    int row = 0;
    while (static_cast<int>(world().boxes.size()) < MAX_LEVEL_BLOCKS - 3) {
        auto* box = new Box(Vec3f(-40.0f + (row % 80), -40.0f + (row / 80) % 80, -42), &world(), 1,
                            1, 1 + row / 6400);
        world().addObject(box);
        ++row;
    }
    Box* last = draw(Vec3f(0, -30, 42), Vec3f(8, -22, 42));
    ASSERT_NE(last, nullptr);
    editor->keyboard('c', 0, 0);
    EXPECT_EQ(static_cast<int>(world().boxes.size()), MAX_LEVEL_BLOCKS);
    EXPECT_EQ(editor->status, "A level holds at most 4096 blocks");
    EXPECT_TRUE(editor->statusIsFailure);
    TraceLine line;
    editor->addTraceFields(line);
    EXPECT_NE(line.text().find("\"status\":\"A level holds at most 4096 blocks\""),
              std::string::npos);
    draw(Vec3f(20, 20, 42), Vec3f(30, 30, 42));
    EXPECT_EQ(static_cast<int>(world().boxes.size()), MAX_LEVEL_BLOCKS);
    EXPECT_EQ(editor->phase, 0);

    std::ostringstream saved;
    writeLevel(world(), saved);
    std::istringstream in(saved.str());
    std::unique_ptr<World> loaded(readLevel(in, "full"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->boxes.size(), world().boxes.size());
}

// A drag let go off the cube draws nothing and leaves the editor ready for the next; the zoom
// stops before the view reaches into the cube.
TEST_F(Editor, ADragLetGoOffTheCubeDrawsNothingAndTheZoomStopsOutsideTheCube) {
    button(Vec3f(-10, -10, 42), GLUT_DOWN);
    EXPECT_EQ(editor->phase, 1);
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 795, 595); // the sky in a corner of the window
    EXPECT_EQ(editor->phase, 0);
    EXPECT_TRUE(world().boxes.empty());
    EXPECT_NE(draw(Vec3f(-10, -10, 42), Vec3f(10, 10, 42)), nullptr);

    keys.setKey('z', true, 0);
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 400, 300);
    for (int y = 300; y < 6000; y += 50)
        onMotion(400, y); // far more than the whole way in
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 400, 6000);
    keys.setKey('z', false, 0);
    float corner = world().halfExtent() * std::sqrt(3.0f);
    EXPECT_GE(editor->camera.distance, corner + 20 - 1e-3f);
    EXPECT_NEAR(editor->camera.distance, editor->closestZoom(), 1e-3f);
}

// Names of a level list, as the menus show them.
std::vector<std::string> namesOf(const std::vector<LevelEntry>& levels) {
    std::vector<std::string> names;
    for (const LevelEntry& level : levels)
        names.push_back(level.name);
    return names;
}

// With Level 1 shipped and Level 3 the player's a save writes Level 2 into the player's folder,
// the blocks in their own colours, not the highlight; the next is Level 4, past anything of
// that name; past 999 the numbers go on, so no level is overwritten. The player's levels can be
// deleted, the shipped ones cannot.
TEST_F(Editor, SavesTakeTheFirstFreeNumberInBothFoldersAndDeleteOnlyTheirOwn) {
    ScratchFolder folder;
    folder.writeCube("Level 1", 2, 0);
    folder.writeLevelFile("Level 3", "2 28\n\n", true);
    Box* box = draw(Vec3f(-10, -10, 42), Vec3f(10, 10, 42));
    editor->menuAction(LevelEditor::SAVE_LEVEL);
    EXPECT_EQ(editor->selected, nullptr);
    std::ostringstream expected;
    writeLevel(world(), expected); // box has its own colour back
    EXPECT_EQ(box->colour[0], 0.05f);
    std::ifstream in(folder.ownLevels() / "Level 2", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected.str());
    EXPECT_EQ(editor->status, "Saved level: Level 2");
    EXPECT_EQ(namesOf(editor->loadLevels),
              (std::vector<std::string>{"Level 1", "Level 2", "Level 3"}));
    EXPECT_EQ(namesOf(editor->ownLevels), (std::vector<std::string>{"Level 2", "Level 3"}));
    std::filesystem::create_directory(folder.ownLevels() / "Level 4");
    std::filesystem::create_symlink("nowhere", folder.path / "levels" / "Level 5");
    editor->keyboard('s', 0, 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.ownLevels() / "Level 6"));
    EXPECT_FALSE(std::filesystem::exists(folder.path / "levels" / "Level 6"));

    editor->deleteLevelAction(0); // Level 2
    EXPECT_FALSE(std::filesystem::exists(folder.ownLevels() / "Level 2"));
    EXPECT_EQ(editor->status, "Deleted level: Level 2");
    EXPECT_EQ(namesOf(editor->ownLevels), (std::vector<std::string>{"Level 3", "Level 6"}));
    EXPECT_FALSE(editor->deleteOwnLevel(editor->loadLevels[0])); // shipped
    EXPECT_TRUE(std::filesystem::exists(folder.path / "levels" / "Level 1"));
    EXPECT_TRUE(editor->statusIsFailure);

    for (int n = 2; n <= 1000; ++n)
        folder.writeLevelFile("Level " + std::to_string(n), "2 28\n\n", n % 2);
    EXPECT_EQ(editor->nextLevelName(), "Level 1001");
}

// An own level with a shipped level's name is listed apart, and each loads its own file.
TEST_F(Editor, AnOwnLevelNamedLikeAShippedOneIsToldApart) {
    ScratchFolder folder;
    folder.writeCube("Arena", 2, 0);
    folder.writeCube("Level 10", 2, 0);
    folder.writeLevelFile("Arena", "4 28\n\n", true);
    folder.writeLevelFile("Level 9", "3 28\n\n", true);
    editor->refreshLoadMenu();
    EXPECT_EQ(namesOf(editor->loadLevels),
              (std::vector<std::string>{"Arena", "Arena (yours)", "Level 9", "Level 10"}));
    editor->loadAction(1);
    EXPECT_EQ(world().n, 4);
    editor->loadAction(0);
    EXPECT_EQ(world().n, 2);
}

// The menus' labels exactly as they stand (blank-padded to 18) and their values; "Load Level"
// lists the level files with its own handler; the handlers reach the editor.
TEST_F(Editor, MenusCarryTheirLabelsAndValues) {
    RecordingMenus menus;
    editor->buildMenus(menus);
    ScratchFolder folder;
    folder.writeCube("Four", 4, 0);
    folder.writeCube("Two", 2, 1);
    folder.writeLevelFile("Mine", "3 28\n\n", true);
    editor->refreshLoadMenu();
    EXPECT_EQ(
        menus.text(editor->newLevelMenu),
        "2x2x2 Cube        =0|3x3x3 Cube        =1|4x4x4 Cube        =2|5x5x5 Cube        =3|");
    EXPECT_EQ(menus.text(editor->fileMenu),
              "New Level         >" + menus.text(editor->newLevelMenu) +
                  "Save Level        =4|Load Level        >" + menus.text(editor->loadMenu) +
                  "Delete Level      >" + menus.text(editor->deleteMenu) + "Quit              =6|");
    EXPECT_EQ(menus.text(editor->loadMenu), "Four=0|Mine=1|Two=2|");
    EXPECT_EQ(menus.text(editor->deleteMenu), "Mine=0|");
    EXPECT_EQ(menus.text(editor->mainMenu),
              "File              >" + menus.text(editor->fileMenu) + "Insert            >Block" +
                  "             =7|Edit              >Delete Selected   =8|Copy to other faces=9|" +
                  "Help              >");
    EXPECT_EQ(menus.menus.size(), 8u);
    menus.menus.at(editor->fileMenu - 1).handler(LevelEditor::NEW_LEVEL_4);
    EXPECT_EQ(world().n, 4);
    menus.menus.at(editor->loadMenu - 1).handler(2);
    EXPECT_EQ(world().n, 2);
    EXPECT_EQ(world().boxes.size(), 1u);
    folder.writeLevelFile("Four", "1 28\n"); // unreadable now: the level stays
    menus.menus.at(editor->loadMenu - 1).handler(0);
    EXPECT_EQ(world().n, 2);
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
    EXPECT_TRUE(world().boxes.empty());
    EXPECT_EQ(editor->phase, 0);
    double before[16], loaded[16];
    std::copy(editor->projection, editor->projection + 16, before);
    windowWidth = 400;
    editor->reshape(400, 600);
    EXPECT_EQ(editor->viewport[2], 400);
    glGetDoublev(GL_PROJECTION_MATRIX, loaded);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(editor->projection[i], before[i]) << i;
        EXPECT_NEAR(loaded[i], before[i], 1e-6) << i;
    }
    EXPECT_NEAR(before[0] * 800.0 / 600.0, before[5], 1e-6);
    editor->deactivate();
    EXPECT_EQ(window.glErrors(), "");
}

} // namespace
