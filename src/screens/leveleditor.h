#pragma once

// Screens floor: the shell that routes the window's events, and the screens. May use view,
// match, input, platform and the layers below; no SDL.

#include <string>
#include <vector>

#include "math/vectors.h"
#include "platform/menubuilder.h"
#include "screens/levelcatalogue.h"
#include "screens/screen.h"
#include "view/worldcamera.h"

class Object;
class World;

// The level editor: a cube of 2 to 5 cubies an edge on which blocks are drawn with the mouse,
// sized, raised, copied to the other faces and deleted, and saved as level files in the player's
// own folder under the first free name "Level N". Any level, shipped or the player's, loads;
// only the player's own can be deleted. The right button opens its menu; the middle button turns
// the view (with "x" held it pans, with "z" held it zooms). A few keys do what menu entries do: S
// (or Ctrl+S) saves, C copies the selected block to the other faces, Delete or Backspace deletes
// it, Escape goes back to the welcome screen. What a save or a deletion did, or why it failed,
// shows at the bottom of the window until the next one (and is printed). Owns the level it edits (a
// World) and releases every level and block it drops. Created on first request; its menus are built
// then if GLUT has started, else on its first activation.
class LevelEditor : public Screen {
public:
    // Menu values of every menu but "Load Level" and "Delete Level", whose values index
    // loadLevels and ownLevels.
    enum Action {
        NEW_LEVEL_2 = 0,
        NEW_LEVEL_3 = 1,
        NEW_LEVEL_4 = 2,
        NEW_LEVEL_5 = 3,
        SAVE_LEVEL = 4,
        LOAD_LEVEL = 5,
        QUIT = 6,
        INSERT_BLOCK = 7,
        DELETE_SELECTED = 8,
        COPY_TO_OTHER_FACES = 9,
    };

    static LevelEditor* instance(); // created on first request, never freed
    // Frees the level being edited, at the end of the run.
    void release();

    void display() override;
    void reshape(int width, int height) override;
    void mouse(int button, int state, int x, int y) override;
    void motion(int x, int y) override;
    void keyboard(unsigned char key, int x, int y) override;
    void activate() override;
    void deactivate() override;
    const char* traceName() const override { return "editor"; }
    // The cube's size, the number of blocks, the phase, whether a block is selected and its
    // height.
    void addTraceFields(TraceLine& line) const override;

    // The menus' handlers, also called directly by tests.
    void menuAction(int action);
    void loadAction(int index);
    void deleteLevelAction(int index);
    // Builds the whole menu tree with `builder`, which the editor keeps for the load menu's
    // updates (not owned; it must outlive the editor's use of it).
    void buildMenus(MenuBuilder& builder);

    void setWorld(World* next); // takes ownership; null keeps the level being edited
    void reset();
    void select(Object* object);
    // Lists the levels again into the "Load Level" and "Delete Level" menus.
    void refreshLoadMenu();
    // "Level N" for the first N from 1 up that names nothing in either level folder: a save
    // never overwrites or hides a level.
    std::string nextLevelName() const;
    // Saves the level being edited as a new level of the player's, never over anything; the
    // status says how it went.
    bool saveLevelAs(const std::string& name);
    // Deletes one of the player's own levels (never a shipped one); the status says how it went.
    bool deleteOwnLevel(const LevelEntry& level);
    void deleteSelected();
    void copyToOtherFaces();

    // The fixed projection of the editor's view for a window of this aspect ratio.
    void setProjection(float aspect);
    // The nearest the camera comes to the cube's centre: the cube's farthest corner from the
    // centre, and the near plane beyond it, so the view never reaches into the cube.
    float closestZoom() const;
    // Picking, from window coordinates (GLUT's: origin top left). The ray starts on the near
    // plane; its direction is a unit vector.
    void mouseRay(int x, int y, Vec3f& origin, Vec3f& direction) const;
    bool pickCubePoint(int x, int y);
    Object* pickObject(int x, int y) const;
    bool pickOnObjectColumn(int x, int y, const Object* object);

    World* world = nullptr;         // owned
    Screen* returnScreen = nullptr; // where Quit and Escape go; handed over at start-up
    WorldCamera camera;
    int mainMenu = 0, fileMenu = 0, insertMenu = 0, editMenu = 0, helpMenu = 0;
    int newLevelMenu = 0, loadMenu = 0, deleteMenu = 0;
    MenuBuilder* menus = nullptr;       // what built the menus; null until they are built
    std::vector<LevelEntry> loadLevels; // the "Load Level" entries; entry i has value i
    std::vector<LevelEntry> ownLevels;  // the "Delete Level" entries; entry i has value i
    std::string status;                 // the last save's or deletion's outcome, shown
    bool statusIsFailure = false;       // shown in red
    Object* selected = nullptr;         // a Box of the world, or null
    Vec4f savedColour;                  // the selected block's own colour while highlighted
    int mode = 1;                       // 1: draw blocks, the only mode
    int phase = 0; // 0 idle, 1 dragging a new block, 2 a block selected (height drag), 3 drawn
    Vec3f startCorner, endCorner, heightPoint, hoverPoint; // world space
    double projection[16] = {}; // column-major, fixed at activation (the aspect stays)
    int viewport[4] = {};       // x, y, width, height in pixels

private:
    LevelEditor();
    void leftPress(int x, int y);
    void leftRelease(int x, int y);
    void dragHeight(int x, int y);
    void drawAxes() const;
    void drawRubberBand() const;
    void drawStatus() const;
    void report(const std::string& text, bool failure);
    // Whether one more block fits in the level; says why not in the status when it does not,
    // until a block is drawn or copied again.
    bool roomForBlock();
    void blockAdded();
};
