// Fading the props that cover the vehicle: which props start to fade, and the blend levels
// step by step against a model of the fade out and back in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "game/shell/TLVSimpleObject.h"
#include "game/world/CoveringFades.h"
#include "tests/support/HeadlessTest.h"

namespace vqt::test {
namespace {

/// The stage over the map: inner rectangle (160, 120) - (480, 360).
constexpr CRect16 kVisible(0, 0, 640, 480);
constexpr int32_t kThreshold = 120;
/// Centres inside and outside the inner rectangle.
constexpr CPointF kCovering(320, 240);
constexpr CPointF kAside(40, 40);

constexpr uint32_t kPlainMode = 1;
constexpr uint32_t kBlendMode = 3;

class CoveringFadesTest : public HeadlessTest {
protected:
    OActivityProp* Make(CPointF at, int32_t priority = kThreshold + 1, int16_t size = 40, int32_t rotation = 0) {
        props_.push_back(std::make_unique<TLVSimple_Object>());
        OActivityProp* prop = props_.back().get();
        prop->SetPosition(at, 0, 0);
        prop->SetSize(CPoint16(size, size), 0);
        prop->SetRotation(rotation);
        prop->SetPriority(priority);
        return prop;
    }
    void Update(const std::vector<OActivityProp*>& candidates) { fades.Update(kVisible, kThreshold, candidates); }
    /// The level of the prop's entry; `kNone` without one.
    static constexpr int kNone = 1000;
    int LevelOf(const OActivityProp* prop) const {
        const CCoveringFades::Entry* entry = fades.Find(prop);
        return entry ? entry->level : kNone;
    }

    CCoveringFades fades;
    std::vector<std::unique_ptr<OActivityProp>> props_;
};

TEST_F(CoveringFadesTest, InnerRectangleLosesAQuarterOnEachSide) {
    struct Case {
        CRect16 visible;
        CRect16 inner;
    };
    const Case cases[] = {
        {CRect16(0, 0, 640, 480), CRect16(160, 120, 480, 360)},
        {CRect16(1000, 2000, 1640, 2480), CRect16(1160, 2120, 1480, 2360)},
        {CRect16(10, 20, 23, 27), CRect16(13, 21, 20, 26)}, // quarters of 13 and 7 truncated
        {CRect16(-100, -50, -97, -47), CRect16(-100, -50, -97, -47)},
        {CRect16(5, 5, 5, 5), CRect16(5, 5, 5, 5)},
    };
    for (const Case& c : cases) EXPECT_EQ(CCoveringFades::InnerRect(c.visible), c.inner);
}

TEST_F(CoveringFadesTest, OnlyPropsDrawnInFrontOfTheVehicleOverTheMiddleStartToFade) {
    struct Case {
        const char* name;
        CPointF at;
        int32_t priority;
        int32_t rotation;
        bool fades;
    };
    const Case cases[] = {
        {"in front over the middle", kCovering, kThreshold + 1, 0, true},
        {"touching the inner edge", CPointF(150, 240), kThreshold + 1, 0, true},
        {"just outside the inner edge", CPointF(140, 240), kThreshold + 1, 0, false},
        {"level with the threshold", kCovering, kThreshold, 0, false},
        {"behind the vehicle", kCovering, kThreshold - 50, 0, false},
        {"aside", kAside, kThreshold + 1, 0, false},
        {"turned (an empty box)", kCovering, kThreshold + 1, 45, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fades.Clear();
        OActivityProp* prop = Make(c.at, c.priority, 40, c.rotation);
        Update({nullptr, prop});
        EXPECT_EQ(LevelOf(prop), c.fades ? -CCoveringFades::kStartLevel : kNone);
        Update({prop}); // a second pass adds no second entry
        EXPECT_EQ(fades.Entries().size(), c.fades ? 1u : 0u);
    }
}

/// What one prop should show, worked out from the fade's rules alone.
struct FadeModel {
    bool fading = false;
    int level = 0;
    uint32_t mode = kPlainMode;
    int blend = 0;

    /// A pass over the props: `covering` is whether the prop meets the inner rectangle.
    void Pass(bool covering) {
        if (covering && !fading) {
            fading = true;
            level = -100;
        } else if (!covering && fading && level == 0) {
            level = 100;
        }
    }
    void Step() {
        if (!fading || level == 0) return;
        if (level < 0) {
            level += 10;
            mode = kBlendMode;
            blend = 100 + level;
            return;
        }
        level -= 10;
        if (level > 0) {
            mode = kBlendMode;
            blend = level;
            return;
        }
        fading = false; // a fade in ended: back to the plain draw
        mode = kPlainMode;
        blend = 255;
    }
};

enum class Act { Cover, Uncover, Step };

TEST_F(CoveringFadesTest, FadesStepOutAndBackInAsTheModelSays) {
    struct Script {
        const char* name;
        std::vector<std::pair<Act, int>> acts; // the act, done this many times
    };
    const Script scripts[] = {
        {"out, stays faded, back in",
         {{Act::Cover, 1}, {Act::Step, 13}, {Act::Cover, 1}, {Act::Step, 2}, {Act::Uncover, 1}, {Act::Step, 12}}},
        {"leaves while fading out: fades on to 0 and stays until the next pass",
         {{Act::Cover, 1}, {Act::Step, 3}, {Act::Uncover, 1}, {Act::Step, 9}, {Act::Uncover, 1}, {Act::Step, 11}}},
        {"covers again while fading in: the fade in ends first",
         {{Act::Cover, 1}, {Act::Step, 10}, {Act::Uncover, 1}, {Act::Step, 4}, {Act::Cover, 1}, {Act::Step, 6},
          {Act::Cover, 1}, {Act::Step, 10}}},
        {"passes without steps", {{Act::Cover, 3}, {Act::Uncover, 2}, {Act::Step, 1}, {Act::Uncover, 1}}},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        fades.Clear();
        OActivityProp* prop = Make(kCovering);
        FadeModel model{.blend = prop->GetBlendLevel()};
        int n = 0;
        for (const auto& [act, times] : script.acts)
            for (int t = 0; t < times; ++t, ++n) {
                SCOPED_TRACE(n);
                if (act == Act::Step) {
                    fades.Step();
                    model.Step();
                } else {
                    prop->SetPosition(act == Act::Cover ? kCovering : kAside, 0, 0);
                    Update({prop});
                    model.Pass(act == Act::Cover);
                }
                ASSERT_EQ(LevelOf(prop), model.fading ? model.level : kNone);
                EXPECT_EQ(prop->GetDrawMode(), model.mode);
                EXPECT_EQ(prop->GetBlendLevel(), model.blend);
            }
    }
}

TEST_F(CoveringFadesTest, TheStepGoesOnWithTheEntryAfterOneThatEnds) {
    OActivityProp* first = Make(kCovering);
    Update({first});
    for (int i = 0; i < 10; ++i) fades.Step();
    OActivityProp* second = Make(kCovering);
    OActivityProp* third = Make(kCovering);
    first->SetPosition(kAside, 0, 0);
    Update({first, second, third}); // first turns back (100); second and third start (-100)
    for (int i = 0; i < 10; ++i) fades.Step();
    EXPECT_EQ(fades.Find(first), nullptr);
    EXPECT_EQ(first->GetBlendLevel(), 255);
    for (const OActivityProp* p : {second, third}) {
        EXPECT_EQ(LevelOf(p), 0);
        EXPECT_EQ(p->GetBlendLevel(), 100);
    }
}

TEST_F(CoveringFadesTest, ForgettingAPropDropsOnlyItsEntry) {
    OActivityProp* kept = Make(kCovering);
    OActivityProp* forgotten = Make(kCovering);
    OActivityProp* stranger = Make(kCovering);
    Update({kept, forgotten});
    fades.Step();
    fades.Forget(forgotten);
    fades.Forget(stranger); // has no entry: nothing happens
    ASSERT_EQ(fades.Entries().size(), 1u);
    EXPECT_EQ(fades.Entries()[0].prop, kept);
    EXPECT_EQ(fades.Find(forgotten), nullptr);
    const int16_t blend = forgotten->GetBlendLevel();
    fades.Step();
    EXPECT_EQ(forgotten->GetBlendLevel(), blend) << "a forgotten prop is not stepped";
    EXPECT_EQ(kept->GetBlendLevel(), 20);
    fades.Clear();
    EXPECT_TRUE(fades.Entries().empty());
}

} // namespace
} // namespace vqt::test
