// The race's live and retired objects: retiring, removing, counting kinds, leaving the window,
// and the shift of a wrap that moves objects and racers' targets alike.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/minigames/race/RaceObjects.h"
#include "game/shell/TLVObject.h"
#include "game/world/characters/DRacing.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

class RaceObjectsTest : public HeadlessTest {
protected:
    /// A 20 x 20 prop centred on the point.
    TLV_Object* Prop(float x, float y) {
        props.push_back(std::make_unique<TLV_Object>());
        TLV_Object* p = props.back().get();
        p->SetSize(CPoint16(20, 20), 0);
        p->SetPosition(CPointF(x, y), 0, 0);
        p->SetVisible(1, 0);
        return p;
    }

    std::vector<std::unique_ptr<TLV_Object>> props;
    CGRaceObjects objects;
};

TEST_F(RaceObjectsTest, RetiringTakesALiveObjectOutOfPlayOnce) {
    TLV_Object* a = Prop(100, 100);
    TLV_Object* b = Prop(200, 100);
    objects.AddLive(a, 1);
    objects.AddLive(b, 2);
    const struct {
        const char* what;
        TLV_Object* prop;
        bool hide;
        bool answer, visibleAfter;
    } steps[] = {
        {"a live object, hidden", a, true, true, false},
        {"the same again", a, true, false, false},
        {"a live object kept shown", b, false, true, true},
        {"an object never live", nullptr, true, false, false},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(objects.RetireObject(s.prop, s.hide), s.answer) << s.what;
        if (s.prop) {
            EXPECT_EQ(s.prop->IsVisible() != 0, s.visibleAfter) << s.what;
            EXPECT_FALSE(objects.IsLive(s.prop)) << s.what;
            EXPECT_TRUE(objects.IsRetired(s.prop)) << s.what;
        }
    }
    EXPECT_EQ(objects.Retired().size(), 2u);
    objects.RemoveObject(b);
    EXPECT_FALSE(objects.IsRetired(b));
    EXPECT_FALSE(b->IsVisible());
}

TEST_F(RaceObjectsTest, KindsAreCountedOverBothListsWithinTheTable) {
    for (int k : {0, 1, 1, 2, 1}) objects.AddLive(Prop(100, 100), k);
    objects.RetireObject(objects.Live()[1].prop, true);
    const struct {
        int32_t kind, table, count;
    } cases[] = {{1, 3, 3}, {0, 3, 1}, {2, 3, 1}, {2, 2, 0}, {-1, 3, 0}, {1, 0, 0}};
    for (const auto& c : cases) EXPECT_EQ(objects.CountOfKind(c.kind, c.table), c.count) << c.kind << "/" << c.table;
}

TEST_F(RaceObjectsTest, ObjectsThatLeaveTheWindowAreCleanedUp) {
    const CPoint16 origin(0, 960);
    const struct {
        const char* what;
        float x, y;
        bool racerRunning;
        bool stays;
    } cases[] = {
        {"inside", 320, 1200, false, true},
        {"wholly below", 320, 1451, false, false},
        {"touching the bottom", 320, 1449, false, true},
        {"wholly left", -11, 1200, false, false},
        {"wholly right", 651, 1200, false, false},
        {"wholly above", 320, 900, false, true},
        {"a running racer wholly above", 320, 900, true, false},
        {"a running racer inside", 320, 1200, true, true},
    };
    for (const auto& c : cases) {
        OActivityProp* prop = nullptr;
        std::unique_ptr<DRacing> racer;
        if (c.racerRunning) {
            racer = std::make_unique<DRacing>(nullptr);
            racer->SetSize(CPoint16(20, 20), 0);
            racer->SetPosition(CPointF(c.x, c.y), 0, 0);
            racer->SetBehaviourState(5);
            prop = racer.get();
        } else {
            prop = Prop(c.x, c.y);
        }
        EXPECT_EQ(CGRaceObjects::StillInPlay(prop, origin, 640, 480), c.stays) << c.what;
        objects.Clear();
        objects.AddLive(prop, 0);
        objects.Cleanup(origin, 640, 480);
        EXPECT_EQ(objects.IsLive(prop), c.stays) << c.what;
    }
    EXPECT_FALSE(CGRaceObjects::StillInPlay(nullptr, origin, 640, 480));
}

TEST_F(RaceObjectsTest, AWrapMovesObjectsAndRacersTargetsAlike) {
    TLV_Object* live = Prop(100, 200);
    TLV_Object* retired = Prop(300, 250);
    DRacing racer(nullptr);
    racer.SetPosition(CPointF(400, 300), 0, 0);
    racer.SetTargetPoint(CPointF(420, 280));
    objects.AddLive(live, 0);
    objects.AddLive(retired, 0);
    objects.AddLive(&racer, 1);
    objects.RetireObject(retired, false);
    objects.Shift(960.0f, 0.0f);
    objects.ShiftRacerTargets(960.0f, 0.0f);
    EXPECT_EQ(live->GetPosition(), CPointF(100, 1160));
    EXPECT_EQ(retired->GetPosition(), CPointF(300, 1210));
    EXPECT_EQ(racer.GetPosition(), CPointF(400, 1260));
    EXPECT_EQ(racer.GetTargetPoint(), CPointF(420, 1240)) << "the target moves with the racer";
    EXPECT_EQ(live->GetPriority(), 5 * 1160) << "ordered by the new height";
}

} // namespace
} // namespace vqt::test
