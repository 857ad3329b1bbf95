// A navigation button in a world's data is a screen button, not a world object: while the world
// is current it stands on the main window at its own stage place whatever the scroll, rests
// under a panel with the world, and goes back to the world when it stops.
#include <gtest/gtest.h>

#include "engine/core/Window.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/Player.h"
#include "tests/game/world/WorldFixture.h"

namespace vqt::test {
namespace {

/// A world with a navigation button placed at (600, 100) of the stage.
constexpr uint16_t kButtonWorld = 73;
constexpr CPoint16 kButtonPlace{600, 100};

class WorldScreenButtonsTest : public WorldFixture {
protected:
    void AddWorldData(GameData& data) override {
        ObjectPlan button{.classId = Navigation_Prop::kClassId, .partId = ChunkIdOf(GameData::kParts, kPropPart)};
        button.properties.Pair(50, 1, kButtonPlace.x, kButtonPlace.y).Short(50, 3, 1).Short(1001, 1, 6);
        AddWorld(data, kButtonWorld, 500, {button});
    }
    static Navigation_Prop* FindButton(ONode* node) {
        if (auto* button = dynamic_cast<Navigation_Prop*>(node)) return button;
        for (int32_t i = 0; i < node->ChildCount(); ++i)
            if (Navigation_Prop* found = FindButton(node->ChildAt(i))) return found;
        return nullptr;
    }
};

TEST_F(WorldScreenButtonsTest, StandsOnTheStageWhileTheWorldIsCurrentAndGoesBackWhenItStops) {
    // A player who has driven there before: no welcome panel.
    app->GetPlayer()->IncCounter(13);
    SpyWorld* world = ShowWorld(kButtonWorld);
    ASSERT_NE(world, nullptr);
    OWindow* window = OWindow::Main();
    Navigation_Prop* button = FindButton(window);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetParent(), window);
    EXPECT_FALSE(world->GetBuckets().Holds(button)) << "no world object: the vehicle never meets it";

    for (const CPointF scroll : {CPointF(0, 0), CPointF(400, 300), CPointF(640, 480)}) {
        world->ScrollTo(scroll, 0);
        const CRect16 drawn = button->GetScreenRect();
        EXPECT_TRUE(drawn.ContainsPoint(kButtonPlace.x, kButtonPlace.y - 2)) << "scrolled to " << scroll.x;
        EXPECT_EQ(window->ViewAtPoint(CPoint16(kButtonPlace.x, int16_t(kButtonPlace.y - 2))), button)
            << "scrolled to " << scroll.x;
    }

    world->Pause();
    EXPECT_EQ(window->ViewAtPoint(CPoint16(kButtonPlace.x, int16_t(kButtonPlace.y - 2))), nullptr)
        << "it rests with the world under a panel";
    world->Resume();
    EXPECT_EQ(window->ViewAtPoint(CPoint16(kButtonPlace.x, int16_t(kButtonPlace.y - 2))), button);

    world->FlushSoundQueues();
    EXPECT_EQ(button->GetParent(), world) << "a stopped world's button leaves the stage with it";
}

} // namespace
} // namespace vqt::test
