#pragma once
// The arcade base on the virtual clock without the activity manager: the game object over a
// small part file (the six vehicles' art, the token and an 8 x 8 scenery part), the player's
// chosen vehicle, and a probe arcade that counts its shots and hit tests over a background of
// a width the test gives.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Sound.h"
#include "game/minigames/arcade/ArcadeActivity.h"
#include "game/minigames/arcade/ArcadeBGItem.h"
#include "game/minigames/arcade/ArcadeGame.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/minigames/arcade/PArcadeParticle.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/SoundFixture.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/SnippetBuilder.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {

constexpr uint16_t kItemPart = 3700;
constexpr int16_t kItemSize = 8;
/// A shot's part: flying, then landing.
constexpr uint16_t kShotPart = 3701;
/// The circus arcade's kind box: idle, start and three states for each of four kinds.
constexpr uint16_t kKindBoxPart = 477;
/// The zoo's monkey: its twelve frames in as many states.
constexpr uint16_t kMonkeyPart = 602;

/// An arcade that counts what its hooks are asked; its shots restart the fire clock.
class ProbeArcade : public Arcade_Activity {
public:
    explicit ProbeArcade(float backgroundWidth) : Arcade_Activity("Probe_Arcade", 420), width(backgroundWidth) {
        SetScrollLimits(CPointF(0.0f, 0.0f), CPointF(width - float(GetStageWidth()), 0.0f));
    }
    CPointF GetBackgroundSize() override { return CPointF(width, 480.0f); }
    void Shoot() override {
        ++shots;
        FireClock().Start(int32_t(GetFireInterval()));
    }
    bool TestParticleHit(PArcadeParticle*) override { return ++hitTests, hit; }

    float width;
    int shots = 0;
    int hitTests = 0;
    bool hit = false;
};

class ArcadeFixture : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ASSERT_EQ(parts_.PartIndex(), 2);
        // The null sound device and a main window, so that the game has sound and message
        // processes to speak and play through.
        if (withProcesses_) {
            ASSERT_EQ(xSound_Startup(11, 0, 0), 0);
            ASSERT_TRUE(OVQEngine::Startup());
            auto window = std::make_unique<OWindow>();
            window->SetDepth(16);
            window->SetDisplaySurface(new CDIBSurface);
            ASSERT_TRUE(window->Create(CRect16(0, 0, 640, 480), false, 0));
            OVQEngine::Instance()->SetMainWindow(std::move(window));
        }
        PartPlan square;
        const FramePlan frame{.picture = Picture(kItemSize, kItemSize, 3), .hotX = 4, .hotY = 4};
        square.states.push_back(StatePlan{.frames = {frame, frame}});
        for (uint16_t entry : {284, 492, 495, 496, 493, 494, 826, int(kItemPart)}) parts_.AddPart(square, entry);
        if (bareParts_) {
            // Only the vehicles, the token and the scenery: every other art is missing.
            WritePartFile();
            return;
        }
        // The zoo's spotlights and the five pieces of clothing.
        for (uint16_t entry : {623, 223, 502, 504, 505, 506, 507}) parts_.AddPart(square, entry);
        // The city vehicles' overlays.
        for (uint16_t entry : {1142, 1143}) parts_.AddPart(square, entry);
        square.states.push_back(square.states.front());
        parts_.AddPart(square, kShotPart);
        // The city's canisters.
        for (uint16_t entry : {675, 676}) parts_.AddPart(square, entry);
        while (square.states.size() < 14) square.states.push_back(square.states.front());
        parts_.AddPart(square, kKindBoxPart);
        parts_.AddPart(square, kMonkeyPart);
        // The city's crooks, whose six frames are states too.
        for (uint16_t entry : {740, 741}) parts_.AddPart(square, entry);
        if (withProcesses_) {
            // The voices the test names, a second each, where the game's lines look for them.
            const uint8_t voiceIndex = image_.AddIndex("snip", 8);
            ASSERT_EQ(voiceIndex, 7);
            SnipPlan voice;
            voice.bits = 16;
            voice.sound = Pcm16(SineTone(300, 22050));
            for (const uint16_t entry : voices_)
                image_.AddChunk(voiceIndex, SnipData(voice), ChunkPlan{.entry = entry, .property = SnipProperty(voice)});
        }
        WritePartFile();
    }
    /// The part file as built so far, opened as the game's.
    void WritePartFile() {
        const std::string path = folder_ / "arcade.vqk";
        ASSERT_TRUE(image_.WriteFile(path));
        ASSERT_TRUE(CTLVApp::Create());
        auto file = std::make_unique<CPartFile>();
        ASSERT_TRUE(file->Open(path.c_str(), 1));
        CTLVApp::Get()->SetPartFile(std::move(file));
        CTLVApp::Get()->Init();
        ASSERT_NE(CTLVApp::Get()->GetPlayer(), nullptr);
    }
    void TearDown() override {
        arcade_.reset();
        CTLVApp::Destroy();
        if (withProcesses_) OVQEngine::Shutdown();
        HeadlessTest::TearDown();
    }
    /// A started arcade over a background `width` wide with the player in `vehicle`.
    ProbeArcade* Start(float width = 4000.0f, uint16_t vehicle = 0) {
        CTLVApp::Get()->GetPlayer()->SetSelectedVehicle(vehicle);
        arcade_ = std::make_unique<ProbeArcade>(width);
        arcade_->OnActivated();
        return arcade_.get();
    }
    /// A scenery item of the group at (x, y), filed as the activity data would.
    Arcade_BG_Item* AddItem(int16_t group, float x, float y = 200.0f) {
        auto* item = new Arcade_BG_Item;
        EXPECT_EQ(item->SetPartID(CTLVApp::Get()->GetPartFile(), MakeChunkId(parts_.PartIndex(), kItemPart), 1), 1);
        item->SetGroup(group);
        item->SetPosition(CPointF(x, y), 0, 1);
        if (arcade_->AcceptObject(item)) arcade_->AddChild(item);
        return item;
    }
    void Frame(uint32_t ms) {
        clock().Advance(ms);
        arcade_->OnIdle();
    }
    static OMessageProcess& Messages() {
        OMessageProcess* messages = CTLVApp::Get()->GetMessageProcess();
        EXPECT_NE(messages, nullptr);
        return *messages;
    }

    /// A spoken line and whether the game queues it behind a line that is still playing.
    struct LineCase {
        int line;
        bool queued;
    };
    static void ExpectLinesQueuedBehindAnother(Arcade_Game& game, const std::vector<LineCase>& cases) {
        for (const LineCase& c : cases) {
            Messages().FlushMessages();
            OMessageRecord* playing = Messages().AllocMessage(1);
            ASSERT_NE(playing, nullptr);
            playing->voice = NewRawSnippet(Bytes(200000, 1));
            ASSERT_EQ(Messages().QueueMessage(playing), 0);
            const int32_t before = Messages().QueueLength();
            ASSERT_GE(before, 1);
            game.SpeakLine(c.line);
            EXPECT_EQ(Messages().QueueLength() - before, c.queued ? 1 : 0) << "line " << c.line;
        }
        Messages().FlushMessages();
    }

    /// Set before SetUp by the tests that hear the game or read its spoken lines.
    bool withProcesses_ = false;
    /// Set before SetUp by the tests of a part file that lacks the games' own art.
    bool bareParts_ = false;
    /// The voice entries the part file holds with the processes.
    std::vector<uint16_t> voices_;
    TempFolder folder_;
    ChunkFileBuilder image_;
    /// Activities come first, so that the parts are index 2 as the game names them.
    uint8_t activityIndex_ = image_.AddIndex("acti", 8);
    PartBuilder parts_{image_};
    std::unique_ptr<ProbeArcade> arcade_;
};

} // namespace vqt::test
