// A headless run of the synthetic part file's text views over a plain background: one view of
// each kind loaded from activity data, its text from the 'utxt' index, drawn on the stage.
#include <gtest/gtest.h>

#include <memory>

#include "engine/core/Activity.h"
#include "engine/media/Application.h"
#include "engine/data/MessageTexts.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextCView.h"
#include "tests/engine/core/StageFixture.h"
#include "tools/synthetic/TextViews.h"

namespace vqt::test {
namespace {

class TextScenarioTest : public StageTest {
protected:
    void SetUp() override {
        StageTest::SetUp();
        xLanguage_Context().language = kLanguageEnglishUs;
    }
    void TearDown() override {
        StageTest::TearDown();
        app.reset();
    }
    std::unique_ptr<OApplication> app;
};

TEST_F(TextScenarioTest, TheSyntheticTextViewsShowOnTheStage) {
    ChunkFileBuilder b;
    const uint8_t actv = b.AddIndex("actv", 8, 30);
    const uint8_t fram = b.AddIndex("fram", 8, 2);
    const std::vector<uint32_t> colours{0, 0x503020, 0x306040};
    const uint32_t sheet =
        b.AddChunk(fram, BmpFile(TileSheet(32, 32, 2, 1, colours)), {.entry = 1, .property = FrameProperty(1)});
    std::vector<uint16_t> tiles;
    for (int i = 0; i < 20 * 15; ++i) tiles.push_back(uint16_t((i + i / 20) % 2));
    ActivityPlan desc{.classId = 53,
                      .backgroundId = sheet,
                      .properties = TiledActivityProps(20, 15, 32, 32, tiles),
                      .objects = AddSyntheticTexts(b, b.AddIndex("utxt"))};
    b.AddChunk(actv, ActivityData(desc), {.entry = 26, .name = "Texts"});
    Open(b);
    app = std::make_unique<OApplication>();
    auto own = std::make_unique<CPartFile>();
    ASSERT_TRUE(own->Open((folder / "parts.vqk").c_str(), 1));
    app->SetPartFile(std::move(own));

    OActivityManager& m = Manager(OActivityManager::kUnloadFirst);
    m.RequestActivity(ChunkIdOf(1, 26));
    Frames(6);
    OActivity* activity = m.GetCurrentActivity();
    ASSERT_NE(activity, nullptr);
    ASSERT_EQ(activity->ChildCount(), 3);
    auto* status = static_cast<OTextCView*>(activity->ChildAt(2));
    EXPECT_STREQ(status->GetTextPtr(), "Status\rframes: many\rtexts: three");
    // A changed text reaches the screen by itself.
    status->SetText("Status\rframes: more\rtexts: three");
    Frames(2);
    ExpectMatchesGoldenImage("engine/media/text_views_stage.png", ToRgb(Shown()));
}

} // namespace
} // namespace vqt::test
