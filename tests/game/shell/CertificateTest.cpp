// The towns' certificate pages on the generated data: the page for three records, the spoken
// ceremony and the music by where the player came from, award clicks, the closing movie, and
// printing on the recording printer and into PDF files.
#include <gtest/gtest.h>

#include <malloc.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/data/MessageTexts.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MusicProcess.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/Player.h"
#include "game/shell/ToonCertificate.h"
#include "platform/headless/RecordingPrinter.h"
#include "platform/pdf/FolderDestination.h"
#include "platform/pdf/PdfPrinter.h"
#include "tests/game/shell/GameActivityFixture.h"
#include "tests/support/Golden.h"
#include "tests/support/PdfPages.h"
#include "tools/builders/TempFolder.h"

void AddCertificates(GameData& data);

namespace vqt::test {
namespace {

constexpr uint16_t kGarage = 5, kTown = 8, kZooTown = 14, kToonPage = 6, kZooPage = 21;

/// The records the pages are shown for.
enum class Record { Nothing, HeroPoints3, Champion };

class CertificateTest : public GameActivityFixture {
protected:
    void AddTestData(GameData& data) override {
        AddCertificates(data);
        for (uint16_t town : {kTown, kZooTown})
            data.file.AddChunk(GameData::kActivities, ActivityData({.classId = 200}), {.entry = town});
    }
    void Prepare(Record record, int world = 0) {
        CPlayer& player = *app->GetPlayer();
        player.SetDefaults();
        player.SetName("Robin");
        if (record == Record::Nothing) return;
        player.AddHeroPoints(world, record == Record::Champion ? 5 : 3);
        player.IncActivityCount(world, 3);
        player.IncActivityCount(world, 3);
        if (record == Record::Champion) player.IncActivityCount(world, 2);
    }
    Certificate_Activity* Arrive(uint16_t from, uint16_t page) {
        SwitchTo(from);
        SwitchTo(page);
        return dynamic_cast<Certificate_Activity*>(CurrentGameActivity());
    }
    std::vector<std::string> Queued() {
        std::vector<std::string> captions;
        OMessageProcess* messages = app->GetMessageProcess();
        for (int32_t i = 0; i < messages->QueueLength(); ++i) captions.push_back(messages->QueuedAt(i)->caption);
        return captions;
    }
    /// Each queued caption holds its fragment, in order, and nothing else is queued.
    void ExpectLines(const std::vector<std::string>& fragments) {
        const std::vector<std::string> captions = Queued();
        ASSERT_EQ(captions.size(), fragments.size()) << (captions.empty() ? "" : captions[0]);
        for (size_t i = 0; i < captions.size(); ++i)
            EXPECT_NE(captions[i].find(fragments[i]), std::string::npos) << i << ": " << captions[i];
    }
    RgbImage Stage() { return ToRgb(Shown()); }
    plat::RecordingPrinter& Printer() { return static_cast<plat::RecordingPrinter&>(plat::printer()); }
    ButtonPanel_Prop* PrintPanel(Certificate_Activity* page) { return page->GetPanel(Certificate_Activity::kPanelPrint); }
};

TEST_F(CertificateTest, ThePageShowsAwardsCountsNameAndPicturesForEachRecord) {
    const std::pair<Record, const char*> cases[] = {{Record::Nothing, "certificate_nothing.png"},
                                                    {Record::HeroPoints3, "certificate_hero3.png"},
                                                    {Record::Champion, "certificate_champion.png"}};
    for (const auto& [record, golden] : cases) {
        Prepare(record);
        Certificate_Activity* page = Arrive(kGarage, kToonPage);
        ASSERT_NE(page, nullptr);
        Frames(3, kFrameMs);
        ExpectMatchesGoldenImage(std::string("game/shell/") + golden, Stage());
        FlushMessageQueue();
    }
}

TEST_F(CertificateTest, TheCeremonyFollowsTheRecordAndTheMusicWhereThePlayerCameFrom) {
    struct Case {
        Record record;
        uint16_t from, page;
        std::vector<std::string> lines;
        uint16_t music; ///< 0: the music is left alone
        bool visited = false; ///< the upgrade was seen on an earlier visit
    };
    const Case cases[] = {
        // lines 0, 1, 2, 3, 18, 8, 19
        {Record::Champion, kTown, kToonPage,
         {"Way to go", "Head of the Fire", "you saved", "Job well done", "Fire Chief", "Hydrovane", "We salute"}, 562},
        // the zoo adds line 20
        {Record::Champion, kZooTown, kZooPage,
         {"Wow!", "Ranger General", "inspiration", "Hats off", "Park Chief", "Ridgeprowl", "celebrate", "Thank you Fennmark"},
         581},
        // lines 0, 1, 2, 3, 7, 9
        {Record::HeroPoints3, kTown, kToonPage,
         {"Way to go", "Head of the Fire", "you saved", "Job well done", "Fire Fighter", "heroic efforts"}, 562},
        // arriving from another town: the ceremony, the music left alone
        {Record::Nothing, kZooTown, kToonPage, {"Way to go", "Head of the Fire", "you saved", "Job well done"}, 0},
        {Record::Champion, kGarage, kToonPage, {}, 561},
        // the upgrade already seen: line 8 is not said again
        {Record::Champion, kTown, kToonPage,
         {"Way to go", "Head of the Fire", "you saved", "Job well done", "Fire Chief", "We salute"}, 562, true},
    };
    for (const Case& c : cases) {
        Prepare(c.record, c.page == kZooPage ? 1 : 0);
        if (c.visited) app->GetPlayer()->SetWorldVisited(0);
        SwitchTo(c.from);
        app->GetMusic()->SetSnippetData(MusicDescriptor{1, 7});
        SwitchTo(c.page);
        ExpectLines(c.lines);
        EXPECT_EQ(app->GetMusic()->GetSnippetData()->firstEntry, c.music ? c.music : 7) << c.page << " from " << c.from;
        FlushMessageQueue();
    }
}

TEST_F(CertificateTest, AwardClicksSayWhatTheAwardIsForOrHowToEarnIt) {
    Prepare(Record::HeroPoints3);
    Certificate_Activity* page = Arrive(kGarage, kToonPage);
    const std::pair<int16_t, std::vector<std::string>> cases[] = {
        {2, {"special Hero award"}},            // mission 2 not done: line 52
        {3, {"Bullseye", "markmanship"}},       // earned: its name and what it is for
        {4, {"Fireworks Factory"}},             // not earned: how to earn it
        {-2, {}},                               // a special award says nothing
    };
    for (const auto& [award, lines] : cases) {
        FlushMessageQueue();
        page->SpeakAwardLine(award);
        ExpectLines(lines);
    }
    // The award's name is dropped while another line plays, and its follower with it.
    FlushMessageQueue();
    page->OnButtonHover(2);
    page->SpeakAwardLine(3);
    ExpectLines({"Print certificate."});
    // A click on an award (the road race's, not earned) ends what was said and says its own.
    Click(250, 330);
    ExpectLines({"Fireworks Factory"});
    // Ten quiet seconds bring the hint.
    FlushMessageQueue();
    Frames(9800 / kFrameMs, kFrameMs);
    ExpectLines({});
    Frames(300 / kFrameMs, kFrameMs);
    ExpectLines({"vehicle button"});
}

TEST_F(CertificateTest, TheClosingMovieIsQueuedOnceAndTheRecordSavedWhenEveryTownIsDone) {
    const std::string save = folder / "save.vqk";
    xProfiles_Set("USERFILE", save.c_str());
    Prepare(Record::Nothing);
    app->SetSaveSlot(2);
    Certificate_Activity* page = Arrive(kGarage, kToonPage);
    EXPECT_TRUE(page->MayNavigate(kGarage)); // not every town done: nothing
    EXPECT_EQ(manager->QueuedOverlays(), 0);
    for (int w = 0; w < 3; ++w) app->GetPlayer()->IncActivityCount(w, 2);
    EXPECT_TRUE(page->MayNavigate(kGarage));
    EXPECT_TRUE(page->MayNavigate(kGarage));
    EXPECT_EQ(manager->QueuedOverlays(), 1);
    CPlayer saved;
    ASSERT_EQ(saved.Load(2), SaveSlotState::Valid);
    EXPECT_EQ(saved.GetCounter(Certificate_Activity::kMovieCounter), 1);
}

TEST_F(CertificateTest, APrintedPageIsOneLandscapeJobAndItsPanelClosesItself) {
    Prepare(Record::Champion);
    Certificate_Activity* page = Arrive(kGarage, kToonPage);
    Frames(60, kFrameMs);
    FlushMessageQueue();
    Frames(3, kFrameMs);
    const RgbImage before = Stage();
    const int16_t format = xGraphics_PixelFormat();
    page->OnButtonHover(2);
    Click(buttons::kCertificatePrint); // the print button, which ends its own label
    ExpectLines({});
    EXPECT_EQ(xGraphics_PixelFormat(), format);
    ASSERT_EQ(Printer().Jobs().size(), 1u);
    const auto& job = Printer().Jobs().back();
    char name[256] = {};
    xMessages_Get("TLV_PRINTJOB_NAME", name, sizeof name);
    EXPECT_EQ(job.document, name);
    EXPECT_TRUE(job.landscape);
    ASSERT_EQ(job.pages.size(), 1u);
    ASSERT_EQ(job.pages[0].draws.size(), 1u);
    ExpectMatchesGoldenImage("game/shell/certificate_print.png", ToRgb(job.pages[0].draws[0].picture));
    // The printing form: no OK button; it closes itself after 200 frames.
    ASSERT_TRUE(page->IsPanelShown(Certificate_Activity::kPanelPrint));
    EXPECT_EQ(PrintPanel(page)->GetButton(0), nullptr);
    Frames(199, kFrameMs);
    EXPECT_TRUE(page->IsPanelShown(Certificate_Activity::kPanelPrint));
    Frames(2, kFrameMs);
    EXPECT_FALSE(page->IsPanelShown(Certificate_Activity::kPanelPrint));
    FlushMessageQueue();
    Frames(3, kFrameMs);
    EXPECT_TRUE(Stage() == before);
}

TEST_F(CertificateTest, WithoutAPrinterOrWhenTheJobFailsThePanelOffersItsOkButton) {
    Prepare(Record::Nothing);
    Certificate_Activity* page = Arrive(kGarage, kToonPage);
    for (const bool noPrinter : {true, false}) {
        Printer().SetDefaultPrinter(noPrinter ? "" : "Headless Printer");
        Printer().script().refuseStartPage = !noPrinter;
        debug().Clear();
        page->Print();
        ASSERT_TRUE(page->IsPanelShown(Certificate_Activity::kPanelPrint));
        EXPECT_NE(PrintPanel(page)->GetButton(0), nullptr);
        EXPECT_EQ(page->GetPrintWait(), Certificate_Activity::kPrintWaitIdle);
        EXPECT_EQ(traced().find("the print job failed") != std::string::npos, !noPrinter);
        page->OnButton(Certificate_Activity::kPanelPrint, 0);
        Frames(30, kFrameMs);
        EXPECT_FALSE(page->IsPanelShown(Certificate_Activity::kPanelPrint));
    }
    EXPECT_TRUE(Printer().Jobs().empty() || Printer().Jobs().back().pages.empty());
}

TEST_F(CertificateTest, TenPrintsKeepNoPageBehind) {
    Prepare(Record::Champion);
    Certificate_Activity* page = Arrive(kGarage, kToonPage);
    ASSERT_TRUE(page->ComposePrintImage(app->GetPrintSurface()));
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(page->ComposePrintImage(app->GetPrintSurface()));
    // One 640 x 480 page of 16 bits kept per print would be 600 KB.
    EXPECT_LT(mallinfo2().uordblks, before + 64 * 1024);
}

TEST_F(CertificateTest, APdfPrintIsOneLandscapePageOfTheComposedPicture) {
    Prepare(Record::Champion);
    Certificate_Activity* page = Arrive(kGarage, kToonPage);
    page->Print();
    ASSERT_EQ(Printer().Jobs().size(), 1u);
    const RgbImage composed = ToRgb(Printer().Jobs()[0].pages.at(0).draws.at(0).picture);
    TempFolder prints;
    plat::services().printer = std::make_unique<plat::PdfPrinter>(std::make_unique<plat::FolderDestination>(prints.path()));
    page->Print();
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(prints.path())) files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    RgbImage printed;
    ASSERT_TRUE(RenderPdfPage(files[0].string(), 75, printed)) << "pdftoppm (poppler-utils) is needed";
    EXPECT_GT(printed.width, printed.height) << "landscape";
    // The picture's box: the first and last pixels that are not white on the middle row and
    // column; it keeps the picture's proportions.
    auto white = [&](int x, int y) {
        const uint8_t* p = &printed.rgb[(size_t(y) * printed.width + x) * 3];
        return p[0] > 250 && p[1] > 250 && p[2] > 250;
    };
    int left = 0, right = printed.width - 1, top = 0, bottom = printed.height - 1;
    while (left < right && white(left, printed.height / 2)) ++left;
    while (right > left && white(right, printed.height / 2)) --right;
    while (top < bottom && white(printed.width / 2, top)) ++top;
    while (bottom > top && white(printed.width / 2, bottom)) --bottom;
    const PageBox box{double(left), double(top), double(right + 1), double(bottom + 1)};
    EXPECT_NEAR((box.right - box.left) * 3, (box.bottom - box.top) * 4, 8);
    // Centres of flat areas: the paper, the ribbon, an earned award, the rank picture.
    std::vector<PictureSample> samples;
    for (const auto& [x, y] : {std::pair{100, 240}, {320, 50}, {160, 330}, {560, 150}}) {
        const uint8_t* c = &composed.rgb[(size_t(y) * composed.width + x) * 3];
        samples.push_back({x, y, c[0], c[1], c[2]});
    }
    ExpectPrintedPage(printed, box, 640, 480, samples);
}

/// Data without the certificates' art.
using CertificateWithoutArtTest = GameActivityFixture;

TEST_F(CertificateWithoutArtTest, MissingArtAndPageAreLeftOutAndTracedAndNoTargetComposesNothing) {
    Toon_Certificate_Activity page;
    debug().Clear();
    ASSERT_TRUE(page.ComposePrintImage(app->GetPrintSurface()));
    EXPECT_NE(traced().find("the page's frame {9, 0, 12} is missing: left out"), std::string::npos);
    EXPECT_NE(traced().find("Missing art {2, 0, 256}"), std::string::npos);
    EXPECT_FALSE(page.ComposePrintImage(nullptr));
}

} // namespace
} // namespace vqt::test
