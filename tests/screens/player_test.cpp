#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <tuple>

#include "entities/entityhooks.h"
#include "entities/tank.h"
#include "screens/player.h"
#include "world/world.h"

namespace {

constexpr float TICK = 1.0f / 60; // seconds

// A pad whose controls the test sets; counts its polls.
class HeldPad : public InputSource {
public:
    void update() override { ++polls; }
    StickPosition leftStick() const override { return left; }
    StickPosition rightStick() const override { return right; }
    float triggerA() const override { return a; }
    float triggerB() const override { return b; }
    bool button(int index) const override { return index >= 0 && index < 10 && buttons[index]; }
    bool connected() const override { return true; }
    std::string name() const override { return "Held Pad"; }
    const char* kind() const override { return "pad"; }

    StickPosition left, right;
    float a = 0, b = 0;
    bool buttons[10] = {};
    int polls = 0;
};

// The game's tanks, plugged in before the world that makes them is built.
struct EntityHooks {
    EntityHooks() { installEntityHooks(); }
};

// A player on face 4 of a 3x3x3 cube, driving its tank with a held pad.
struct Match {
    Match() : world(3, 28), player(&pad) {
        testing::internal::CaptureStdout(); // the tank says where it stands
        tank = world.addTank(4);
        testing::internal::GetCapturedStdout();
        EXPECT_NE(tank, nullptr);
        player.tank = tank;
        player.world = &world;
    }
    int shells() const {
        int count = 0;
        for (const Object* object : world.allObjects)
            count += object->type == PROJECTILE;
        return count;
    }
    EntityHooks hooks;
    World world;
    HeldPad pad;
    Player player;
    Tank* tank = nullptr;
};

// Signed angle (radians) from a to b about `axis`: positive anticlockwise seen from its tip.
float angleAbout(const Vec3f& a, const Vec3f& b, const Vec3f& axis) {
    return std::atan2(cross(a, b).dot(axis), a.dot(b));
}

TEST(Player, SticksDriveAndTurnBeyondTheDeadZoneScaledToItsEdge) {
    Match m;
    const struct {
        float y;
        int drive;
    } drives[] = {{-1, 1}, {-0.2f, 1}, {-0.19f, 0}, {0, 0}, {0.19f, 0}, {0.2f, 2}, {1, 2}};
    for (const auto& d : drives) {
        m.pad.left = {0, d.y};
        m.player.update(TICK);
        EXPECT_EQ(m.tank->driveDirection, d.drive) << d.y;
    }
    m.tank->setDrive(0);
    // A push to the right turns clockwise seen from above, at the part of the full rate that
    // the push reaches beyond the dead zone.
    const float pushes[] = {1, 0.6f, 0.2f, 0.19f, 0, -0.19f, -0.6f, -1};
    for (float x : pushes) {
        m.pad.left = {x, 0};
        Vec3f before = m.tank->forward;
        m.player.update(TICK);
        float beyond = std::fabs(x) < 0.2f ? 0 : (std::fabs(x) - 0.2f) / 0.8f;
        float expected = -std::copysign(beyond, x) * m.tank->turnRate * TICK;
        EXPECT_NEAR(angleAbout(before, m.tank->forward, m.tank->up), expected, 1e-5f) << x;
    }
    EXPECT_EQ(m.pad.polls, 15);
    EXPECT_TRUE(m.tank->validate());
}

TEST(Player, TheFireTriggerUsesOneItemPerPressAndTheRightStickTiltsTheMap) {
    Match m;
    for (Item*& item : m.tank->items) {
        delete item;
        item = new Item(ITEM_PROJECTILE);
    }
    // Travel: below the threshold, at it, held, let go, pressed again, held.
    const float travel[] = {0.69f, 0.7f, 1.0f, 1.0f, 0.5f, 0.9f, 0.9f};
    const int shells[] = {0, 1, 1, 1, 1, 2, 2};
    for (int t = 0; t < 7; ++t) {
        m.pad.a = travel[t];
        m.player.update(TICK);
        EXPECT_EQ(m.shells(), shells[t]) << "tick " << t;
    }
    m.pad.right = {0.6f, 0};
    m.player.update(TICK);
    EXPECT_FLOAT_EQ(m.player.hud.tilt, -135 * 0.5f);
    EXPECT_FLOAT_EQ(m.player.hud.tiltAxis.y(), 1); // the stick's x tilts about the map's y
    m.pad.right = {0, -1};
    m.player.update(TICK);
    EXPECT_FLOAT_EQ(m.player.hud.tilt, -135);
    EXPECT_FLOAT_EQ(m.player.hud.previousTilt, -135 * 0.5f);
    EXPECT_FLOAT_EQ(m.player.hud.tiltAxis.x(), -1);
    m.pad.right = {0.19f, -0.19f}; // inside the dead zone: flat
    m.player.update(TICK);
    EXPECT_FLOAT_EQ(m.player.hud.tilt, 0);
}

// Trigger B selects the next item once per press, and each switch prints how many player
// ticks have passed since the previous one: one counter for all players.
TEST(Player, TheSwitchTriggerIsLatchedAndPrintsTheTicksSinceTheLastSwitch) {
    Match m;
    HeldPad otherPad;
    Player other(&otherPad);
    other.tank = m.world.addTank(0);
    other.world = &m.world;
    ticksSinceItemSwitch = 0;
    testing::internal::CaptureStdout();
    const float travel[] = {0, 0, 0.8f, 0.8f, 0.69f, 0.7f, 0.7f, 0, 1};
    const int selected[] = {0, 0, 1, 1, 1, 2, 2, 2, 0};
    for (int t = 0; t < 9; ++t) {
        m.pad.b = travel[t];
        m.player.update(TICK);
        other.update(TICK);
        EXPECT_EQ(m.tank->currentItem, selected[t]) << "tick " << t;
    }
    // Two players tick the counter twice a tick; the switching player's own tick of a switch
    // resets it before the other's.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "4\n5\n5\n");
    EXPECT_EQ(other.tank->currentItem, 0);
}

// The first pressed button in the order 2, 1, 3, 0, 4, 5 turns a layer: about the tank's
// forward (2 and 1), its right (3 and 0) or its up (4 and 5), one way or the other.
TEST(Player, LayerButtonsTurnTheTanksLayerInTheirOrder) {
    struct Turn {
        int axisChoice;
        bool direction;
    };
    const Turn turns[6] = {{0, false}, {1, false}, {1, true}, {0, true}, {2, false}, {2, true}};
    using WorldTurn = std::tuple<int, int, int>; // axis, layer, direction; -1s for none
    auto turnOf = [](const World& world) {
        return world.isRotating
                   ? WorldTurn(world.rotationAxis, world.rotatingLayer, world.rotationDirection)
                   : WorldTurn(-1, -1, -1);
    };
    auto expectedTurn = [&](int button) {
        Match twin;
        twin.tank->rotateLayer(turns[button].axisChoice, turns[button].direction);
        return turnOf(twin.world);
    };
    auto pressed = [&](std::initializer_list<int> buttons) {
        Match m;
        for (int b : buttons)
            m.pad.buttons[b] = true;
        m.player.update(TICK);
        return turnOf(m.world);
    };
    std::set<WorldTurn> distinct;
    for (int button = 0; button < 6; ++button) {
        EXPECT_EQ(pressed({button}), expectedTurn(button)) << "button " << button;
        distinct.insert(expectedTurn(button));
    }
    EXPECT_EQ(distinct.size(), 6u);
    EXPECT_EQ(distinct.count(WorldTurn(-1, -1, -1)), 0u);
    EXPECT_EQ(pressed({0, 1, 2, 3, 4, 5}), expectedTurn(2));
    EXPECT_EQ(pressed({0, 1, 3}), expectedTurn(1));
    EXPECT_EQ(pressed({0, 3, 5}), expectedTurn(3));
    EXPECT_EQ(pressed({0, 4, 5}), expectedTurn(0));
    EXPECT_EQ(pressed({5, 4}), expectedTurn(4));
    EXPECT_EQ(pressed({}), WorldTurn(-1, -1, -1));
    EXPECT_EQ(pressed({6, 7, 8, 9}), WorldTurn(-1, -1, -1)); // buttons without a turn
}

TEST(Player, ADestroyedTankIsOutAndItsPadNoLongerRead) {
    Match m;
    m.pad.left = {0, -1};
    m.player.update(TICK);
    m.tank->health = 1;
    m.tank->hit();
    ASSERT_EQ(m.tank->getHealth(), 0);
    m.player.update(TICK);
    EXPECT_FALSE(m.player.alive);
    EXPECT_EQ(m.pad.polls, 1);
    Player idle(nullptr); // no controls: stands still, stays in
    idle.tank = m.world.addTank(1);
    idle.update(TICK);
    EXPECT_TRUE(idle.alive);
    EXPECT_EQ(idle.tank->driveDirection, 0);
}

} // namespace
