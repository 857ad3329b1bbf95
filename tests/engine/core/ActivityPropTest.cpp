// Activity props: loading a part, states and frames with the hot spot kept in place, the
// per-frame update, sound placed by position, hit tests and properties.
#include "engine/core/ActivityProp.h"

#include <memory>

#include "engine/media/Application.h"
#include "engine/blit/ColorPalette.h"
#include "engine/core/Activity.h"
#include "engine/core/CurrentActivity.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

/// The stage's activity: 640 x 480, its top-left corner at the stage's, scrolling up to 1000.
class StageView : public OActivity {
public:
    StageView() : OActivity("Activity", OActivity::kClassId) {
        SetSize(CPoint16(640, 480), 0);
        SetPosition(CPointF(320, 240), 0, 0);
        SetScrollLimits(CPointF(0, 0), CPointF(1000, 1000));
    }
};

/// The application, with its sound process.
class SoundApp : public OApplication {
public:
    OSoundProcess* GetSoundProcess() override { return &sound; }
    OSoundProcess sound{8};
};

/// A prop that counts its animation ends and can refuse to go on.
class CountingProp : public OActivityProp {
public:
    int32_t OnAnimationEnd() override {
        ++ends;
        return goOn ? OActivityProp::OnAnimationEnd() : 0;
    }
    int ends = 0;
    bool goOn = true;
};

/// A frame of w x h in one colour, with optional transparent pixels.
FramePlan Frame(int w, int h, uint8_t colour, int16_t hotX = 0, int16_t hotY = 0,
                std::initializer_list<std::pair<int, int>> holes = {}) {
    FramePlan f;
    f.picture = Picture(w, h, colour);
    for (auto [x, y] : holes) f.picture.at(x, y) = 0;
    f.hotX = hotX;
    f.hotY = hotY;
    f.duration = 6;
    return f;
}

class ActivityPropTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xActivity_SetCurrentView(&stage_);
    }
    void TearDown() override {
        xActivity_SetCurrentView(nullptr);
        HeadlessTest::TearDown();
    }
    /// Adds a part of the given states and opens the file (once all parts are added).
    uint32_t AddPart(const PartPlan& desc) { return parts_.AddPart(desc).part; }
    void Open() { file_ = std::make_unique<OpenedPartFile>(image_, true); }
    /// One part of the given states, the file opened.
    uint32_t OnlyPart(std::vector<StatePlan> states) {
        PartPlan desc;
        desc.states = std::move(states);
        const uint32_t part = AddPart(desc);
        Open();
        return part;
    }
    /// A prop on the stage at (x, y), showing the part.
    template <class Prop = OActivityProp>
    Prop* Place(uint32_t part, float x, float y, uint8_t keepPlace = 1) {
        auto* prop = new Prop;
        stage_.AddChild(prop);
        prop->SetPosition(CPointF(x, y), 0, 0);
        EXPECT_EQ(prop->SetPartID(file_->get(), part, keepPlace), 1);
        return prop;
    }

    ChunkFileBuilder image_;
    PartBuilder parts_{image_};
    std::unique_ptr<OpenedPartFile> file_;
    StageView stage_; // the props go before the part file they use
};

TEST_F(ActivityPropTest, LoadingSizesMovesAndTakesThePalette) {
    PartPlan desc;
    desc.states = {{.frames = {Frame(6, 4, 9, 3, -2)}}};
    std::vector<uint8_t> rgb(768);
    for (int i = 0; i < 256; ++i) {
        rgb[3 * size_t(i)] = uint8_t(i);
        rgb[3 * size_t(i) + 1] = uint8_t(255 - i);
        rgb[3 * size_t(i) + 2] = 7;
    }
    desc.palette = rgb;
    const uint32_t withPalette = AddPart(desc);
    desc.palette.reset();
    const uint32_t plain = AddPart(desc);
    Open();

    OActivityProp* prop = Place(withPalette, 50, 60, 0);
    EXPECT_EQ(prop->GetSize(), CPoint16(6, 4));
    EXPECT_EQ(prop->GetPosition(), CPointF(53, 58)); // moved by the hot spot
    ASSERT_NE(prop->GetPalette(), nullptr);
    EXPECT_EQ(prop->GetPalette()->GetEntry(10), ColorWord(10, 245, 7));
    EXPECT_TRUE(prop->GetPalette()->Has16BitTable());
    // The same part again changes nothing; another one drops the palette.
    EXPECT_EQ(prop->SetPartID(file_->get(), withPalette, 0), 0);
    EXPECT_EQ(prop->GetPosition(), CPointF(53, 58));
    EXPECT_EQ(prop->SetPartID(file_->get(), plain, 1), 1);
    EXPECT_EQ(prop->GetPalette(), nullptr);
    EXPECT_EQ(prop->GetPosition(), CPointF(53, 58)); // kept in place

    OActivityProp empty;
    EXPECT_EQ(empty.GetHotSpot(), CPointF());
    EXPECT_NE(traced().find("No animation set pointer\n"), std::string::npos);
    EXPECT_EQ(empty.SetPartID(file_->get(), MakeChunkId(parts_.PartIndex(), 77), 0), 0);
}

TEST_F(ActivityPropTest, LoadLaterWaitsForLoadNow) {
    const uint32_t part = OnlyPart({{.frames = {Frame(6, 4, 9)}}});
    OActivityProp prop;
    EXPECT_EQ(prop.LoadNow(), 0);
    EXPECT_NE(traced().find("ERROR: LoadNow use on a non-LoadLater ActivityProp !\n"), std::string::npos);
    prop.SetLoadLater(1);
    EXPECT_EQ(prop.SetPartID(file_->get(), part, 0), 0);
    EXPECT_EQ(prop.GetAnimSet(), nullptr);
    EXPECT_EQ(prop.LoadNow(), 1);
    EXPECT_NE(prop.GetAnimSet(), nullptr);
    EXPECT_EQ(prop.LoadNow(), 0); // loaded already
}

TEST_F(ActivityPropTest, StateChangesKeepTheHotSpotInPlace) {
    const uint32_t part =
        OnlyPart({{.frames = {Frame(6, 4, 9)}}, {.frames = {Frame(8, 2, 9, 4, -2)}}, {.frames = {Frame(2, 2, 9)}}});
    OActivityProp* prop = Place(part, 100, 100);
    prop->SetState(1);
    EXPECT_EQ(prop->GetPosition(), CPointF(104, 98));
    EXPECT_EQ(prop->GetSize(), CPoint16(8, 2));
    prop->SetState(99);
    EXPECT_EQ(prop->GetState(), 2);
    EXPECT_EQ(prop->GetPosition(), CPointF(100, 100));
    prop->SetState(-5);
    EXPECT_EQ(prop->GetState(), 0);
    EXPECT_TRUE(prop->ChangeState(1));
    EXPECT_FALSE(prop->ChangeState(1));
    EXPECT_FALSE(prop->ChangeState(3));

    prop->SetScale(2.0f, 3.0f);
    prop->SetState(0);
    EXPECT_EQ(prop->GetSize(), CPoint16(18, 8));
    EXPECT_EQ(prop->GetBaseSize(), CPoint16(6, 4));
}

TEST_F(ActivityPropTest, UpdateStepsFramesAndReportsEndsOfRuns) {
    const uint32_t part = OnlyPart({{.frames = {Frame(4, 4, 9), Frame(6, 4, 9, 1, 0)}}, {.frames = {Frame(2, 2, 9)}}});
    auto* prop = Place<CountingProp>(part, 100, 100);
    clock().Advance(117); // into frame 1 (6 units each)
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 1);
    EXPECT_EQ(prop->GetWidth(), 6);
    EXPECT_EQ(prop->GetPosition(), CPointF(101, 100)); // the hot spot moved by one
    clock().Advance(150);
    prop->QueueNextState(1);
    prop->OnIdle(); // the end of the run: the queued state comes next
    EXPECT_EQ(prop->ends, 1);
    EXPECT_EQ(prop->GetState(), 1);
    EXPECT_EQ(prop->GetWidth(), 2);

    prop->SetStateAndHold(0);
    prop->ends = 0;
    clock().Advance(1000);
    prop->OnIdle();
    prop->OnIdle();
    prop->OnIdle();
    EXPECT_EQ(prop->ends, 1); // a held end is reported once
    EXPECT_EQ(prop->GetState(), 0);

    // Dragging stops the animation, dropping starts it again.
    prop->SetState(0);
    EXPECT_EQ(prop->BeginDrag(), 1);
    clock().Advance(150);
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 0);
    EXPECT_EQ(prop->EndDrag(), 1);
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 1);
}

TEST_F(ActivityPropTest, ManualStepMovesOnlyOnCommandAndSuspendedTimeNotAtAll) {
    const uint32_t part = OnlyPart({{.frames = {Frame(4, 4, 9), Frame(4, 4, 9), Frame(4, 4, 9)}}});
    OActivityProp* prop = Place(part, 100, 100);
    prop->SetAnimFlag(1);
    clock().Advance(1000);
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 0);
    prop->SetManualCommand(OActivityProp::kManualStep);
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 1);
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 1);
    prop->SetManualCommand(OActivityProp::kManualGoTo, 2);
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 2);
    EXPECT_EQ(prop->IsManualStep(), 1);
    prop->SetManualCommand(OActivityProp::kManualGoToAndLeave, 0);
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 0);
    EXPECT_EQ(prop->IsManualStep(), 0);

    // Suspended time does not move the frames.
    prop->SetState(0);
    clock().Advance(50);
    prop->Suspend(1);
    clock().Advance(2000);
    prop->OnIdle();
    prop->Resume(1);
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 0);
    clock().Advance(67); // 117 ms of running: 7 units
    prop->OnIdle();
    EXPECT_EQ(prop->GetCurrentFrame(), 1);
}

class ActivityPropSoundTest : public ActivityPropTest {
protected:
    void SetUp() override {
        ActivityPropTest::SetUp();
        ASSERT_EQ(xSound_Startup(8, 0, 0), 0);
        app_ = std::make_unique<SoundApp>(); // its pipes take the started channels
    }
    OActivityProp* Sounding(float x, float y) {
        PartPlan desc;
        desc.states = {{.frames = {Frame(10, 10, 9)}, .soundId = parts_.AddSnippet()}};
        const uint32_t part = AddPart(desc);
        Open();
        OActivityProp* prop = Place(part, x, y);
        prop->SetSoundLoop(1);
        prop->OnIdle(); // starts the looping sound
        channel_ = prop->GetCurrentStateObject()->soundChannel;
        EXPECT_TRUE(xSound_IsPlaying(channel_));
        return prop;
    }
    std::unique_ptr<SoundApp> app_;
    SoundChannel* channel_ = nullptr;
};

TEST_F(ActivityPropSoundTest, VolumeFollowsDistanceAndComesBack) {
    OActivityProp* prop = Sounding(320 + 150, 240);
    prop->SetSoundRange(100);
    prop->OnIdle();
    EXPECT_EQ(channel_->volume, 127);
    prop->SetPosition(CPointF(320, 240 + 150), 0, 0); // vertical distance counts 4/3
    prop->OnIdle();
    EXPECT_EQ(channel_->volume, 0);
    prop->SetPosition(CPointF(320 + 60, 240), 0, 0); // back within range: full volume
    prop->OnIdle();
    EXPECT_EQ(channel_->volume, 255);
    xSound_SetVolume(channel_, 300); // within range the prop leaves the volume alone
    prop->OnIdle();
    EXPECT_EQ(channel_->volume, 300);
}

TEST_F(ActivityPropSoundTest, BalanceFollowsTheSide) {
    OActivityProp* prop = Sounding(320 + 160, 240);
    prop->SetSoundPan(1);
    prop->OnIdle();
    EXPECT_EQ(channel_->left, 127);
    EXPECT_EQ(channel_->right, 255);
    prop->SetPosition(CPointF(320 - 240, 240), 0, 0);
    prop->OnIdle();
    EXPECT_EQ(channel_->left, 255);
    EXPECT_EQ(channel_->right, 63);
    EXPECT_EQ(channel_->volume, 511) << "range 1000: no attenuation, the snippet's volume";
}

TEST_F(ActivityPropSoundTest, SoundStopsOffStageAndStartsAgainOnIt) {
    OActivityProp* prop = Sounding(100, 100);
    prop->SetPosition(CPointF(1000, 100), 0, 0);
    prop->OnIdle();
    EXPECT_FALSE(xSound_IsPlaying(channel_));
    prop->OnIdle(); // off stage: not started again
    EXPECT_FALSE(xSound_IsPlaying(channel_));
    prop->SetPosition(CPointF(100, 100), 0, 0);
    prop->OnIdle();
    EXPECT_TRUE(xSound_IsPlaying(prop->GetCurrentStateObject()->soundChannel));
    prop->SetVisible(0, 0);
    prop->OnIdle();
    EXPECT_FALSE(xSound_IsPlaying(prop->GetCurrentStateObject()->soundChannel));
}

TEST_F(ActivityPropTest, OnScreenAgainstTheStageOrigin) {
    const uint32_t part = OnlyPart({{.frames = {Frame(10, 10, 9)}}});
    OActivityProp* prop = Place(part, 5, 5);
    EXPECT_TRUE(prop->IsOnScreen());
    prop->SetPosition(CPointF(-6, 5), 0, 0); // right edge at -1
    EXPECT_FALSE(prop->IsOnScreen());
    prop->SetPosition(CPointF(-5, 5), 0, 0); // right edge at 0
    EXPECT_TRUE(prop->IsOnScreen());
    // The activity scrolled 100 to the right: the stage shows x 100 to 740.
    stage_.ScrollTo(CPointF(100, 0), 0);
    EXPECT_FALSE(prop->IsOnScreen());
    prop->SetPosition(CPointF(735, 5), 0, 0);
    EXPECT_TRUE(prop->IsOnScreen());
    stage_.ScrollTo(CPointF(0, 0), 0);
    // Turned by other than quarter turns, a prop counts as the point (0, 0) wherever it is.
    prop->SetRotation(45);
    EXPECT_TRUE(prop->IsOnScreen());
    stage_.ScrollTo(CPointF(1, 0), 0);
    EXPECT_FALSE(prop->IsOnScreen());
    xActivity_SetCurrentView(nullptr);
    EXPECT_FALSE(prop->IsOnScreen());
}

TEST_F(ActivityPropTest, PixelHitTestsSeeTheHoles) {
    const uint32_t part = OnlyPart({{.frames = {Frame(6, 4, 9, 0, 0, {{1, 1}, {4, 0}, {4, 1}, {4, 2}, {4, 3}})}}});
    OActivityProp* prop = Place(part, 100, 100); // box 97..103 x 98..102
    auto hits = [&](int16_t x, int16_t y) { return prop->HitTestPoint(CPoint16(x, y)) == prop; };
    prop->SetCursorMode(OView::kHitSelf);
    EXPECT_TRUE(!hits(98, 99) && hits(97, 98) && !hits(103, 98)) << "the hole, a pixel, outside";
    prop->SetCursorMode(OView::kHitChildrenThenSelf);
    EXPECT_TRUE(!hits(98, 99) && hits(99, 99));
    prop->SetPixelHit(0);
    EXPECT_EQ(prop->HitTestPoint(CPoint16(98, 99)), prop);
    stage_.SetCursorMode(OView::kHitNever); // the activity's mode 0 lets no prop be hit
    EXPECT_EQ(prop->HitTestPoint(CPoint16(98, 99)), nullptr);
    stage_.SetCursorMode(OView::kHitChildrenOnly);
    prop->SetPixelHit(1);

    // Scaled by 2 the hole covers four pixels; mirrored, it sits on the other side.
    prop->SetScale(2.0f, 2.0f); // box 94..106 x 96..104
    EXPECT_TRUE(!hits(96, 98) && !hits(97, 99) && hits(98, 99));
    prop->SetScale(1.0f, 1.0f);
    prop->GetAnimSet()->SetMirrored(1); // the hole at column 4, the clear column at 1
    EXPECT_TRUE(hits(97, 99) && !hits(101, 99));
    prop->GetAnimSet()->SetMirrored(0);

    // The transparent column: a rectangle on it hits nothing, one beside it the frame.
    EXPECT_FALSE(prop->HitTestRect(CRect16(101, 90, 102, 110)));
    EXPECT_TRUE(prop->HitTestRect(CRect16(101, 90, 103, 110)));

    // Segments: down the transparent column, and across the frame.
    const CPoint16 down[2] = {CPoint16(101, 90), CPoint16(101, 110)};
    const CPoint16 across[2] = {CPoint16(90, 100), CPoint16(110, 100)};
    uint8_t outside = 0;
    EXPECT_FALSE(prop->IntersectsSegment16(down, 0, &outside));
    EXPECT_EQ(outside, 1);
    EXPECT_TRUE(prop->IntersectsSegment16(across, 0, nullptr));
    prop->SetPixelHit(0);
    EXPECT_TRUE(prop->IntersectsSegment16(down, 0, nullptr));
}

TEST_F(ActivityPropTest, PropsOverlapByTheirPixels) {
    PartPlan left;
    left.states = {{.frames = {Frame(4, 4, 9, 0, 0, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3}})}}};
    PartPlan right;
    right.states = {{.frames = {Frame(4, 4, 9, 0, 0, {{2, 0}, {2, 1}, {2, 2}, {2, 3}, {3, 0}, {3, 1}, {3, 2}, {3, 3}})}}};
    const uint32_t a = AddPart(left);  // drawn in columns 2-3
    const uint32_t b = AddPart(right); // drawn in columns 0-1
    Open();
    OActivityProp* pa = Place(a, 10, 10); // box 8..12
    OActivityProp* pb = Place(b, 14, 10); // box 12..16: touching, no common pixel
    EXPECT_FALSE(pa->IntersectsView(pb));
    pb->SetPosition(CPointF(13, 10), 0, 0); // box 11..15: drawn 11-12 over pa's 10-11
    EXPECT_TRUE(pa->IntersectsView(pb));
    pb->SetPosition(CPointF(12, 10), 0, 0); // box 10..14: drawn 10-11 meets pa's 10-11
    EXPECT_TRUE(pa->OverlapsProp(pb, nullptr));
    pb->SetPosition(CPointF(9, 10), 0, 0); // box 7..11: drawn 7-8, pa drawn 10-11
    EXPECT_FALSE(pa->IntersectsView(pb));
    pa->SetPixelHit(0); // pa's whole box against pb's pixels
    EXPECT_TRUE(pa->IntersectsView(pb));
    pb->SetPixelHit(0);
    EXPECT_TRUE(pa->IntersectsView(pb));
}

TEST_F(ActivityPropTest, SegmentsCrossingAndTouching) {
    const int16_t a[4] = {0, 0, 10, 10};
    const int16_t crossing[4] = {0, 10, 10, 0};
    const int16_t parallel[4] = {0, 1, 10, 11};
    const int16_t touching[4] = {10, 10, 20, 0};
    const int16_t apart[4] = {11, 11, 20, 20};
    EXPECT_TRUE(SegmentsIntersect(a, crossing));
    EXPECT_FALSE(SegmentsIntersect(a, parallel));
    EXPECT_TRUE(SegmentsIntersect(a, touching));
    EXPECT_FALSE(SegmentsIntersect(a, apart));
}

TEST_F(ActivityPropTest, PropertiesOfTheFamily) {
    const uint32_t part = OnlyPart({{.frames = {Frame(4, 4, 9)}}});
    OActivityProp* prop = Place(part, 10, 10);
    alignas(OPropertyMsg) uint8_t buffer[OPropertyMsg::kHeaderSize + 4] = {};
    auto* msg = reinterpret_cast<OPropertyMsg*>(buffer);
    msg->family = OActivityProp::kClassId;
    msg->size = 4;
    auto set = [&](uint32_t id, auto value) {
        msg->id = id;
        msg->Put(0, value);
        return prop->HandleProperty(msg, 1);
    };
    EXPECT_TRUE(set(OActivityProp::kPropDrawMode, uint32_t(3)));
    EXPECT_EQ(prop->GetCurrentStateObject()->drawMode, 3u);
    EXPECT_TRUE(set(OActivityProp::kPropBlendLevel, uint16_t(40)));
    EXPECT_EQ(prop->GetCurrentStateObject()->blendLevel, 40);
    EXPECT_TRUE(set(9, uint32_t(0xFFFFFFFF))); // taken and ignored
    EXPECT_EQ(prop->GetDrawMode(), 3u);

    msg->id = OActivityProp::kPropDrawMode; // filled in
    msg->Put(0, uint32_t(0));
    EXPECT_TRUE(prop->HandleProperty(msg, 0));
    uint32_t mode = 0;
    msg->Get(0, mode);
    EXPECT_EQ(mode, 3u);
}

} // namespace
} // namespace vqt::test
