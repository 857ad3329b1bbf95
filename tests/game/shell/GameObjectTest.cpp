// The game object on a stage: what its set-up makes and what its end gives back; the skip
// keys.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/View.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/media/MouseProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "tests/engine/core/StageFixture.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/SnippetBuilder.h"

namespace vqt::test {
namespace {

/// The stage with the game object over a part file that holds the game's cursor frames and
/// snippets (index 7 the snippets, 9 the frames), or nothing.
class GameObjectTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        xProfiles_Set("NUMPIPES", sShort(11));
        ASSERT_EQ(xSound_Startup(11, 0, 0), 0);
        snippetsBefore = xSound_State().snippets;
        ASSERT_TRUE(CTLVApp::Create());
        app = CTLVApp::Get();
    }
    void TearDown() override {
        CTLVApp::Destroy();
        StageTest::TearDown();
    }
    void GiveGameData(bool withData) {
        ChunkFileBuilder b;
        for (int i = 1; i <= 9; ++i) b.AddIndex("ix" + std::to_string(i), 8);
        if (withData) {
            Picture frame(32, 32, 3);
            frame.at(1, 1) = 0 | 8;
            for (const ChunkId id : CTLVApp::kCursorFrames) b.AddChunk(9, RawFrameData(frame), {.entry = ChunkEntryOf(id)});
            SnipPlan tone;
            tone.sound = Bytes(4000, 0x90);
            for (const ChunkId id : CTLVApp::kGameSnippets)
                b.AddChunk(7, SnipData(tone), {.entry = ChunkEntryOf(id), .property = SnipProperty(tone)});
        }
        const std::string path = folder / "game.vqk";
        ASSERT_TRUE(b.WriteFile(path));
        auto partFile = std::make_unique<CPartFile>();
        ASSERT_TRUE(partFile->Open(path.c_str(), 1));
        app->SetPartFile(std::move(partFile));
    }

    CTLVApp* app = nullptr;
    int32_t snippetsBefore = 0;
};

TEST_F(GameObjectTest, ItsSetUpMakesCursorsSnippetsReservedPipesAndThePrintSurfaceAndItsEndGivesThemBack) {
    GiveGameData(true);
    EXPECT_EQ(app->GetSaveSlot(), -1) << "no player has signed in";
    app->Init();
    ASSERT_NE(app->GetPlayer(), nullptr);
    EXPECT_EQ(app->GetPlayer()->Record().version, 19u) << "a new player";
    ASSERT_EQ(input().LiveCursors(), 3u);
    OMouseProcess* mouse = app->GetMouseProcess();
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(mouse->GetNormalCursor(), app->GetCursor(CTLVApp::kCursorNormal));
    EXPECT_EQ(mouse->GetHoverCursor(), app->GetCursor(CTLVApp::kCursorHover));
    EXPECT_EQ(input().Image(app->GetCursor(CTLVApp::kCursorThird))->hotX, 1);
    EXPECT_EQ(app->systemCursorFlag, 0);
    EXPECT_EQ(OView::DefaultClickMode(), OView::kClickClick);
    EXPECT_EQ(app->GetSnippetCount(), 5);
    for (const ChunkId id : CTLVApp::kGameSnippets) EXPECT_NE(app->FindSnippet(id), nullptr);
    ASSERT_NE(app->GetPrintSurface(), nullptr);
    EXPECT_EQ(app->GetPrintSurface()->GetWidth(), 640);
    EXPECT_EQ(app->GetPrintSurface()->GetHeight(), 480);
    EXPECT_EQ(app->GetPrintSurface()->GetBitsPerPixel(), 24);

    // The automatic choice of a pipe passes over the reserved 0-3, 7 and 8 (the sound asked for
    // a moment apart each time, or it would play once).
    OSoundProcess* sound = app->GetSoundProcess();
    ASSERT_NE(sound, nullptr);
    xSnippet* snippet = app->FindSnippet(CTLVApp::kGameSnippets[0]);
    for (const int32_t pipe : {4, 5, 6, 9, 10, -1}) {
        EXPECT_EQ(sound->Play(snippet, 999, 1, 0), pipe);
        clock().Advance(OSoundProcess::kSameMomentMs);
    }

    EXPECT_TRUE(CTLVApp::Destroy());
    EXPECT_EQ(input().LiveCursors(), 0u);
    EXPECT_EQ(xSound_State().snippets, snippetsBefore);
}

TEST_F(GameObjectTest, MissingFramesAndSnippetsLeaveNoEntriesAndTheMouseProcessKeepsTheArrow) {
    GiveGameData(false);
    app->Init();
    for (int i = 0; i < CTLVApp::kCursorCount; ++i) EXPECT_EQ(app->GetCursor(i), 0u);
    EXPECT_NE(traced().find("xCursor_CreateFromFrame - no 8-bit frame {9, 0, 30}\n"), std::string::npos);
    EXPECT_EQ(app->GetMouseProcess()->GetNormalCursor(), input().ArrowCursor());
    EXPECT_EQ(app->GetSnippetCount(), 0);
    EXPECT_EQ(app->FindSnippet(CTLVApp::kGameSnippets[0]), nullptr);
}

TEST_F(GameObjectTest, TheLaterOfTwoSnippetsOfAnIdIsFoundAndTheSetUpLoadsNoIdItKnows) {
    GiveGameData(true);
    const ChunkId id = CTLVApp::kGameSnippets[1];
    xSnippet* first = xSnippet_Load(app->GetPartFile(), id, nullptr);
    xSnippet* second = xSnippet_Load(app->GetPartFile(), id, nullptr);
    ASSERT_TRUE(app->AddSnippet(id, first));
    ASSERT_TRUE(app->AddSnippet(id, second));
    EXPECT_EQ(app->FindSnippet(id), second);
    app->Init();
    EXPECT_EQ(app->GetSnippetCount(), 6);
    EXPECT_EQ(xSound_State().snippets, snippetsBefore + 6) << "two of the id, then the four others";
}

class GameShellUnitTest : public HeadlessTest {};

TEST_F(GameShellUnitTest, SpaceAndEscSkipAndTheMouseButtonsToo) {
    struct Case {
        int32_t key;
        bool skip;
        bool skipOrButton;
    };
    const Case cases[] = {{0x20, true, true}, {0x1B, true, true}, {0x01, false, true}, {0x02, false, true},
                          {0x04, false, true}, {0x0D, false, false}};
    for (const Case& c : cases) {
        input().SetKeyDown(c.key, true);
        EXPECT_EQ(IsSkipKeyDown(), c.skip) << c.key;
        EXPECT_EQ(IsSkipKeyOrButtonDown(), c.skipOrButton) << c.key;
        input().SetKeyDown(c.key, false);
    }
}

} // namespace
} // namespace vqt::test
