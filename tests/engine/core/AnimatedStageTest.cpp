// A stage of animated props run frame by frame through the run loop: the root view draws the
// activity and its props into a 16-bit memory surface after every frame's idle walk; the last
// of 120 frames is compared with a golden picture.
#include <memory>

#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/CurrentActivity.h"
#include "engine/core/DirtyRects.h"
#include "engine/core/Platform.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/ColorPalette.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/State.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/PartBuilder.h"
#include "tests/support/Png.h"

namespace vqt::test {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

/// The stage's root: after its children's idle time it draws them into its surface.
class StageRoot : public OView {
public:
    StageRoot() : OView("Stage", OView::kClassId) {
        SetSize(CPoint16(kWidth, kHeight), 0);
        SetPosition(CPointF(kWidth / 2, kHeight / 2), 0, 0);
        surface.Create(kWidth, kHeight, 16);
    }
    int32_t OnIdle() override {
        uint16_t* p = reinterpret_cast<uint16_t*>(surface.Lock());
        for (int i = 0; i < kWidth * kHeight; ++i) p[i] = PackColor555(ColorWord(40, 60, 90));
        surface.Unlock();
        const CClipRect all(0, 0, kWidth, kHeight);
        Draw(&surface, CPoint16(0, 0), all, all);
        ++frames;
        return 1;
    }
    CPixelSurface surface;
    int frames = 0;
};

/// The activity: the size of the stage, without a background of its own.
class Activity : public OActivity {
public:
    Activity() : OActivity("Activity", OActivity::kClassId) {
        SetSize(CPoint16(kWidth, kHeight), 0);
        SetPosition(CPointF(kWidth / 2, kHeight / 2), 0, 0);
    }
};

/// A prop that walks right two pixels a frame and turns round at the edges.
class Walker : public OActivityProp {
public:
    int32_t OnIdle() override {
        const float step = GetAnimSet()->IsMirrored() ? -2.0f : 2.0f;
        MoveBy(step, 0, 1, 1);
        if (GetPosition().x > kWidth - 30 || GetPosition().x < 30) GetAnimSet()->SetMirrored(!GetAnimSet()->IsMirrored());
        return OActivityProp::OnIdle();
    }
};

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

class AnimatedStageTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xProfiles_Store().ResetForTest();
        xProfiles_Set("FULLSCREEN", sLong(0));
        CPlatformState::ResetForTest();
        CDirtyRects::ResetForTest();
        xGraphics_Context().ResetForTest();
        xPlatform_SetEngineExists(true);
        xPlatform_StartTimers();
    }
    void TearDown() override {
        xActivity_SetCurrentView(nullptr);
        xPlatform_SetMainWindow(nullptr, 0, nullptr);
        root_.reset();
        CPlatformState::ResetForTest();
        CDirtyRects::ResetForTest();
        xProfiles_Store().ResetForTest();
        xGraphics_Context().ResetForTest();
        HeadlessTest::TearDown();
    }

    ChunkFileBuilder image_;
    std::unique_ptr<OpenedPartFile> file_;
    std::unique_ptr<StageRoot> root_;
};

TEST_F(AnimatedStageTest, PropsAnimateForTwoSeconds) {
    PartBuilder parts(image_);
    PartSpec wheel; // one looping state of six frames
    StateSpec spin;
    for (int f = 0; f < 6; ++f) {
        FrameSpec frame;
        frame.picture = Rings(40, f, 20);
        frame.duration = 5;
        spin.frames.push_back(frame);
    }
    wheel.states = {spin};
    PartSpec arrow; // a held state that grows, then a looping one; the hot spot at the tip
    StateSpec grow;
    for (int f = 0; f < 6; ++f) {
        FrameSpec frame;
        frame.picture = Arrow(f);
        frame.hotX = int16_t(f);
        frame.duration = 8;
        grow.frames.push_back(frame);
    }
    StateSpec blink;
    for (int f = 0; f < 2; ++f) {
        FrameSpec frame;
        frame.picture = Arrow(5 - 5 * f);
        frame.duration = 10;
        blink.frames.push_back(frame);
    }
    arrow.states = {grow, blink};
    const uint32_t wheelId = parts.AddPart(wheel).part;
    const uint32_t arrowId = parts.AddPart(arrow).part;
    file_ = std::make_unique<OpenedPartFile>(image_, true);

    root_ = std::make_unique<StageRoot>();
    auto* activity = new Activity;
    root_->AddChild(activity);
    xPlatform_SetMainWindow(root_.get(), 1, nullptr);
    xActivity_SetCurrentView(activity);

    auto place = [&](OActivityProp* prop, uint32_t part, float x, float y) {
        activity->AddChild(prop);
        prop->SetPosition(CPointF(x, y), 0, 0);
        EXPECT_EQ(prop->SetPartID(file_->get(), part, 1), 1);
        return prop;
    };
    place(new OActivityProp, wheelId, 60, 60);
    OActivityProp* big = place(new OActivityProp, wheelId, 250, 80);
    big->SetScale(2.0f, 1.5f);
    big->SetState(0);
    OActivityProp* small = place(new OActivityProp, wheelId, 60, 180);
    small->SetScale(0.5f, 0.5f);
    small->SetState(0);
    OActivityProp* pointer = place(new OActivityProp, arrowId, 150, 150);
    pointer->SetStateAndHold(0);
    pointer->QueueNextState(1);
    OActivityProp* turned = place(new OActivityProp, arrowId, 250, 200);
    turned->GetAnimSet()->GetState(0)->SetRotation(90);
    turned->SetState(0);
    OActivityProp* walker = place(new Walker, arrowId, 100, 110);
    walker->SetPriority(1); // drawn over the others

    for (int frame = 0; frame < 120; ++frame) {
        clock().Advance(frame % 3 == 2 ? 16 : 17);
        FrameTick(0);
    }
    EXPECT_EQ(root_->frames, 120);
    EXPECT_EQ(pointer->GetState(), 1); // the held run ended and the queued state came next

    RgbImage picture{kWidth, kHeight, std::vector<uint8_t>(size_t(kWidth) * kHeight * 3)};
    const uint16_t* p = reinterpret_cast<const uint16_t*>(root_->surface.Lock());
    for (int i = 0; i < kWidth * kHeight; ++i) {
        picture.rgb[size_t(i) * 3] = uint8_t(((p[i] >> 10) & 31) << 3);
        picture.rgb[size_t(i) * 3 + 1] = uint8_t(((p[i] >> 5) & 31) << 3);
        picture.rgb[size_t(i) * 3 + 2] = uint8_t((p[i] & 31) << 3);
    }
    root_->surface.Unlock();
    ExpectMatchesGoldenImage("animation/stage_frame_120.png", picture);
}

} // namespace
} // namespace vqt::test
