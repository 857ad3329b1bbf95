// Parts: loading by part id, lazy states, common blocks, colour bands, sound and part values.
#include "engine/graphics/Part.h"

#include <memory>

#include "engine/media/Application.h"
#include "engine/graphics/PartChunks.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/SoundLink.h"
#include "engine/graphics/State.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

/// A state of two 4 x 2 frames: the first row in band 32 (indices 130-133), the second in band
/// 33 (134-137); with `blockRow` the second row of frame 0 is a common-block reference.
StatePlan BandedState(bool blockRow = false) {
    StatePlan s;
    for (int f = 0; f < 2; ++f) {
        FramePlan frame;
        frame.picture = Picture(4, 2);
        for (int x = 0; x < 4; ++x) {
            frame.picture.at(x, 0) = uint8_t(130 + x);
            frame.picture.at(x, 1) = uint8_t(134 + x);
        }
        if (blockRow && f == 0) {
            frame.rawLines[1] = Bytes{0x89, 4, 0}; // block 0, four pixels, the last record
        }
        s.frames.push_back(frame);
    }
    return s;
}

class PartTest : public HeadlessTest {
protected:
    void Build(const PartPlan& desc, bool cache = true) {
        PartBuilder parts(image_);
        built_ = parts.AddPart(desc);
        file_ = std::make_unique<OpenedPartFile>(image_, cache);
    }
    /// Two states, the second with a sound; answers the sound's id.
    uint32_t BuildWithSound() {
        PartBuilder parts(image_);
        PartPlan desc;
        desc.states = {BandedState(), BandedState()};
        desc.states[1].soundId = parts.AddSnippet();
        built_ = parts.AddPart(desc);
        file_ = std::make_unique<OpenedPartFile>(image_, true);
        return desc.states[1].soundId;
    }
    /// The current frame of a part drawn solid into an 8-bit surface, row by row.
    static std::vector<uint8_t> Pixels(CPart& part) {
        CState* state = part.GetCurrentState();
        CPixelSurface surface;
        EXPECT_TRUE(surface.Create(int16_t(state->GetFrameWidth()), int16_t(state->GetFrameHeight()), 8));
        part.SetDrawMode(0);
        part.DrawCurrentFrame(&surface, nullptr, nullptr, 0);
        const uint8_t* p = surface.Lock();
        std::vector<uint8_t> out(p, p + surface.GetWidth() * surface.GetHeight());
        surface.Unlock();
        return out;
    }

    ChunkFileBuilder image_;
    BuiltPart built_;
    std::unique_ptr<OpenedPartFile> file_;
};

TEST_F(PartTest, StatesLoadOnFirstUseUnlessAllAreAsked) {
    PartPlan desc;
    desc.states = {BandedState(), BandedState(), BandedState()};
    Build(desc);
    CPart lazy;
    ASSERT_EQ(lazy.SetPartID(file_->get(), built_.part, 0, 1), 1);
    EXPECT_EQ(lazy.GetStateCount(), 3);
    EXPECT_EQ(lazy.GetCurrentIndex(), 0);
    EXPECT_EQ(lazy.GetStateId(0), built_.states[0]);
    EXPECT_EQ(lazy.GetStateId(1), 0u);
    EXPECT_EQ(lazy.GetStateId(2), 0u);
    lazy.SetState(2);
    EXPECT_EQ(lazy.GetStateId(2), built_.states[2]);
    EXPECT_EQ(lazy.GetStateId(1), 0u);
    EXPECT_EQ(lazy.GetCurrentFrame(), 0);

    CPart eager;
    ASSERT_EQ(eager.SetPartID(file_->get(), built_.part, 1, 0), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(eager.GetStateId(i), built_.states[size_t(i)]);
    ChunkId id = 0;
    eager.GetPartID(&id);
    EXPECT_EQ(id, built_.part);

    CPart missing;
    EXPECT_EQ(missing.SetPartID(file_->get(), MakeChunkId(built_.part & 0xFF, 40), 1, 1), 0);
    EXPECT_EQ(missing.GetStateCount(), 0);
    EXPECT_EQ(missing.GetPartRecord(), nullptr);
}

TEST_F(PartTest, StatesDrawTheirCommonBlocks) {
    PartPlan desc;
    desc.states = {BandedState(true)};
    desc.commonBlocks = {Bytes{0x01, 2, 140, 0x81, 2, 141}}; // 140 140 141 141
    Build(desc);
    CPart part;
    ASSERT_EQ(part.SetPartID(file_->get(), built_.part, 0, 1), 1);
    ASSERT_NE(part.GetCommonBlocks(), nullptr);
    EXPECT_EQ(part.GetCurrentState()->commonBlocks, part.GetCommonBlocks());
    const std::vector<uint8_t> expected = {130, 131, 132, 133, 140, 140, 141, 141};
    EXPECT_EQ(Pixels(part), expected);
}

TEST_F(PartTest, BandsRecolourAPrivateCopyOnce) {
    PartPlan desc;
    desc.recolorA = 1;
    desc.recolorB = 1;
    desc.states = {BandedState(true), BandedState()};
    desc.commonBlocks = {Bytes{0x01, 2, 130, 0x81, 2, 134}};
    Build(desc);
    CPart a;
    CPart b; // shares the cached records
    ASSERT_EQ(a.SetPartID(file_->get(), built_.part, 0, 1), 1);
    ASSERT_EQ(b.SetPartID(file_->get(), built_.part, 0, 1), 1);
    ASSERT_EQ(a.GetPartRecord(), b.GetPartRecord());

    a.SetBandB(0, 3, 0); // band 33 -> band 2 (indices 10-13)
    const uint8_t* recoloured = a.GetCurrentState()->compImage;
    EXPECT_EQ(Pixels(a), (std::vector<uint8_t>{130, 131, 132, 133, 130, 130, 10, 10}));
    a.SetBandB(0, 3, 0); // the same band again: nothing
    EXPECT_EQ(a.GetCurrentState()->compImage, recoloured);
    a.SetBandB(0, 3, 1); // forced: recoloured again, with the same colours
    EXPECT_NE(a.GetCurrentState()->compImage, recoloured);
    EXPECT_EQ(Pixels(a), (std::vector<uint8_t>{130, 131, 132, 133, 130, 130, 10, 10}));
    EXPECT_EQ(a.GetBandB(), 3);

    a.SetBandA(0, 5, 0); // band 32 -> band 4 (18-21), every state
    EXPECT_EQ(Pixels(a), (std::vector<uint8_t>{18, 19, 20, 21, 18, 18, 10, 10}));
    a.SetState(1); // a state shown later takes the same bands
    EXPECT_EQ(Pixels(a), (std::vector<uint8_t>{18, 19, 20, 21, 10, 11, 12, 13}));

    // The other part still shows the stored colours, frames and common blocks alike.
    EXPECT_EQ(Pixels(b), (std::vector<uint8_t>{130, 131, 132, 133, 130, 130, 134, 134}));
    EXPECT_EQ(b.GetBandA(), 0);
}

TEST_F(PartTest, APartWithoutRecolourFlagsIgnoresBands) {
    PartPlan desc;
    desc.states = {BandedState()};
    Build(desc);
    CPart part;
    ASSERT_EQ(part.SetPartID(file_->get(), built_.part, 0, 1), 1);
    const uint8_t* image = part.GetCurrentState()->compImage;
    part.SetBandA(0, 2, 1);
    part.SetBandB(0, 2, 1);
    part.SetBands(0, 2, 3, 1);
    EXPECT_EQ(part.GetBandA(), 0);
    EXPECT_EQ(part.GetBandB(), 0);
    EXPECT_EQ(part.GetCurrentState()->compImage, image);
}

TEST_F(PartTest, StateSoundsPlayOnAFreePipe) {
    ASSERT_EQ(xSound_Startup(8, 0, 0), 0);
    const uint32_t snippet = BuildWithSound();
    struct SoundApp : OApplication {
        OSoundProcess* GetSoundProcess() override { return &sound; }
        OSoundProcess sound{8};
    } app;
    CPart part;
    ASSERT_EQ(part.SetPartID(file_->get(), built_.part, 1, 1), 1);
    EXPECT_EQ(part.GetStateSoundId(1), snippet);
    EXPECT_EQ(part.GetStateSoundId(2), 0u);
    CState* state = part.GetState(1);
    ASSERT_NE(state->snippet, nullptr);

    auto playing = [] {
        int n = 0;
        for (int32_t i = 0; i < 8; ++i) n += xSound_IsPlaying(xSound_GetChannel(i));
        return n;
    };
    part.PlayStateSound(-1, 1);
    part.PlayStateSound(2, 1);
    part.PlayStateSound(0, 1); // no sound of its own
    EXPECT_EQ(playing(), 0);
    part.PlayStateSound(1, 1);
    EXPECT_EQ(playing(), 1);
    EXPECT_EQ(state->soundPipe, 4u); // the first pipe chosen freely
    EXPECT_EQ(state->soundChannel, xSound_GetChannel(4));
    EXPECT_EQ(state->snippet->loopMode, kSnippetLoop);
    EXPECT_TRUE(xSound_IsPlaying(state->soundChannel));

    part.StopStateSound(1);
    const SoundChannel* four = xSound_GetChannel(4);
    EXPECT_FALSE(xSound_IsPlaying(four));
    EXPECT_EQ(four->left, 128);
    EXPECT_EQ(four->right, 128);
    EXPECT_EQ(four->volume, 127);
    EXPECT_EQ(state->soundChannel, nullptr);

    part.UnloadPart();
    EXPECT_EQ(file_->get()->AddChunkRef(snippet), nullptr); // no longer cached
}

TEST_F(PartTest, WithoutTheSoundLinkStateSoundsAreSilent) {
    BuildWithSound();
    xSoundLink_Install(nullptr);
    CPart part;
    ASSERT_EQ(part.SetPartID(file_->get(), built_.part, 1, 1), 1);
    part.PlayStateSound(1, 1);
    EXPECT_EQ(part.GetState(1)->snippet, nullptr);
    EXPECT_EQ(part.GetState(1)->soundChannel, nullptr);
    EXPECT_EQ(xSound_State().snippets, 0) << "nothing loaded";
}

TEST_F(PartTest, PartValuesAreReadSigned) {
    PartPlan desc;
    desc.bytes[0] = 200;
    desc.words[0] = 0xFFFE;
    desc.longs[1] = 0xFFFFFFF0u;
    desc.states = {BandedState()};
    Build(desc, false);
    CPart part;
    EXPECT_EQ(part.GetPartWord(1), 0); // no record yet
    ASSERT_EQ(part.SetPartID(file_->get(), built_.part, 0, 0), 1);
    EXPECT_EQ(part.GetPropSoundValue(), 200);
    EXPECT_EQ(part.GetPartWord(1), -2);
    EXPECT_EQ(part.GetPartOffset(2), -16);
    EXPECT_EQ(part.GetPartByte(3), 0); // no third byte
    part.SetPartWord(2, 1234);
    EXPECT_EQ(part.GetPartWord(2), 1234);
}

} // namespace
} // namespace vqt::test
