#include "screens/leveleditor.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "math/faces.h"
#include "math/text.h"
#include "platform/platform.h"
#include "screens/shell.h"
#include "world/box.h"
#include "world/levelfile.h"
#include "world/world.h"

namespace {

constexpr int CUBIE_SIZE = 28; // world units, every new level
constexpr float FOV = 65.0f;   // degrees, the editor's vertical view
const Vec4f HIGHLIGHT(0.7f, 0.7f, 0.7f, 1.0f);

void onAction(int value) {
    LevelEditor::instance()->menuAction(value);
}

void onLoad(int value) {
    LevelEditor::instance()->loadAction(value);
}

void onDelete(int value) {
    LevelEditor::instance()->deleteLevelAction(value);
}

} // namespace

LevelEditor* LevelEditor::instance() {
    static LevelEditor* editor = new LevelEditor();
    return editor;
}

LevelEditor::LevelEditor() {
    buildMenus(glutMenus());
}

// The labels are padded to one width so the pop-up menus line up. Without GLUT (tests without a
// window) no menu is made, and the handlers still work.
void LevelEditor::buildMenus(MenuBuilder& builder) {
    menus = &builder;
    newLevelMenu = builder.create(onAction);
    builder.addEntry("2x2x2 Cube        ", NEW_LEVEL_2);
    builder.addEntry("3x3x3 Cube        ", NEW_LEVEL_3);
    builder.addEntry("4x4x4 Cube        ", NEW_LEVEL_4);
    builder.addEntry("5x5x5 Cube        ", NEW_LEVEL_5);
    loadMenu = builder.create(onLoad);
    deleteMenu = builder.create(onDelete);
    fileMenu = builder.create(onAction);
    builder.addSubMenu("New Level         ", newLevelMenu);
    builder.addEntry("Save Level        ", SAVE_LEVEL);
    builder.addSubMenu("Load Level        ", loadMenu);
    builder.addSubMenu("Delete Level      ", deleteMenu);
    builder.addEntry("Quit              ", QUIT);
    insertMenu = builder.create(onAction);
    builder.addEntry("Block             ", INSERT_BLOCK);
    editMenu = builder.create(onAction);
    builder.addEntry("Delete Selected   ", DELETE_SELECTED);
    builder.addEntry("Copy to other faces", COPY_TO_OTHER_FACES);
    helpMenu = builder.create(onAction);
    mainMenu = builder.create(onAction);
    builder.addSubMenu("File              ", fileMenu);
    builder.addSubMenu("Insert            ", insertMenu);
    builder.addSubMenu("Edit              ", editMenu);
    builder.addSubMenu("Help              ", helpMenu);
}

void LevelEditor::release() {
    selected = nullptr;
    delete world;
    world = nullptr;
}

void LevelEditor::menuAction(int action) {
    switch (action) {
    case NEW_LEVEL_2:
    case NEW_LEVEL_3:
    case NEW_LEVEL_4:
    case NEW_LEVEL_5:
        setWorld(new World(action + 2, CUBIE_SIZE));
        break;
    case SAVE_LEVEL:
        select(nullptr);
        saveLevelAs(nextLevelName());
        refreshLoadMenu();
        break;
    case LOAD_LEVEL:
        printf("Action::LOAD_LEVEL is a no-op\n");
        break;
    case QUIT:
        if (returnScreen)
            switchScreen(returnScreen);
        break;
    case INSERT_BLOCK:
        printf("insert block\n");
        mode = 1;
        phase = 0;
        break;
    case DELETE_SELECTED:
        deleteSelected();
        break;
    case COPY_TO_OTHER_FACES:
        copyToOtherFaces();
        break;
    default:
        break;
    }
}

void LevelEditor::loadAction(int index) {
    if (index < 0 || index >= static_cast<int>(loadLevels.size()))
        return;
    const LevelEntry level = loadLevels[static_cast<size_t>(index)];
    if (World* loaded = loadLevel(level.path))
        setWorld(loaded);
    else
        report("\"" + level.name + "\" could not be loaded; still editing the level you had", true);
}

void LevelEditor::deleteLevelAction(int index) {
    if (index >= 0 && index < static_cast<int>(ownLevels.size()))
        deleteOwnLevel(ownLevels[static_cast<size_t>(index)]);
}

void LevelEditor::setWorld(World* next) {
    if (!next)
        return;
    select(nullptr);
    delete world;
    world = next;
    camera.reset();
    camera.zoomToFit(world->halfExtent(), FOV);
    reset();
}

void LevelEditor::reset() {
    mode = 1;
    phase = 0;
    selected = nullptr;
    refreshLoadMenu();
    platform().postRedisplay();
}

void LevelEditor::select(Object* object) {
    if (auto* box = static_cast<Box*>(selected))
        box->colour = savedColour;
    selected = object;
    if (auto* box = static_cast<Box*>(selected)) {
        savedColour = box->colour;
        box->colour = HIGHLIGHT;
        phase = 2;
    }
    if (!selected)
        reset();
    platform().postRedisplay();
}

void LevelEditor::refreshLoadMenu() {
    loadLevels = listLevels(levelFolders);
    ownLevels.clear();
    for (const LevelEntry& level : loadLevels)
        if (level.own)
            ownLevels.push_back(level);
    if (!menus)
        return;
    if (loadMenu != 0) {
        menus->clear(loadMenu);
        for (size_t i = 0; i < loadLevels.size(); ++i)
            menus->addEntry(loadLevels[i].name, static_cast<int>(i));
    }
    if (deleteMenu != 0) {
        menus->clear(deleteMenu);
        for (size_t i = 0; i < ownLevels.size(); ++i)
            menus->addEntry(ownLevels[i].name, static_cast<int>(i));
    }
}

std::string LevelEditor::nextLevelName() const {
    return ::nextLevelName(levelFolders);
}

void LevelEditor::report(const std::string& text, bool failure) {
    status = text;
    statusIsFailure = failure;
    printf("%s\n", printable(text).c_str());
    fflush(stdout);
    platform().postRedisplay();
}

bool LevelEditor::saveLevelAs(const std::string& name) {
    if (!world)
        return false;
    std::string error =
        "there is no folder for your levels (neither HOME nor XDG_DATA_HOME is set)";
    if (levelFolders.own.empty() ||
        !saveLevel(*world, levelFolders.own, name, SaveMode::NEW_ONLY, error)) {
        report("Level not saved: " + error, true);
        return false;
    }
    report("Saved level: " + name, false);
    return true;
}

bool LevelEditor::deleteOwnLevel(const LevelEntry& level) {
    if (!level.own || levelFolders.own.empty() ||
        level.path.compare(0, levelFolders.own.size() + 1, levelFolders.own + "/") != 0) {
        report("\"" + level.name + "\" ships with the game and stays", true);
        return false;
    }
    bool deleted = std::remove(level.path.c_str()) == 0;
    if (deleted)
        report("Deleted level: " + level.name, false);
    else
        report("Level \"" + level.name + "\" not deleted: " + level.path + ": " + strerror(errno),
               true);
    refreshLoadMenu();
    return deleted;
}

void LevelEditor::deleteSelected() {
    Object* doomed = selected;
    if (!doomed)
        return;
    select(nullptr); // gives the block its colour back before it goes
    world->removeObject(doomed);
    delete doomed;
}

namespace {

// A block of this size standing at `at` already: a copy there would add nothing but cost. The
// tolerance covers the rounding of carrying a spot from one face to another.
bool blockStandsAt(const World& world, const Vec3f& at, const Box& like) {
    constexpr float SAME = 1e-3f; // world units
    for (const Object* object : world.boxes) {
        auto* box = static_cast<const Box*>(object);
        if ((box->position - at).length() < SAME && std::fabs(box->width - like.width) < SAME &&
            std::fabs(box->depth - like.depth) < SAME &&
            std::fabs(box->height - like.height) < SAME)
            return true;
    }
    return false;
}

std::string blockLimitText() {
    return "A level holds at most " + std::to_string(MAX_LEVEL_BLOCKS) + " blocks";
}

} // namespace

bool LevelEditor::roomForBlock() {
    if (static_cast<int>(world->boxes.size()) < MAX_LEVEL_BLOCKS)
        return true;
    report(blockLimitText(), true);
    return false;
}

void LevelEditor::blockAdded() {
    if (status == blockLimitText())
        status.clear();
}

// Faces where the same block stands already are left as they are, so copying again and again
// adds nothing.
void LevelEditor::copyToOtherFaces() {
    auto* box = static_cast<Box*>(selected);
    if (!box)
        return;
    Vec3f local = toFaceLocal(box->position, box->face);
    bool copiedAll = true;
    for (int face = 0; face < 6 && copiedAll; ++face) {
        if (face == box->face)
            continue;
        Vec3f at = local;
        faceOrientationMatrix(face).transformPoint(at);
        if (blockStandsAt(*world, at, *box))
            continue;
        copiedAll = roomForBlock();
        if (copiedAll)
            world->addObject(new Box(at, world, box->width, box->depth, box->height));
    }
    if (copiedAll)
        blockAdded();
    platform().postRedisplay();
}
