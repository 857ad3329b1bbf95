// Each of the twelve town games played to its end panel by the test kit's drivers, the whole
// program on the generated data, a player's keys and clicks alone. As the end panel shows, the
// game's win sound plays heard on pipe 0 and the cheer {7, 0, 574} on pipe 2, the lines queued
// with the panel are voiced on the voice pipe, and the recording of the panel's first moments
// holds sound, not silence. The count caught stands over the panel's picture in every game
// alike: the number font's height, centred on its box. Of one, two or three digits, the count's
// ink stands in the middle of the picture and off its lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "engine/media/TextDView.h"
#include "game/minigames/GameClasses.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"
#include "game/world/TLVWorldActivity.h"
#include "tests/game/playthrough/GameScreenInput.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/MixLevels.h"
#include "tests/support/Png.h"
#include "tests/support/ScriptedAudioOutput.h"
#include "tests/support/StageScript.h"
#include "tests/support/StartActivities.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int16_t kBo = 3;
constexpr int16_t kEndPanel = 3;
/// The cheer every end panel plays on pipe 2.
constexpr uint16_t kCheer = 574;
/// How long a driver may play before its game's end panel shows.
constexpr uint32_t kPlayLimitMs = 300000;
/// The panel's first moments, listened to; its lines are voiced within the first second.
constexpr uint32_t kListenMs = 1500, kVoicedWithinMs = 1000;
/// Sound, not silence: a twentieth of a second's samples (stereo at 22050 Hz) heard, and a peak
/// at -12 dBFS or more.
constexpr size_t kFewestHeard = 2205;
constexpr int32_t kLowestPeak = 8192;
/// The number font's digits stand this tall; the count's ink is centred on its box within this.
constexpr int kDigitHeightFrom = 12, kDigitHeightTo = 20, kCentreSlack = 3;

struct EndCase : StartActivity {
    /// The game's win sound on pipe 0.
    uint16_t winSound;
    /// The middle of the count's box on the stage.
    int countX;
};

void PrintTo(const EndCase& c, std::ostream* out) { *out << c.name; }

/// Each town's win sound: the circus town's, the zoo's, the city's.
constexpr uint16_t kWinSounds[] = {575, 576, 582};

std::vector<EndCase> Games() {
    std::vector<EndCase> games;
    for (const StartActivity& a : kStartActivities)
        if (a.kind != StartKind::Town) games.push_back({a, kWinSounds[a.world], 320});
    return games;
}

std::unique_ptr<MiniGameDriver> DriverFor(StartKind kind) {
    switch (kind) {
    case StartKind::Arcade: return MakeArcadeDriver();
    case StartKind::Race: return MakeRaceDriver(HeadlessBotInput(), true);
    case StartKind::Puzzle: return MakePuzzleDriver(HeadlessBotInput());
    case StartKind::RoundUp: return MakeRoundUpDriver(HeadlessBotInput());
    case StartKind::Town: break;
    }
    return nullptr;
}

/// The sound a pipe plays heard (unpaused, its volume above 0): the entry of its snippet among
/// the game's sounds, kUnknown for another snippet, 0 for none.
constexpr uint16_t kUnknown = 0xFFFF;
uint16_t HeardOnPipe(uint32_t pipe, const std::vector<uint16_t>& known) {
    OSoundProcess* sound = GameSoundProcess();
    const SoundChannel* channel = sound && sound->GetPipeCount() > pipe ? sound->GetChannel(pipe) : nullptr;
    if (!channel || !xSound_IsPlaying(channel) || channel->paused || channel->volume <= 0 || !channel->snippet) return 0;
    CTLVActivity* screen = CurrentGameScreen();
    for (const uint16_t entry : known)
        if (screen && screen->FindSound(MakeChunkId(7, entry)) == channel->snippet) return entry;
    return kUnknown;
}

/// The end panel's count: the text attached to the panel in the count's box, 100 x 150.
OTextDView* CountView(ButtonPanel_Prop& panel) {
    for (int32_t i = 0; i < panel.AttachedCount(); ++i) {
        auto* text = dynamic_cast<OTextDView*>(panel.AttachedAt(i));
        if (!text) continue;
        const CRect16 r = text->GetScreenRect();
        if (r.right - r.left == 100 && r.bottom - r.top == 150) return text;
    }
    return nullptr;
}

/// The end panel's picture: the plain prop attached to the panel (not a text, not a button).
OActivityProp* PictureView(ButtonPanel_Prop& panel) {
    for (int32_t i = 0; i < panel.AttachedCount(); ++i) {
        OView* view = panel.AttachedAt(i);
        if (view && typeid(*view) == typeid(OActivityProp)) return static_cast<OActivityProp*>(view);
    }
    return nullptr;
}

/// Where two pictures differ: the count's ink, drawn in one and hidden in the other.
struct Ink {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    bool Found() const { return right >= left; }
    int Height() const { return bottom - top + 1; }
    double CentreX() const { return (left + right) / 2.0; }
    double CentreY() const { return (top + bottom) / 2.0; }
};

const uint8_t* PixelAt(const RgbImage& image, int x, int y) {
    return &image.rgb[(size_t(y) * size_t(image.width) + size_t(x)) * 3];
}

Ink Difference(const RgbImage& a, const RgbImage& b, const CRect16& within) {
    Ink ink;
    if (a.width != b.width || a.height != b.height) return ink;
    for (int y = std::max<int>(within.top, 0); y < std::min<int>(within.bottom, a.height); ++y) {
        for (int x = std::max<int>(within.left, 0); x < std::min<int>(within.right, a.width); ++x) {
            const size_t at = (size_t(y) * size_t(a.width) + size_t(x)) * 3;
            if (std::equal(&a.rgb[at], &a.rgb[at] + 3, &b.rgb[at])) continue;
            ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

class EndPanelTest : public ShellScenarioTest, public testing::WithParamInterface<EndCase> {
protected:
    void SetUp() override {
        ShellScenarioTest::SetUp();
        xGame_RegisterClasses();
    }
};

TEST_P(EndPanelTest, TheWinIsHeardAndItsCountStandsAsInEveryGame) {
    const EndCase& c = GetParam();
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kBo] = StoredRecord("Bo").bytes();
    PutSave(records);
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");
    ScriptedAudioOutput& output = UseScriptedAudio();
    const std::unique_ptr<MiniGameDriver> driver = DriverFor(c.kind);
    ASSERT_NE(driver, nullptr);

    uint32_t shownAt = 0;
    uint16_t onPipe0 = 0, onPipe2 = 0;
    bool linesQueued = false, voiced = false;
    RgbImage withCount, withoutCount;
    OTextDView* count = nullptr;
    CRect16 countBox;
    Scenario s = Game(kFrameMs);
    s.frames = (kPlayLimitMs + kListenMs) / kFrameMs;
    s.watch = [&](uint32_t tick) {
        const uint32_t now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            xSRand(1);
            std::srand(1); // the arcades draw from the C library's generator
            TLVWorld_Activity::escapeSide = 0;
            CPlayer* player = CTLVApp::Get()->GetPlayer();
            player->Load(kBo);
            player->SetSelectedVehicle(c.vehicle);
            CTLVApp::Get()->SetSaveSlot(kBo);
        }
        OActivityManager* manager = GetActivityManager();
        CTLVActivity* screen = CurrentGameScreen();
        const bool there = screen && manager->GetCurrentId() == MakeChunkId(1, c.entry) && !manager->IsSwitchPending();
        if (shownAt == 0 && !(there && screen->IsPanelShown(kEndPanel))) {
            const std::string lines = driver->Step(manager->GetCurrentActivity(), now);
            if (!lines.empty()) Script(lines);
            return;
        }
        if (shownAt == 0) {
            // The panel shows: the driver lets go, and the recording starts afresh here.
            shownAt = now;
            Script(driver->Release());
            output.Pump();
            output.Forget();
            onPipe0 = HeardOnPipe(0, {c.winSound});
            onPipe2 = HeardOnPipe(2, {kCheer});
            linesQueued = IsMessageQueued();
            count = CountView(*screen->GetPanel(kEndPanel));
            if (count) countBox = count->GetScreenRect(), withCount = StagePicture(), count->SetVisible(0, 1);
        } else if (count && withoutCount.rgb.empty() && now >= shownAt + 2 * kFrameMs) {
            withoutCount = StagePicture();
            count->SetVisible(1, 1);
        }
        if (now < shownAt + kVoicedWithinMs && HeardOnPipe(OMessageProcess::kVoicePipe, {}) != 0) voiced = true;
        if (now >= shownAt + kListenMs) RequestQuit();
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_NE(shownAt, 0u) << "the driver reached the end panel";
    EXPECT_EQ(onPipe0, c.winSound) << "the win sound {7, 0, " << c.winSound << "} is heard on pipe 0";
    EXPECT_EQ(onPipe2, kCheer) << "the cheer is heard on pipe 2";
    EXPECT_TRUE(linesQueued) << "the panel queues its lines";
    EXPECT_TRUE(voiced) << "its lines are voiced, not only captioned";
    output.Pump();
    const MixLevels mix = MeasureMix(output.Rendered());
    EXPECT_GE(mix.audible, kFewestHeard) << "the panel's first moments are heard: peak " << mix.peak << ", " << mix.rmsDbfs
                                         << " dBFS, " << mix.audible << " of " << mix.samples << " samples heard";
    EXPECT_GE(mix.peak, kLowestPeak);

    ASSERT_NE(count, nullptr) << "the panel shows the count";
    const Ink ink = Difference(withCount, withoutCount, countBox);
    ASSERT_TRUE(ink.Found()) << "the count is drawn";
    EXPECT_GE(ink.Height(), kDigitHeightFrom) << "the count in the number font";
    EXPECT_LE(ink.Height(), kDigitHeightTo) << "the count in the number font";
    EXPECT_NEAR(ink.CentreX(), c.countX, kCentreSlack) << "the count is centred on its box";
}

/// The counts of every width an end panel shows: one, two and three digits.
constexpr const char* kCountWidths[] = {"7", "42", "999"};
/// The count's ink stands this near the middle of the picture.
constexpr double kMiddleSlack = 1.5;
/// The frames the stage stands still before a picture of it is taken.
constexpr int kStillFrames = 5;

bool IsOneColour(const RgbImage& image) {
    for (size_t at = 3; at + 3 <= image.rgb.size(); at += 3)
        if (!std::equal(&image.rgb[at], &image.rgb[at] + 3, &image.rgb[0])) return false;
    return true;
}

/// One count written on the panel: its ink, and how many of its pixels (and those next to them)
/// lie on the picture's lines, drawn in the colour of its frame (none on a plain picture).
struct CountInk {
    Ink ink;
    int onLines = 0;
};

CountInk MeasureCount(const RgbImage& with, const RgbImage& without, const CRect16& countBox, const CRect16& picture) {
    CountInk out{Difference(with, without, countBox)};
    if (!out.ink.Found() || picture.right > without.width || picture.bottom > without.height) return out;
    const uint8_t* frame = PixelAt(without, picture.left, picture.top);
    const uint8_t* middle = PixelAt(without, (picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2);
    if (std::equal(frame, frame + 3, middle)) return out;
    for (int y = std::max<int>(out.ink.top - 1, picture.top); y <= std::min<int>(out.ink.bottom + 1, picture.bottom - 1); ++y)
        for (int x = std::max<int>(out.ink.left - 1, picture.left); x <= std::min<int>(out.ink.right + 1, picture.right - 1); ++x)
            if (std::equal(frame, frame + 3, PixelAt(without, x, y))) ++out.onLines;
    return out;
}

TEST_P(EndPanelTest, ACountOfEveryWidthStandsInThePicturesMiddleOffItsLines) {
    const EndCase& c = GetParam();
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    PutSave(records);
    Ini("STARTACTIVITY=" + std::to_string(c.entry) + "\n");

    OTextDView* count = nullptr;
    CRect16 countBox, picture;
    std::vector<CountInk> inks;
    // Each picture is taken once the stage has stood still, shown, for a few frames (the
    // screen's fade-in holds some of its steps for two frames).
    RgbImage last, withCount;
    int stillFrames = 0;
    bool hidden = false;
    Scenario s = Game(kFrameMs);
    s.frames = 600;
    s.watch = [&](uint32_t) {
        OActivityManager* manager = GetActivityManager();
        CTLVActivity* screen = CurrentGameScreen();
        if (!count) {
            if (!screen || manager->GetCurrentId() != MakeChunkId(1, c.entry) || manager->IsSwitchPending()) return;
            // The start panel makes way, and the end panel shows at once.
            for (int16_t panel = 0; panel < CTLVActivity::kPanelSlots; ++panel)
                if (panel != kEndPanel && screen->IsPanelShown(panel)) screen->HidePanel(panel, 1);
            screen->CreateButtonPanel(kEndPanel);
            ButtonPanel_Prop* panel = screen->GetPanel(kEndPanel);
            count = panel ? CountView(*panel) : nullptr;
            OActivityProp* art = panel ? PictureView(*panel) : nullptr;
            if (!count || !art) return RequestQuit();
            countBox = count->GetScreenRect();
            picture = art->GetScreenRect();
            count->SetText(kCountWidths[0]);
            return;
        }
        RgbImage now = StagePicture();
        stillFrames = now == last && !IsOneColour(now) ? stillFrames + 1 : 0;
        last = std::move(now);
        if (stillFrames < kStillFrames || inks.size() == std::size(kCountWidths)) return;
        if (!hidden) {
            withCount = last;
            count->SetVisible(0, 1);
        } else {
            inks.push_back(MeasureCount(withCount, last, countBox, picture));
            count->SetVisible(1, 1);
            if (inks.size() == std::size(kCountWidths)) return RequestQuit();
            count->SetText(kCountWidths[inks.size()]);
        }
        hidden = !hidden;
        stillFrames = 0;
    };
    const ScenarioRun run = RunScenario(s);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_NE(count, nullptr) << "the end panel shows its count";
    ASSERT_EQ(inks.size(), std::size(kCountWidths));
    const double middleX = (picture.left + picture.right - 1) / 2.0, middleY = (picture.top + picture.bottom - 1) / 2.0;
    for (size_t i = 0; i < inks.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "the count \"" << kCountWidths[i] << "\" on the picture " << picture.left << ","
                                        << picture.top << " to " << picture.right << "," << picture.bottom);
        const Ink& ink = inks[i].ink;
        ASSERT_TRUE(ink.Found()) << "the count is drawn";
        EXPECT_NEAR(ink.CentreX(), middleX, kMiddleSlack) << "ink x " << ink.left << " to " << ink.right;
        EXPECT_NEAR(ink.CentreY(), middleY, kMiddleSlack) << "ink y " << ink.top << " to " << ink.bottom;
        EXPECT_EQ(inks[i].onLines, 0) << "the count's ink touches the picture's lines";
    }
}

INSTANTIATE_TEST_SUITE_P(TwelveGames, EndPanelTest, testing::ValuesIn(Games()), CaseName<EndCase>);

} // namespace
} // namespace vqt::test
