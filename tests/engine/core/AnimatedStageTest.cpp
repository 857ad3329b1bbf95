// A stage of animated props run end to end: an activity chunk whose object records are animated
// props is switched in by the activity manager, its props are made by the engine's factory and
// load their parts from the same part file, the game's activity sets them up when it becomes
// current and moves one of them each frame, and the main window draws and presents every frame
// into the headless window for 120 frames on the virtual clock. The last picture shown is
// compared with a golden picture and with a full redraw of the same stage.
#include <gtest/gtest.h>

#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/ClassFactory.h"
#include "engine/core/CurrentActivity.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "tests/engine/core/StageFixture.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

/// Object ids of the props in the activity data.
enum : uint32_t { kWheel = 1, kBigWheel, kSmallWheel, kPointer, kTurned, kWalker, kStill };

/// Index 0 clear; greys, then the rings' hues from 20 on, the arrow's shaft (12) and head (180),
/// and the background's sky and ground bands from 200 on.
std::vector<uint32_t> StageColours() {
    std::vector<uint32_t> colours(256, 0);
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); };
    for (uint32_t i = 1; i < 256; ++i) colours[i] = rgb(i, i, i);
    for (uint32_t i = 20; i < 60; ++i) colours[i] = rgb(255 - (i - 20) * 6, 60 + (i - 20) * 4, 40 + (i - 20) * 5);
    colours[12] = rgb(240, 210, 40);
    colours[180] = rgb(200, 30, 30);
    for (uint32_t i = 0; i < 16; ++i) colours[200 + i] = rgb(40 + i * 6, 70 + i * 8, 140 + i * 6);  // sky
    for (uint32_t i = 0; i < 8; ++i) colours[220 + i] = rgb(50 + i * 10, 110 + i * 8, 40 + i * 4); // ground
    return colours;
}

/// The stage's background: sky bands over a strip of ground.
IndexedPicture Backdrop() {
    IndexedPicture p{kWidth, kHeight, std::vector<uint8_t>(size_t(kWidth) * kHeight), StageColours()};
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t band = y < 380 ? uint8_t(200 + y / 24) : uint8_t(220 + (y - 380) / 13);
        for (int x = 0; x < kWidth; ++x) p.pixels[size_t(y) * kWidth + size_t(x)] = band;
    }
    return p;
}

/// Rings around the centre, their colours shifted by the frame number.
Picture Rings(int size, int frame, uint8_t first) {
    Picture p(size, size);
    const int c = size / 2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int d2 = (x - c) * (x - c) + (y - c) * (y - c);
            if (d2 >= c * c) continue; // outside the disc: clear
            p.at(x, y) = uint8_t(first + ((d2 / (size * 2) + frame) % 6) * 7);
        }
    }
    return p;
}

/// An arrow pointing right, its tail growing with the frame number.
Picture Arrow(int frame) {
    Picture p(24, 12);
    for (int x = 0; x < 12 + 2 * frame; ++x)
        for (int y = 4; y < 8 && x < 24; ++y) p.at(x, y) = 12;
    for (int x = 16; x < 24; ++x)
        for (int y = x - 16; y < 12 - (x - 16); ++y) p.at(x, y) = 180;
    return p;
}

/// The game's activity (class 300): when it becomes current it scales, turns and holds its
/// props as its script would; each frame it walks one prop two pixels and turns it round near
/// the edges of the stage.
class PropStage : public OActivity {
public:
    PropStage() : OActivity("PropStage", 300) {}

    OActivityProp* Prop(uint32_t objectId) {
        for (int32_t i = 0; i < ChildCount(); ++i) {
            auto* child = static_cast<OObject*>(ChildAt(i));
            if (child->GetObjectId() == objectId && child->IsA(OActivityProp::kClassId))
                return static_cast<OActivityProp*>(child);
        }
        return nullptr;
    }
    int32_t OnActivated() override {
        ++activations;
        if (OActivityProp* big = Prop(kBigWheel)) {
            big->SetScale(2.0f, 1.5f);
            big->SetState(0);
        }
        if (OActivityProp* small = Prop(kSmallWheel)) {
            small->SetScale(0.5f, 0.5f);
            small->SetState(0);
        }
        if (OActivityProp* pointer = Prop(kPointer)) {
            pointer->SetStateAndHold(0);
            pointer->QueueNextState(1);
        }
        if (OActivityProp* turned = Prop(kTurned); turned && turned->GetAnimSet()) {
            turned->GetAnimSet()->GetState(0)->SetRotation(90);
            turned->SetState(0);
        }
        if (OActivityProp* walker = Prop(kWalker)) walker->SetPriority(1); // drawn over the others
        return 1;
    }
    int32_t OnIdle() override {
        OActivityProp* walker = Prop(kWalker);
        if (walker && walker->GetAnimSet()) {
            CPart* part = walker->GetAnimSet();
            walker->MoveBy(part->IsMirrored() ? -2.0f : 2.0f, 0, 1, 1);
            const float x = walker->GetPosition().x;
            if (x > kWidth - 30 || x < 30) part->SetMirrored(!part->IsMirrored());
            ++walks;
        }
        return OActivity::OnIdle();
    }
    int activations = 0;
    int walks = 0;
};

/// Makes the stage activity; its props are the engine's factory's to make.
class PropStageFactory : public CFactory {
public:
    OActivity* CreateActivity(uint32_t id) override { return id == 300 ? new PropStage : nullptr; }
    OView* CreateActivityProp(uint32_t) override { return nullptr; }
    int32_t Reset() override { return 0; }
    bool IsSupported(uint32_t id) override { return id == 300; }
};

class AnimatedStageTest : public StageTest {
protected:
    /// Index 1 "actv" with the stage {1, 0, 26}; 2 "fram" its backdrop; 3 "cpal" its palette;
    /// then the parts: a wheel (one looping state of six frames), an arrow (a state that grows,
    /// its hot spot at the tip, then a blinking one) and a still ring (one frame), which is drawn
    /// only in the switch's full redraws and so shows whether they drew with the stage's palette.
    void WriteStage() {
        ChunkFileBuilder b;
        const uint8_t actv = b.AddIndex("actv", 8, 30);
        const uint8_t fram = b.AddIndex("fram", 8, 2);
        const uint8_t cpal = b.AddIndex("cpal", 8, 2);
        const uint32_t backdrop = b.AddChunk(fram, BmpFile(Backdrop()), {.entry = 1, .property = FrameProperty(1)});
        const uint32_t palette = b.AddChunk(cpal, PaletteData(StageColours()), {.entry = 1});

        PartBuilder parts(b);
        PartPlan wheel;
        StatePlan spin;
        for (int f = 0; f < 6; ++f) spin.frames.push_back({.picture = Rings(40, f, 20), .duration = 5});
        wheel.states = {spin};
        PartPlan arrow;
        StatePlan grow;
        for (int f = 0; f < 6; ++f) grow.frames.push_back({.picture = Arrow(f), .hotX = int16_t(f), .duration = 8});
        StatePlan blink;
        for (int f = 0; f < 2; ++f) blink.frames.push_back({.picture = Arrow(5 - 5 * f), .duration = 10});
        arrow.states = {grow, blink};
        wheelId = parts.AddPart(wheel).part;
        arrowId = parts.AddPart(arrow).part;
        PartPlan still;
        StatePlan one;
        one.frames.push_back({.picture = Rings(40, 0, 20), .duration = 5});
        still.states = {one};
        stillId = parts.AddPart(still).part;

        auto prop = [](uint32_t objectId, uint32_t partId, int16_t x, int16_t y) {
            ObjectPlan object{.classId = OActivityProp::kClassId, .objectId = objectId, .partId = partId};
            object.properties.Pair(OView::kClassId, OView::kPropPosition, x, y);
            return object;
        };
        ObjectPlan pointer = prop(kPointer, arrowId, 300, 300);
        pointer.properties.Byte(OActivityProp::kClassId, OActivityProp::kPropLoadAllStates, 1);
        ActivityPlan desc{.classId = 300, .backgroundId = backdrop, .paletteId = palette};
        desc.properties.Pair(OView::kClassId, OView::kPropPosition, kWidth / 2, kHeight / 2);
        desc.objects = {prop(kWheel, wheelId, 120, 120),      prop(kBigWheel, wheelId, 500, 160),
                        prop(kSmallWheel, wheelId, 120, 360), pointer,
                        prop(kTurned, arrowId, 500, 400),     prop(kWalker, arrowId, 460, 220),
                        prop(kStill, stillId, 200, 430)};
        b.AddChunk(actv, ActivityData(desc), {.entry = 26, .name = "Animated stage"});
        Open(b);
    }

    uint32_t wheelId = 0;
    uint32_t arrowId = 0;
    uint32_t stillId = 0;
};

TEST_F(AnimatedStageTest, PropsFromActivityDataAnimateForTwoSecondsOnTheMainWindow) {
    WriteStage();
    OActivityManager& manager = Manager(OActivityManager::kUnloadFirst);
    manager.AddFactory(new PropStageFactory);
    manager.RequestActivity(ChunkIdOf(1, 26));

    // The switch takes three frames; the 120 frames count from the request.
    Frames(3, 17);
    ASSERT_FALSE(manager.IsSwitchPending());
    auto* stage = dynamic_cast<PropStage*>(manager.GetCurrentActivity());
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(xActivity_GetCurrentView(), stage);
    EXPECT_EQ(window->GetRootView(), stage);
    EXPECT_EQ(stage->activations, 1);
    ASSERT_EQ(stage->ChildCount(), 7);
    const uint32_t parts[] = {0, wheelId, wheelId, wheelId, arrowId, arrowId, arrowId, stillId};
    for (uint32_t id = kWheel; id <= kStill; ++id) {
        OActivityProp* prop = stage->Prop(id);
        ASSERT_NE(prop, nullptr) << id;
        EXPECT_STREQ(prop->GetName(), "OActivityProp"); // the engine's factory made it
        ChunkId part = kNullChunkId;
        prop->GetPartID(&part);
        EXPECT_EQ(part, parts[id]) << id;
        EXPECT_GE(prop->GetState(), 0) << id;
    }
    EXPECT_EQ(stage->Prop(kPointer)->GetLoadAllStates(), 1);

    const uint32_t drawnBefore = window->GetFramesDrawn();
    Frames(117, 17);
    EXPECT_EQ(window->GetFramesDrawn() - drawnBefore, 117u); // something moves in every frame
    EXPECT_EQ(stage->walks, 119); // from the frame of the swap on
    EXPECT_EQ(stage->Prop(kPointer)->GetState(), 1); // the held run ended and the queued state came next
    EXPECT_TRUE(stage->Prop(kWalker)->GetAnimSet()->IsMirrored()); // turned round at the right edge
    EXPECT_EQ(stage->Prop(kBigWheel)->GetWidth(), 60);
    EXPECT_EQ(stage->Prop(kBigWheel)->GetHeight(), 80);
    EXPECT_EQ(stage->Prop(kSmallWheel)->GetWidth(), 20);
    EXPECT_EQ(stage->Prop(kTurned)->GetWidth(), 12); // the quarter turn stands the arrow upright
    EXPECT_EQ(stage->Prop(kTurned)->GetHeight(), 24);

    const RgbImage shown = ToRgb(Shown());
    ExpectMatchesGoldenImage("engine/core/stage_animated_props.png", shown);

    // What the dirty rectangles left on the screen is the stage drawn afresh.
    window->PostFullRedraw();
    window->UpdateScreen();
    EXPECT_EQ(ToRgb(Shown()).rgb, shown.rgb);
}

} // namespace
} // namespace vqt::test
