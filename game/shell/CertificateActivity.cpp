#include "game/shell/CertificateActivity.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Cursor.h"
#include "engine/media/BinkInterstitial.h"
#include "engine/media/Font.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/TextDView.h"
#include "game/shell/AwardButton.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Captions.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVObject.h"
#include "platform/Platform.h"

namespace {

/// An activity award: its art and what it says, earned or not.
struct ActivityAward {
    ChunkId earned;
    ChunkId notEarned;
    int16_t earnedLines[2]; ///< -1: none
    int16_t notEarnedLine;
};

constexpr ActivityAward kAwards[CPlayer::kActivities] = {
    {MakeChunkId(2, 199), MakeChunkId(2, 193), {43, -1}, 50},
    {MakeChunkId(2, 200), MakeChunkId(2, 194), {44, -1}, 51},
    {MakeChunkId(2, 201), MakeChunkId(2, 195), {45, -1}, 52},
    {MakeChunkId(2, 188), MakeChunkId(2, 189), {37, 38}, 47},
    {MakeChunkId(2, 197), MakeChunkId(2, 191), {35, 36}, 46},
    {MakeChunkId(2, 196), MakeChunkId(2, 190), {39, 40}, 48},
    {MakeChunkId(2, 198), MakeChunkId(2, 192), {41, 42}, 49},
};
constexpr int kMission2 = 2;
constexpr ChunkId kSpecialAward1 = MakeChunkId(2, 202);

/// Lines every town shares.
constexpr CertificateLine kSharedLines[] = {
    {34, MakeChunkId(7, 894), "Click the vehicle button to go back to the Fennmark garage."},
    {35, MakeChunkId(7, 895), "Speed Award"},
    {36, MakeChunkId(7, 896), "for racing through danger."},
    {37, MakeChunkId(7, 897), "Bullseye Award"},
    {38, MakeChunkId(7, 898), "for excellance in markmanship."},
    {39, MakeChunkId(7, 899), "Brain Award"},
    {40, MakeChunkId(7, 900), "for keeping a cool head in a dangerous situation."},
    {41, MakeChunkId(7, 901), "Rescue Award"},
    {42, MakeChunkId(7, 902), "for rounding up trouble where ever it roams."},
    {52, MakeChunkId(7, 233), "This is a special Hero award. You need to earn the other 2 hero awards first"},
    {53, MakeChunkId(7, 1096), "Return to the Garage."},
    {54, MakeChunkId(7, 1097), Certificate_Activity::kPrintLabel},
};
[[maybe_unused]] const bool kSharedLinesListed = captions::List(kSharedLines);

/// The towns' screens: arriving from one of them the chief speaks.
constexpr ChunkId kTownScreens[] = {MakeChunkId(1, 8), MakeChunkId(1, 14), MakeChunkId(1, 17)};
constexpr uint16_t kGarageMusic = 561;

/// Panel 7: its art, its picture and text with a printer and without, the OK button.
constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
constexpr int32_t kPanelPriority = 30500;
constexpr ChunkId kPrintingPicture = MakeChunkId(2, 1200);
constexpr ChunkId kNoPrinterPicture = MakeChunkId(2, 1199);
constexpr ChunkId kPrintingText = MakeChunkId(17, 269);
constexpr ChunkId kNoPrinterText = MakeChunkId(17, 270);
constexpr ChunkId kOkButton = MakeChunkId(2, 1147);

/// The text views whose style the counts and the name take.
constexpr uint32_t kCountStyle = 1;
constexpr uint32_t kNameStyle = 2;
constexpr float kCountOffset = 55;
constexpr int16_t kTextPriority = 32767;

/// The button ids whose labels the page speaks.
constexpr uint32_t kGarageButton = 1;
constexpr uint32_t kPrintButton = 2;

bool QuietOnly(int16_t line, bool awardNames) {
    switch (line) {
    case 34: case 35: case 37: case 39: case 41: case 53: case 54: return true;
    case 43: case 44: case 45: return awardNames;
    default: return false;
    }
}

const CertificateLine* FindLine(const CertificateLine* lines, size_t count, int16_t line) {
    for (size_t i = 0; i < count; ++i)
        if (lines[i].line == line) return &lines[i];
    return nullptr;
}

const CertificateLine* SharedLine(int16_t line) { return FindLine(kSharedLines, std::size(kSharedLines), line); }

OMessageProcess* GameMessages() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMessageProcess() : nullptr;
}

int32_t SkipKeyOrButton() { return IsSkipKeyOrButtonDown() ? 1 : 0; }

} // namespace

Certificate_Activity::Certificate_Activity(const char* name, uint32_t classId, const CertificateWorld& world)
    : CTLVActivity(name, classId), world_(world) {}

Certificate_Activity::~Certificate_Activity() = default;

CPlayer* Certificate_Activity::Player() const {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

uint16_t Certificate_Activity::Count(int activity) const {
    const CPlayer* player = Player();
    return player ? player->GetActivityCount(world_.world, activity) : 0;
}

ChunkId Certificate_Activity::RankPicture() const {
    const CPlayer* player = Player();
    const uint16_t points = player ? player->GetHeroPoints(world_.world) : 0;
    return world_.rankPictures[points >= 5 ? 2 : points >= 3 ? 1 : 0];
}

void Certificate_Activity::StyleText(OTextDView* view, uint32_t templateId) const {
    OView* found = FindPropById(templateId);
    const auto* model = found && found->IsA(OTextView::kClassId) ? static_cast<OTextView*>(found) : nullptr;
    if (model && model->GetFont()) {
        view->UseFont(model->GetFont(), false);
        view->SetTextColor(model->GetTextColor());
    }
    if (model) view->SetAlignment(model->GetAlignment());
    view->SetWordWrap(1);
    view->SetPriority(kTextPriority);
}

Award_Button* Certificate_Activity::MakeAward(int16_t index, ChunkId art, bool shown) {
    auto* award = new (std::nothrow) Award_Button;
    if (!award) return nullptr;
    award->SetAwardIndex(index);
    if (art != kNullChunkId) LoadArt(award, GameFile(), art, 0);
    award->SetVisible(shown ? 1 : 0, 1);
    award->SetCursorMode(1);
    AddChild(award);
    return award;
}

TLV_Object* Certificate_Activity::MakePicture(ChunkId art, bool shown) {
    auto* picture = new (std::nothrow) TLV_Object;
    if (!picture) return nullptr;
    LoadArt(picture, GameFile(), art, 0);
    picture->SetVisible(shown ? 1 : 0, 1);
    AddChild(picture);
    return picture;
}

ChunkId Certificate_Activity::AwardArt(int16_t award, bool earned) {
    return earned ? kAwards[award].earned : kAwards[award].notEarned;
}

void Certificate_Activity::AddAward(int16_t award) {
    const uint16_t count = Count(award);
    Award_Button* button = MakeAward(award, AwardArt(award, count != 0), true);
    if (button && count) AddCountText(count, button->GetPosition().x - kCountOffset, button->GetPosition().y);
}

void Certificate_Activity::AddCountText(uint16_t count, float x, float y) {
    OTextDView* view = CreateTextDView(int16_t(x), int16_t(y), 50, 25, this);
    if (!view) return;
    StyleText(view, kCountStyle);
    char text[16];
    std::snprintf(text, sizeof text, "%d", int(count));
    view->SetText(text);
}

void Certificate_Activity::AddNameText(float x, float y) {
    OTextDView* view = CreateTextDView(int16_t(x), int16_t(y), 400, 50, this);
    if (!view) return;
    StyleText(view, kNameStyle);
    if (const CPlayer* player = Player()) view->SetText(player->GetName());
}

int32_t Certificate_Activity::OnActivated() {
    printWait_ = kPrintWaitIdle;
    for (const int16_t k : kAwardOrderForPage) AddAward(k);
    if (OTextDView* badges = CreateTextDView(550, 401, 50, 24, this)) {
        StyleText(badges, kCountStyle);
        badges->SetAlignment(kAlignRight);
        const CPlayer* player = Player();
        char text[16];
        std::snprintf(text, sizeof text, "%d", player ? int(player->GetBadgeCount(world_.world, 0)) : 0);
        badges->SetText(text);
    }
    MakeAward(-1, kSpecialAward1, true);
    AddNameText(360, 162);
    MakeAward(-2, world_.specialAwards[0], true);
    const CPlayer* player = Player();
    const bool upgraded = player && player->GetWorldVisited(world_.world) != 0;
    upgradeNew_ = !upgraded && Count(kMission2) != 0;
    if (upgraded || upgradeNew_) MakeAward(-3, world_.specialAwards[1], true);
    else MakeAward(-3, kNullChunkId, false);
    MakePicture(RankPicture(), true);
    MakePicture(world_.mission2Picture, Count(kMission2) != 0);

    const int32_t result = CTLVActivity::OnActivated();
    StartHintTimer();
    OActivityManager* manager = GetActivityManager();
    const ChunkId previous = manager ? manager->GetPreviousId() : kNullChunkId;
    if (std::find(std::begin(kTownScreens), std::end(kTownScreens), previous) != std::end(kTownScreens))
        SpeakCeremony();
    else
        SwitchMusic(kGarageMusic);
    return result;
}

int32_t Certificate_Activity::StartWorld() {
    const int32_t result = Certificate_Activity::OnActivated();
    if (CPlayer* player = Player()) player->ResetWorldPosition(world_.world);
    OActivityManager* manager = GetActivityManager();
    if (manager && manager->GetPreviousId() == world_.townScreen) SwitchMusic(world_.townMusic);
    return result;
}

void Certificate_Activity::SpeakCeremony() {
    for (int16_t line = 0; line <= 3; ++line) SpeakLine(line);
    const CPlayer* player = Player();
    const uint16_t points = player ? player->GetHeroPoints(world_.world) : 0;
    if (points == 3 || points == 4) {
        SpeakLine(7);
        SpeakLine(9);
    } else if (points >= 5) {
        if (Count(kMission2) == 1) SpeakLine(18);
        if (upgradeNew_) SpeakLine(8);
        SpeakLine(19);
        SpeakLine(20);
    }
}

void Certificate_Activity::SwitchMusic(uint16_t entry) {
    CTLVApp* app = CTLVApp::Get();
    OMusicProcess* music = app ? app->GetMusic() : nullptr;
    if (!music) return;
    music->Stop();
    music->Release();
    music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, entry});
    music->Play();
}

void Certificate_Activity::SpeakFrom(const CertificateLine* lines, size_t count, int16_t line) {
    const CertificateLine* found = FindLine(lines, count, line);
    if (!found) found = SharedLine(line);
    OMessageProcess* messages = GameMessages();
    if (!found || !messages) return;
    if (QuietOnly(line, world_.awardNamesWhenQuiet) && IsMessageQueued()) return;
    if (line == 36 || line == 38 || line == 40 || line == 42) {
        const CertificateLine* name = SharedLine(int16_t(line - 1));
        if (!IsCaptionQueued(name->caption) || IsCaptionQueued(found->caption)) return;
    }
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(found->voice);
    record->SetText(kNullChunkId, found->caption);
    if (messages->QueueMessage(record) != 0) record->Reset();
}

void Certificate_Activity::SpeakAwardLine(int16_t award) {
    if (award < 0 || award >= CPlayer::kActivities) return;
    const ActivityAward& a = kAwards[award];
    if (Count(award) == 0) {
        SpeakLine(a.notEarnedLine);
        return;
    }
    for (const int16_t line : a.earnedLines)
        if (line >= 0) SpeakLine(line);
}

int32_t Certificate_Activity::OnIdle() {
    if (printWait_ < kPrintWaitIdle) {
        ++printWait_;
        plat::clock().Sleep(kPrintWaitSleepMs);
        if (printWait_ == kPrintWaitIdle) {
            ClosePanelAfterSpeech(kPanelPrint, 0);
            StartHintTimer();
            ResetHintTimer();
        }
    } else if (HintTimerElapsed() >= kHintAfterMs && GetHintCount() == 0) {
        SpeakLine(34);
        SetHintCount(int16_t(GetHintCount() + 1));
    }
    return CTLVActivity::OnIdle();
}

bool Certificate_Activity::MayNavigate(uint16_t /*target*/) {
    FlushMessageQueue();
    CTLVApp* app = CTLVApp::Get();
    CPlayer* player = Player();
    if (!player || player->GetCounter(kMovieCounter) != 0) return true;
    for (int w = 0; w < PlayerRecord::kWorlds; ++w)
        if (player->GetActivityCount(w, kMission2) == 0) return true;
    player->IncCounter(kMovieCounter);
    if (!player->Save(app->GetSaveSlot()))
        xTracef("Certificate_Activity: the record could not be saved to slot %d\n", int(app->GetSaveSlot()));
    OActivityManager* manager = GetActivityManager();
    auto* movie = manager ? new (std::nothrow) OBinkInterstitial : nullptr;
    if (!movie) return true;
    movie->SetMovie(GameFile(), kClosingMovie, 0, 0, 0, 5, 0x8000);
    movie->SetSkipTest(SkipKeyOrButton);
    manager->AddOverlay(movie);
    return true;
}

void Certificate_Activity::OnButtonHover(uint32_t objectId) {
    if (objectId == kGarageButton) SpeakLine(53);
    else if (objectId == kPrintButton) SpeakLine(54);
}

void Certificate_Activity::BuildPrintPanel() {
    ButtonPanel_Prop* panel = GetPanel(kPanelPrint);
    if (!panel) {
        panel = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(kPanelPrint), kPanelPriority);
        if (!panel || !AdoptPanel(kPanelPrint, panel)) return;
        // Beside the panel, over its board.
        printPicture_ = new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId);
        if (printPicture_) {
            PanelLayer(panel)->AddChild(printPicture_);
            panel->AttachToView(printPicture_, 1);
        }
        printText_ = CreateTextDView(320, 44, 350, 40, PanelLayer(panel));
        if (printText_) panel->AttachToView(printText_, 1);
    }
    // The form follows the last print: the printing one only after a printed page.
    PlaceProp(printPicture_, printed_ ? kPrintingPicture : kNoPrinterPicture, GameFile(), 320, 150);
    if (printText_) {
        SetViewText(printText_, printed_ ? kPrintingText : kNoPrinterText, GameFile());
        printText_->SetAlignment(kAlignCentre);
    }
    if (printed_) panel->RemoveButtons();
    else panel->AddButton(0, kOkButton);
}

void Certificate_Activity::CreateButtonPanel(int16_t panel) {
    if (panel != kPanelPrint) {
        CTLVActivity::CreateButtonPanel(panel);
        return;
    }
    // Panel 7 leaves the voice lines alone: the print button ends its own label.
    BuildPrintPanel();
    xCursor_Show(true);
    ButtonPanel_Prop* built = GetPanel(kPanelPrint);
    if (!built) return;
    Pause();
    built->Show(true, 1);
    if (printed_) printWait_ = 0;
}

void Certificate_Activity::OnButton(int16_t panel, int16_t button) {
    ClosePanelAfterSpeech(panel, 1);
    if (panel != kPanelPrint) CTLVActivity::OnButton(panel, button);
}
