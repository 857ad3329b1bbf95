// How the generated certificate page reads: the awards' counts and the player's name stand
// clear of every award's circle (the page is what the printer gets), and while a print goes
// out its panel shows a printer with the page coming out, not an empty box.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/media/TextDView.h"
#include "game/shell/AwardButton.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/Player.h"
#include "tests/game/shell/GameActivityFixture.h"

void AddCertificates(GameData& data);

namespace vqt::test {
namespace {

constexpr uint16_t kGarage = 5, kToonPage = 6;

class CertificateLayoutTest : public GameActivityFixture {
protected:
    void AddTestData(GameData& data) override { AddCertificates(data); }

    /// Robin with counts on two awards of the circus town, on its page.
    Certificate_Activity* Page() {
        CPlayer& player = *app->GetPlayer();
        player.SetDefaults();
        player.SetName("Robin");
        player.IncActivityCount(0, 3);
        player.IncActivityCount(0, 3);
        player.IncActivityCount(0, 2);
        SwitchTo(kGarage);
        SwitchTo(kToonPage);
        auto* page = dynamic_cast<Certificate_Activity*>(CurrentGameActivity());
        Frames(60, kFrameMs);
        FlushMessageQueue();
        Frames(3, kFrameMs);
        return page;
    }
};

TEST_F(CertificateLayoutTest, TheCountsAndTheNameStandClearOfEveryAward) {
    Certificate_Activity* page = Page();
    ASSERT_NE(page, nullptr);
    std::vector<OTextDView*> texts;
    std::vector<CRect16> awards;
    for (int32_t i = 0; i < page->ChildCount(); ++i) {
        ONode* child = page->ChildAt(i);
        if (auto* text = dynamic_cast<OTextDView*>(child); text && text->IsVisible() && *text->GetTextPtr() != '\0')
            texts.push_back(text);
        if (auto* award = dynamic_cast<Award_Button*>(child); award && award->IsVisible()) awards.push_back(award->GetScreenRect());
    }
    ASSERT_GE(texts.size(), 3u) << "two counts, the badges and the name";
    ASSERT_GE(awards.size(), 7u);
    // The letters are what the page shows with its texts and not without them.
    const RgbImage with = ToRgb(Shown());
    for (OTextDView* text : texts) text->SetVisible(0, 0);
    Frames(2, kFrameMs);
    const RgbImage without = ToRgb(Shown());
    int letters = 0;
    for (int y = 0; y < with.height; ++y)
        for (int x = 0; x < with.width; ++x) {
            const size_t at = (size_t(y) * size_t(with.width) + size_t(x)) * 3;
            if (with.rgb[at] == without.rgb[at] && with.rgb[at + 1] == without.rgb[at + 1] && with.rgb[at + 2] == without.rgb[at + 2])
                continue;
            ++letters;
            for (const CRect16& r : awards)
                EXPECT_FALSE(x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                    << "a letter at (" << x << ", " << y << ") lies on the award at " << r.left << ", " << r.top;
            if (HasFailure()) return;
        }
    EXPECT_GT(letters, 50) << "the page shows its texts";
}

TEST_F(CertificateLayoutTest, ThePrintingPanelShowsAPrinterWithThePageComingOut) {
    Certificate_Activity* page = Page();
    ASSERT_NE(page, nullptr);
    page->OnButtonHover(2);
    Click(buttons::kCertificatePrint); // the print button
    ASSERT_TRUE(page->IsPanelShown(Certificate_Activity::kPanelPrint));
    Frames(2, kFrameMs);
    // The panel's picture, 200 x 120 about (320, 150): a drawing of several colours, not a
    // plain box.
    const RgbImage stage = ToRgb(Shown());
    std::set<uint32_t> colours;
    for (int y = 95; y < 205; ++y)
        for (int x = 225; x < 415; ++x) {
            const size_t at = (size_t(y) * size_t(stage.width) + size_t(x)) * 3;
            colours.insert(uint32_t(stage.rgb[at]) | uint32_t(stage.rgb[at + 1]) << 8 | uint32_t(stage.rgb[at + 2]) << 16);
        }
    EXPECT_GE(colours.size(), 5u) << "an empty box while the certificate prints";
}

} // namespace
} // namespace vqt::test
