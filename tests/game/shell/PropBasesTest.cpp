// The game's prop bases on a stage of their own with the game object's part file: draw order,
// shadow and overlay, the collision body, properties, motion and its limits on the virtual
// clock, the overlay's base line and still props off screen.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Activity.h"
#include "engine/core/CurrentActivity.h"
#include "engine/data/PartFile.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVComplexObject.h"
#include "game/shell/TLVSimpleObject.h"
#include "tools/builders/ActivityBuilder.h"
#include "tests/support/StoredProperties.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"
#include "tools/synthetic/GameData.h"

namespace vqt::test {
namespace {

/// Parts of the game's part index: an object naming its shadow and overlay, the two of them,
/// an object without either and one naming an entry the file lacks.
enum : uint16_t { kObject = 3001, kShadow = 3002, kOverlay = 3003, kPlain = 3004, kDangling = 3005, kFlip = 3006 };
/// The overlay's base line values a, s and b, and the offsets of the shadow.
constexpr int16_t kA = 4, kS = -6, kB = 2;
constexpr int32_t kOffsetX = 3, kOffsetY = 7;

/// `states` states of `frames` frames of w x h, the hot spot in the middle.
PartPlan Shape(int w, int h, int states, std::vector<uint16_t> words = {0, 0, 0}, int frames = 1) {
    PartPlan part;
    for (int i = 0; i < 3; ++i) part.words[i] = words[size_t(i)];
    part.longs[0] = uint32_t(kOffsetX);
    part.longs[1] = uint32_t(kOffsetY);
    for (int s = 0; s < states; ++s) {
        StatePlan state;
        for (int f = 0; f < frames; ++f)
            state.frames.push_back(FramePlan{.picture = Picture(w, h, 5), .hotX = int16_t(w / 2), .hotY = int16_t(h / 2)});
        part.states.push_back(state);
    }
    return part;
}

class PropBasesTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        GameData data;
        data.parts.AddPart(Shape(20, 10, 2, {kShadow, kOverlay, 0}), kObject);
        data.parts.AddPart(Shape(30, 8, 2), kShadow);
        data.parts.AddPart(Shape(40, 20, 1, {uint16_t(kA), uint16_t(kS), uint16_t(kB)}), kOverlay);
        data.parts.AddPart(Shape(20, 10, 1), kPlain);
        data.parts.AddPart(Shape(20, 10, 1, {3999, 3999, 0}), kDangling);
        data.parts.AddPart(Shape(4, 4, 1, {0, 0, 0}, 4), kFlip);
        const std::string path = folder / "game.vqk";
        ASSERT_TRUE(data.file.WriteFile(path));
        ASSERT_TRUE(CTLVApp::Create());
        auto owned = std::make_unique<CPartFile>();
        CPartFile* partFile = owned.get();
        ASSERT_TRUE(partFile->Open(path.c_str(), 1));
        CTLVApp::Get()->SetPartFile(std::move(owned));
        stage.SetSize(CPoint16(640, 480), 0);
        stage.SetPosition(CPointF(320, 240), 0, 0);
        xActivity_SetCurrentView(&stage);
    }
    void TearDown() override {
        xActivity_SetCurrentView(nullptr);
        stage.DestroyChildren();
        CTLVApp::Destroy();
        HeadlessTest::TearDown();
    }
    /// An object on the stage at (x, y) showing the part of the entry.
    template <class Object = TLV_Object>
    Object* Place(uint16_t entry, float x, float y) {
        auto* object = new Object;
        stage.AddChild(object);
        object->SetPosition(CPointF(x, y), 0, 0);
        EXPECT_EQ(object->SetPartID(GamePartFile(), MakeChunkId(GameData::kParts, entry), 1), 1);
        return object;
    }
    /// Frames of `ms` for the object, the clock moving first.
    void Run(OProcess* object, int frames, uint32_t ms = 16) {
        for (int i = 0; i < frames; ++i) {
            clock().Advance(ms);
            object->OnIdle();
        }
    }

    TempFolder folder;
    OActivity stage{"Activity", OActivity::kClassId};
};

TEST_F(PropBasesTest, ThePriorityFollowsTheVerticalPositionOrTheOverlaysAndTheShadowLiesJustBelow) {
    TLV_Object* object = Place(kObject, 50, 100.7f);
    object->SetZBias(3);
    object->UpdateZOrder();
    ASSERT_NE(object->GetShadow(), nullptr);
    EXPECT_EQ(object->GetPriority(), 515);
    EXPECT_EQ(object->GetShadow()->GetPriority(), 514);
    EXPECT_EQ(object->GetShadow()->GetPosition(), CPointF(50 + kOffsetX, 100.7f + kOffsetY));
    EXPECT_EQ(object->GetCollisionBody(), object->GetShadow());

    object->CreateOverlay();
    ASSERT_NE(object->GetOverlay(), nullptr);
    EXPECT_EQ(object->GetCollisionBody(), object->GetOverlay());
    EXPECT_FALSE(object->GetOverlay()->IsVisible());
    object->GetOverlay()->SetPosition(CPointF(7, 40), 0, 0);
    object->SetOverlayZBias(-2);
    object->SetPosition(CPointF(50, 300), 0, 0);
    object->UpdateZOrder();
    EXPECT_EQ(object->GetPriority(), 190) << "the overlay's place counts, not the object's";

    for (uint16_t entry : {kPlain, kDangling}) {
        TLV_Object* bare = Place(entry, 10, 10);
        bare->CreateOverlay();
        EXPECT_EQ(bare->GetShadow(), nullptr) << entry;
        EXPECT_EQ(bare->GetOverlay(), nullptr) << entry;
        EXPECT_EQ(bare->GetCollisionBody(), bare) << entry;
    }
    EXPECT_EQ(traced().find("Missing"), std::string::npos) << "a missing shadow is silent";
}

TEST_F(PropBasesTest, AnObjectLoadedFromDataGetsItsShadowAndTheBodyNeverOutlivesAChild) {
    // The loader's order: properties, then the part, then the activity takes the object.
    auto* object = new TLVSimple_Object;
    object->SetPosition(CPointF(200, 150), 0, 0);
    object->OnPropertiesLoaded();
    EXPECT_EQ(object->GetShadow(), nullptr) << "no part yet";
    object->SetPartID(GamePartFile(), MakeChunkId(GameData::kParts, kObject), 1);
    stage.AddChild(object);
    ASSERT_NE(object->GetShadow(), nullptr);
    EXPECT_EQ(object->GetShadow()->GetParent(), &stage);
    EXPECT_EQ(object->GetShadow()->GetPriority(), object->GetPriority() - 1);

    object->CreateOverlay();
    object->SetState(1);
    EXPECT_EQ(object->GetShadow()->GetState(), 1) << "two states: it follows";
    EXPECT_EQ(object->GetOverlay()->GetState(), 0) << "one state: it stays";
    object->DeleteOverlay();
    EXPECT_EQ(object->GetCollisionBody(), object->GetShadow());
    EXPECT_FALSE(object->HitsProp(object, nullptr));
    EXPECT_FALSE(object->HitsObject(object, nullptr));
    EXPECT_TRUE(object->HitsObject(Place(kPlain, 203, 157), nullptr));

    // The stage deletes its children last first: the shadow goes before its object.
    stage.DestroyChildren();
    EXPECT_EQ(stage.ChildCount(), 0);
}

TEST_F(PropBasesTest, PropertiesOfFamilies1100And1110AreSizeCheckedAndVelocityAndAccelerationAreSetOnly) {
    TLVComplex_Object object;
    object.SetMaxAcceleration(1000, 0);
    const PropertyBytes stored = PropertyBytes()
                                     .Raw(7, 1100, 1, {0xFF, 0xFF, 0xFF, 0xFE}, 4)
                                     .Raw(7, 1100, 2, {0, 0, 0, 9}, 4)
                                     .Byte(1100, 3, 1)
                                     .Byte(1100, 4, 1)
                                     .Raw(7, 1100, 1, {0, 0}, 2)
                                     .Pair(1110, 1, -30, 40)
                                     .Pair(1110, 2, 5, 0)
                                     .Raw(10, 1110, 1, {0, 1}, 2)
                                     .Pair(1110, 3, 1, 1);
    LoadStoredProperties(object, stored);
    EXPECT_EQ(object.GetZBias(), -2);
    EXPECT_EQ(object.GetOverlayZBias(), 9);
    EXPECT_EQ(object.IsSolid(), 1);
    EXPECT_EQ(object.IsListed(), 1);
    EXPECT_EQ(object.GetVelocity(), Vec3(-30, 40, 0));
    EXPECT_EQ(object.GetAcceleration(), Vec3(5, 0, 0));
    EXPECT_NE(traced().find("property 1 of family 1100 has 2 bytes, too few\n"), std::string::npos);
    EXPECT_NE(traced().find("property 1 of family 1110 has 2 bytes, fewer than 4\n"), std::string::npos);

    OPropertyMsg report{7, 1110, 1, 0};
    EXPECT_TRUE(object.HandleProperty(&report, 0)) << "a request to fill in answers 1 and changes nothing";
    EXPECT_EQ(object.GetVelocity(), Vec3(-30, 40, 0));
    EXPECT_EQ(TLV_Object().IsListed(), 0);
}

TEST_F(PropBasesTest, LimitsScaleToTheLengthFirstThenClampEachComponentWithItsSign) {
    TLVComplex_Object object;
    object.SetVelocity(Vec3(30000, 30000, 5), 0);
    const Vec3 v = object.GetVelocity();
    EXPECT_EQ(v.x, v.y);
    EXPECT_NEAR(std::sqrt(2.0 * v.x * v.x), 32767.0, 0.5) << "z was about 3.86 before its limit of 0";
    EXPECT_EQ(v.z, 0.0f);

    object.SetAcceleration(Vec3(100, 0, 0), 0);
    EXPECT_EQ(object.GetAcceleration(), Vec3()) << "the maximum acceleration is 0";
    object.SetMaxAcceleration(1000, 0);
    object.SetAccelerationLimits(Vec3(50, 50, 0), 0);
    object.SetAcceleration(Vec3(-80, 20, 0), 0);
    EXPECT_EQ(object.GetAcceleration(), Vec3(-50, 20, 0));
    object.SetVelocity(Vec3(10, 0, 0), 0);
    object.SetVelocity(Vec3(5, 1, 0), 1);
    EXPECT_EQ(object.GetVelocity(), Vec3(15, 1, 0));
    object.SetMaxSpeed(-1, 0);
    object.SetVelocity(Vec3(), 0);
    EXPECT_EQ(object.GetVelocity(), Vec3()) << "a still vector over a maximum below 0 stays still, never NaN";
}

TEST_F(PropBasesTest, MotionIntegratesOnThe15msClockAtMost125msAStepAndNeverWhilePaused) {
    struct Case {
        const char* what;
        uint32_t frameMs;
        int frames;
        float moved;
    };
    const Case cases[] = {{"1 s of 16 ms frames", 16, 62, 100.0f}, {"a 400 ms frame", 400, 1, 12.5f}};
    for (const Case& c : cases) {
        auto* object = Place<TLVComplex_Object>(kPlain, 100, 200);
        object->SetVelocity(Vec3(100, 0, 0), 0);
        Run(object, c.frames, c.frameMs);
        EXPECT_NEAR(object->GetPosition().x - 100, c.moved, 2.0f) << c.what;
        EXPECT_EQ(object->GetPosition().y, 200.0f) << c.what;
    }

    auto* paused = Place<TLVComplex_Object>(kPlain, 100, 200);
    paused->SetVelocity(Vec3(100, 0, 0), 0);
    Run(paused, 31);
    paused->Suspend(0);
    Run(paused, 625); // 10 s
    paused->Resume(0);
    Run(paused, 31);
    EXPECT_NEAR(paused->GetPosition().x - 100, 100.0f, 2.0f) << "the paused time never becomes motion";

    // A still object keeps its clock: once it moves, its first step covers one frame.
    auto* still = Place<TLVComplex_Object>(kPlain, 100, 200);
    Run(still, 60);
    still->SetVelocity(Vec3(100, 0, 0), 0);
    Run(still, 1);
    EXPECT_NEAR(still->GetPosition().x - 100, 1.6f, 0.01f);

    // Slowing below half a pixel a second stops it before the step moves it.
    still->SetMaxAcceleration(1000, 0);
    still->SetVelocity(Vec3(1, 0, 0), 0);
    still->SetAcceleration(Vec3(-40, 0, 0), 0);
    const float x = still->GetPosition().x;
    Run(still, 1);
    EXPECT_EQ(still->GetVelocity().x, 0.0f);
    EXPECT_EQ(still->GetPosition().x, x);
}

/// The base-line rule of the overlay, from its rectangle and part values.
bool InFrontOracle(int px, int py, int ox, int oy, int w, int h) {
    const int left = ox - w / 2, top = oy - h / 2, right = left + w, bottom = top + h;
    if (px < left || px > right) return py > oy;
    if (py < top || py >= bottom || px == right) return py >= bottom;
    const int split = ox + kS;
    if (px == split) return false;
    const bool leftSide = px < split;
    const int edge = leftSide ? oy + kA : oy + kB;
    const int span = leftSide ? split - left : right - split;
    if (py <= edge || span <= (leftSide ? 1 : 0)) return false;
    const double t = leftSide ? double(px - left) / span : double(right - px) / span;
    return py > t * (bottom - edge) + edge;
}

TEST_F(PropBasesTest, InFrontOfTheOverlayFollowsItsBaseLine) {
    TLV_Object* object = Place(kObject, 100, 100);
    EXPECT_FALSE(object->IsInFrontOfOverlay(CPoint16(0, 479))) << "no overlay";
    object->CreateOverlay();
    const OActivityProp* overlay = object->GetOverlay();
    const int ox = int(overlay->GetPosition().x), oy = int(overlay->GetPosition().y);
    ASSERT_EQ(overlay->GetWidth(), 40);
    EXPECT_TRUE(object->IsInFrontOfOverlay(CPoint16(int16_t(ox - 30), int16_t(oy + 1))));
    const int16_t points[20][2] = {{-30, 1},  {-30, -1}, {30, 5},  {25, 0},  {0, -11}, {0, 10},  {20, 3},
                                   {20, 9},   {-19, 9},  {-19, 5}, {-10, 9}, {-10, 6}, {-6, 9},  {-6, 2},
                                   {-3, 9},   {0, 4},    {10, 9},  {10, 3},  {19, 9},  {-20, 7}};
    for (const auto& p : points) {
        const int px = ox + p[0], py = oy + p[1];
        EXPECT_EQ(object->IsInFrontOfOverlay(CPoint16(int16_t(px), int16_t(py))), InFrontOracle(px, py, ox, oy, 40, 20))
            << p[0] << ", " << p[1];
    }
}

TEST_F(PropBasesTest, OfAThousandStillPropsOnlyThoseOnScreenAnimate) {
    std::vector<TLVSimple_Object*> props;
    for (int i = 0; i < 1000; ++i) props.push_back(Place<TLVSimple_Object>(kFlip, i < 100 ? 5.0f + 6 * i : 2000.0f + i, 100));
    props.back()->SetAlwaysAnimate(1);
    for (int frame = 0; frame < 10; ++frame) {
        clock().Advance(16);
        for (TLVSimple_Object* prop : props) prop->OnIdle();
    }
    int animated = 0;
    for (int i = 0; i < 999; ++i) animated += props[size_t(i)]->GetCurrentFrame() != 0;
    EXPECT_EQ(animated, 100);
    EXPECT_NE(props.back()->GetCurrentFrame(), 0) << "always animate";
}

TEST_F(PropBasesTest, TheChainLinksUnlinksAndClosesOverAnObjectThatGoes) {
    TLV_Object a, b, c;
    b.LinkAfter(&a);
    c.LinkAfter(&b);
    EXPECT_EQ(c.ChainHead(), &a);
    {
        TLV_Object d;
        d.LinkAfter(&a);
        EXPECT_EQ(a.GetNext(), &d);
        EXPECT_EQ(b.GetPrevious(), &d);
    }
    EXPECT_EQ(a.GetNext(), &b);
    EXPECT_EQ(b.GetPrevious(), &a);
    a.LinkAfter(&c);
    EXPECT_EQ(a.ChainHead(), &b);
    EXPECT_EQ(c.GetNext(), &a);
    EXPECT_DOUBLE_EQ(a.DistanceTo(CPointF(3, 4)), 5.0);
}

TEST_F(PropBasesTest, AnObjectToHideAtItsAnimationsEndHidesThen) {
    TLV_Object* object = Place(kFlip, 100, 100);
    object->SetHideAtAnimationEnd(1);
    object->OnAnimationEnd();
    EXPECT_FALSE(object->IsVisible());
}

} // namespace
} // namespace vqt::test
