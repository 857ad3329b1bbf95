// The button panels of the game activity: the pause menu (0), the quit (1), new-car (2) and
// leave (6) questions, what their buttons do and what they speak.
#include <cstring>
#include <new>
#include <string>

#include "engine/core/ActivityManager.h"
#include "engine/core/Cursor.h"
#include "engine/data/MessageTexts.h"
#include "engine/media/Application.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextDView.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Captions.h"
#include "game/shell/PanelTextButton.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

namespace {

constexpr ChunkId kPanelArt = MakeChunkId(2, 349);
constexpr int32_t kMenuPriority = 30600;
constexpr int32_t kQuestionPriority = 30500;
/// The menu's buttons by index; button 1 (leave the area) only in games and round-ups.
constexpr ChunkId kMenuButtons[] = {MakeChunkId(2, 3), MakeChunkId(2, 4), MakeChunkId(2, 5), MakeChunkId(2, 6)};
constexpr uint16_t kMenuLeaveButton = 1;
/// The yes/no questions' buttons: 0 no, 1 yes.
constexpr ChunkId kQuestionButtons[] = {MakeChunkId(2, 1147), MakeChunkId(2, 9)};
/// The panels' texts: the menu's help and title, the quit and new-car questions.
constexpr ChunkId kMenuHelp = MakeChunkId(17, 78);
constexpr ChunkId kMenuTitle = MakeChunkId(17, 50);
constexpr ChunkId kQuitQuestion = MakeChunkId(17, 47);
constexpr ChunkId kNewCarQuestion = MakeChunkId(17, 48);
/// The text views whose style the panels' texts and numbers take.
constexpr uint32_t kTextTemplate = 1000;
constexpr uint32_t kNumberTemplate = 1001;
constexpr ChunkId kQuitPicture = MakeChunkId(2, 1097);
constexpr ChunkId kNewCarPicture = MakeChunkId(2, 1095);
/// The end panels' count: its box and its font among the game's.
constexpr int16_t kNumberWidth = 100, kNumberHeight = 150;
constexpr int kNumberFont = 2;
constexpr float kPictureX = 320;
constexpr float kPictureY = 150;
/// The activities a game activity and a round-up are (the menu offers to leave them).
constexpr uint32_t kGameClass = 202;
constexpr uint32_t kRoundUpClass = 206;
/// Where the quit and new-car questions lead.
constexpr ChunkId kCreditsScreen = MakeChunkId(1, 7);
constexpr ChunkId kGarageScreen = MakeChunkId(1, 5);

/// Spoken labels and questions.
enum CaptionKind : int32_t {
    kSayQuit = 0,
    kSayContinue = 1,
    kSayExitArea = 2,
    kSayNewCar = 3,
    kSayYes = 4,
    kSayNo = 5,
    kAskQuit = 6,
    kAskLeave = 7,
    kAskDelete = 8,
};

/// How a spoken label or question joins the voice lines.
enum class SpeakRule {
    Label,  ///< not again while queued; otherwise the queue is emptied first
    Answer, ///< empties the queue when the other answer waits; else only into an empty queue
    Always,
};

struct SpokenCaption {
    ChunkId voice;
    const char* caption;
    SpeakRule rule;
    int32_t other; ///< the other answer's kind
};

constexpr SpokenCaption kSpoken[] = {
    {MakeChunkId(7, 546), "Quit Tollivar", SpeakRule::Label, -1},
    {MakeChunkId(7, 543), "Continue", SpeakRule::Label, -1},
    {MakeChunkId(7, 545), "Exit Area", SpeakRule::Label, -1},
    {MakeChunkId(7, 544), "New Car", SpeakRule::Label, -1},
    {MakeChunkId(7, 275), "Yes", SpeakRule::Answer, kSayNo},
    {MakeChunkId(7, 273), "No", SpeakRule::Answer, kSayYes},
    {MakeChunkId(7, 549), "Are you sure you want to quit Tollivar?", SpeakRule::Always, -1},
    {MakeChunkId(7, 551), "Are you sure you want to leave this area?", SpeakRule::Always, -1},
    {MakeChunkId(7, 547), "Are you sure you want to delete that saved game?", SpeakRule::Always, -1},
};
[[maybe_unused]] const bool kSpokenListed = captions::List(kSpoken);

/// The tutorial line that the questions leave alone.
constexpr char kTutorialStart[] = "Then click on the";

void Request(ChunkId id) {
    if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(id);
}

OMessageProcess* GameMessages() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMessageProcess() : nullptr;
}

/// Whether a queued line's caption begins with the text (or is the text, with `whole`).
bool IsCaptionQueued(const char* text, bool whole) {
    OMessageProcess* messages = GameMessages();
    const size_t n = std::strlen(text);
    for (int32_t i = 0; messages && i < messages->QueueLength(); ++i) {
        const std::string& caption = messages->QueuedAt(i)->caption;
        if (whole ? caption == text : caption.compare(0, n, text) == 0) return true;
    }
    return false;
}

void StopMusic() {
    if (CTLVApp* app = CTLVApp::Get(); app && app->GetMusic()) app->GetMusic()->Stop();
}

} // namespace

ButtonPanel_Prop* CTLVActivity::GetPanel(int16_t panel) const {
    return panel >= 0 && panel < kPanelSlots ? panels_[panel] : nullptr;
}

void CTLVActivity::BlinkPanelButton(uint16_t panel, uint16_t button) {
    ButtonPanel_Prop* shown = GetPanel(int16_t(panel));
    if (!shown) return;
    ButtonPanel_Button* blinking = shown->GetButton(button);
    if (!blinking && !FindPanelTextButton(shown, button)) return;
    shown->SetTimeOutOn(1);
    shown->RestartTimeOut();
    // A text that works as the button has no down look of its own.
    if (!blinking) return;
    blinking->SetState(blinking->GetDownState());
    blinking->QueueNextState(blinking->IsHovered() ? blinking->GetHoverState() : blinking->GetUpState());
}

bool CTLVActivity::IsPanelShown(int16_t panel) const {
    auto shown = [](const ButtonPanel_Prop* p) { return p && p->IsShownThroughParents() && p->IsEnabled(); };
    if (panel != -1) return shown(GetPanel(panel));
    for (const ButtonPanel_Prop* p : panels_)
        if (shown(p)) return true;
    return false;
}

bool CTLVActivity::AdoptPanel(int16_t slot, ButtonPanel_Prop* panel) {
    if (slot < 0 || slot >= kPanelSlots || panels_[slot]) {
        delete panel;
        return false;
    }
    panels_[slot] = panel;
    return true;
}

void CTLVActivity::QueueAction(int16_t panel) {
    queuedPanelFlag_ = 1;
    queuedPanel_ = panel;
}

void CTLVActivity::ClosePanelAfterSpeech(int16_t panel, uint8_t flush) {
    ButtonPanel_Prop* p = GetPanel(panel);
    if (p && !p->IsClosing()) p->CloseAfterSpeech(flush);
}

void CTLVActivity::CreateButtonPanel(int16_t panel) {
    if (panel < 0 || panel >= kPanelSlots) return;
    if (panel == kPanelMenu && IsPanelShown(kPanelStart)) GiveWayToMenu();
    if (!panels_[panel]) BuildPanel(panel);
    if (ButtonPanel_Prop* p = panels_[panel]) {
        if (OMessageProcess* messages = GameMessages(); messages && !IsCaptionQueued(kTutorialStart, false))
            messages->FlushMessages();
        xCursor_Show(true);
        Pause();
        p->Show(true, 1);
    }
    if (panel == kPanelQuit && !IsCaptionQueued(kTutorialStart, false)) SpeakCaption(kAskQuit);
    else if (panel == kPanelNewCar || panel == kPanelLeave) SpeakCaption(kAskLeave);
    else if (panel == kPanelDelete) SpeakCaption(kAskDelete);
}

void CTLVActivity::GiveWayToMenu() {
    // Not through HidePanel: with no panel left for a moment the game would take up play (its
    // engine, its music) under the menu. The game stays paused, and the menu's close starts it.
    startPanelGone_ = 1;
    panels_[kPanelStart]->Show(false, 1);
}

void CTLVActivity::BuildPanel(int16_t panel) {
    if (panel != kPanelMenu && panel != kPanelQuit && panel != kPanelNewCar && panel != kPanelLeave) return;
    const int32_t priority = panel == kPanelMenu ? kMenuPriority : kQuestionPriority;
    auto* p = new (std::nothrow) ButtonPanel_Prop(kPanelArt, uint16_t(panel), priority);
    if (!p) return;
    panels_[panel] = p;
    if (panel == kPanelMenu) {
        for (uint16_t i = 0; i < 4; ++i)
            if (i != kMenuLeaveButton || IsA(kGameClass) || IsA(kRoundUpClass)) p->AddButton(i, kMenuButtons[i]);
    } else {
        for (uint16_t i = 0; i < 2; ++i) p->AddButton(i, kQuestionButtons[i]);
        AddPanelPicture(p, panel == kPanelQuit     ? kQuitPicture
                           : panel == kPanelNewCar ? kNewCarPicture
                                                   : leavePictureId_);
    }
    if (panel == kPanelMenu) AddPanelText(p, kMenuHelp, 335, 242, 300, 150);
    AddPanelText(p, panel == kPanelMenu     ? kMenuTitle
                    : panel == kPanelQuit   ? kQuitQuestion
                    : panel == kPanelNewCar ? kNewCarQuestion
                                            : leaveTextId_,
                 320, 42, 500, 150);
}

ONode* CTLVActivity::PanelLayer(ButtonPanel_Prop* panel) {
    // Beside the panel on the main window, a panel's pictures keep their stage place however
    // far the activity has scrolled.
    ONode* layer = panel ? panel->GetParent() : nullptr;
    return layer ? layer : this;
}

void CTLVActivity::AddPanelText(ButtonPanel_Prop* panel, ChunkId textId, int16_t x, int16_t y, int16_t width,
                                int16_t height) {
    FillPanelText(panel, CreateTextDView(x, y, width, height, PanelLayer(panel)), textId);
}

void CTLVActivity::AddPanelTextButton(ButtonPanel_Prop* panel, uint16_t index, ChunkId textId, int16_t x, int16_t y,
                                      int16_t width, int16_t height) {
    auto* text = new (std::nothrow) PanelTextButton(panel->GetPanelId(), index);
    xText_PlaceView(text, x, y, width, height, PanelLayer(panel));
    FillPanelText(panel, text, textId);
}

void CTLVActivity::FillPanelText(ButtonPanel_Prop* panel, OTextDView* text, ChunkId textId) {
    if (!text) return;
    SetViewText(text, textId, GameFile());
    // Attached, the text shows and hides with its panel.
    panel->AttachToView(text, 1);
}

PanelTextButton* CTLVActivity::FindPanelTextButton(ButtonPanel_Prop* panel, uint16_t index) {
    for (int32_t i = 0; i < panel->AttachedCount(); ++i) {
        auto* text = dynamic_cast<PanelTextButton*>(panel->AttachedAt(i));
        if (text && text->GetIndex() == index) return text;
    }
    return nullptr;
}

void CTLVActivity::StyleAfterTemplate(OTextDView* view, uint32_t templateId) const {
    OView* found = FindPropById(templateId);
    const auto* model = found && found->IsA(OTextView::kClassId) ? static_cast<OTextView*>(found) : nullptr;
    if (model && model->GetFont()) {
        view->UseFont(model->GetFont(), false);
        view->SetTextColor(model->GetTextColor());
    }
    if (model) view->SetAlignment(model->GetAlignment());
    view->SetWordWrap(1);
    view->SetCentreVertically(1);
    view->SetPriority(32767);
}

void CTLVActivity::SetViewText(OTextDView* view, ChunkId textId, CPartFile* file) {
    if (!view) return;
    StyleAfterTemplate(view, kTextTemplate);
    std::string text;
    if (xText_ReadChunkText(file, textId, xLanguage_Get(), &text)) view->SetText(text.c_str());
}

void CTLVActivity::SetViewNumber(OTextDView* view, int16_t value) {
    if (!view) return;
    StyleAfterTemplate(view, kNumberTemplate);
    view->SetText(std::to_string(value).c_str());
}

void CTLVActivity::AddPanelPicture(ButtonPanel_Prop* panel, ChunkId pictureId) {
    AddPanelPicture(panel, pictureId, kPictureX, kPictureY);
}

void CTLVActivity::AddPanelPicture(ButtonPanel_Prop* panel, ChunkId pictureId, float x, float y) {
    auto* picture = new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId);
    if (!picture) return;
    PlaceProp(picture, pictureId, GameFile(), x, y);
    PanelLayer(panel)->AddChild(picture);
    // Attached, the picture shows and hides with its panel.
    panel->AttachToView(picture, 1);
}

void CTLVActivity::AddPanelNumber(ButtonPanel_Prop* panel, uint32_t value, int16_t x, int16_t y) {
    OTextDView* number = CreateTextDView(x, y, kNumberWidth, kNumberHeight, PanelLayer(panel));
    if (!number) return;
    CTLVApp* app = CTLVApp::Get();
    if (OSysFont* font = app ? app->GetFont(kNumberFont) : nullptr) number->UseFont(font, false);
    number->SetAlignment(kAlignCentre);
    // The count's line stands in the middle of its box, which the games centre on the picture.
    number->SetCentreVertically(1);
    number->SetPriority(32767);
    number->SetText(std::to_string(value).c_str());
    // Attached, the count shows and hides with its panel.
    panel->AttachToView(number, 1);
}

void CTLVActivity::HidePanel(int16_t panel, uint8_t flush) {
    ButtonPanel_Prop* p = GetPanel(panel);
    if (!p) return;
    if (panel == kPanelStart && IsPanelShown(panel) && !deletingPanels_) startPanelGone_ = 1;
    p->Show(false, flush);
    if (queuedPanelFlag_) {
        queuedPanelFlag_ = 0;
        CreateButtonPanel(queuedPanel_);
    } else if (!IsPanelShown(-1)) {
        Resume();
        if (showSystemCursor_ == 0) xCursor_Show(false);
        // The panel's button closes it without its hook, and the menu opened over it hides it
        // without either: the music starts here for both, for the menu once it closes. Leaving
        // the game stops the music and asks for the next activity before the last panel closes.
        OActivityManager* manager = GetActivityManager();
        if (startPanelGone_ && !(manager && manager->IsSwitchPending())) {
            startPanelGone_ = 0;
            StartMusicOnce();
        }
    }
}

void CTLVActivity::StartMusicOnce() {
    CTLVApp* app = CTLVApp::Get();
    OMusicProcess* music = app ? app->GetMusic() : nullptr;
    if (!music || !music->IsPlaying()) StartGameMusic();
}

void CTLVActivity::DeletePanels() {
    queuedPanelFlag_ = 0; // teardown opens no panel
    startPanelGone_ = 0;
    deletingPanels_ = 1;
    for (int16_t slot = 0; slot < kPanelSlots; ++slot) {
        HidePanel(slot, 1);
        DeletePanel(slot);
    }
    deletingPanels_ = 0;
}

void CTLVActivity::DeletePanel(int16_t slot) {
    if (slot < 0 || slot >= kPanelSlots || !panels_[slot]) return;
    ButtonPanel_Prop*& p = panels_[slot];
    p->Show(false, 1);
    p->RemoveButtons();
    // What is still attached are its pictures and texts, beside it or in the activity.
    ONode* layer = PanelLayer(p);
    for (int32_t i = p->AttachedCount() - 1; i >= 0; --i) {
        OView* picture = p->AttachedAt(i);
        ONode* parent = picture->GetParent();
        if (parent != this && parent != layer) continue;
        p->DetachChildView(picture);
        parent->RemoveChild(picture);
        delete picture;
    }
    delete p;
    p = nullptr;
}

void CTLVActivity::OnButton(int16_t panel, int16_t button) {
    ClosePanelAfterSpeech(panel, 1);
    if (panel == kPanelMenu) {
        if (button == 1) QueueAction(kPanelLeave);
        else if (button == 2) QueueAction(kPanelNewCar);
        else if (button == 3) QueueAction(kPanelQuit);
    } else if (panel == kPanelQuit && button == 1) {
        StopMusic();
        if (OMessageProcess* messages = GameMessages()) messages->FlushMessages();
        Request(kCreditsScreen);
    } else if (panel == kPanelNewCar && button == 1) {
        StopMusic();
        Request(kGarageScreen);
    }
}

void CTLVActivity::ShowButtonCaption(int16_t panel, int16_t button) {
    if (panel == kPanelMenu) {
        static constexpr int32_t kMenuLabels[] = {kSayContinue, kSayExitArea, kSayNewCar, kSayQuit};
        if (button >= 0 && button < 4) SpeakCaption(kMenuLabels[button]);
    } else if (panel == kPanelQuit || panel == kPanelNewCar || panel == 3 || panel == kPanelDelete ||
               panel == kPanelLeave) {
        if (button == 0) SpeakCaption(kSayNo);
        else if (button == 1) SpeakCaption(kSayYes);
    }
}

void CTLVActivity::SpeakCaption(int32_t kind) {
    OMessageProcess* messages = GameMessages();
    if (!CTLVApp::Get() || !messages || kind < 0 || kind >= int32_t(std::size(kSpoken))) return;
    const SpokenCaption& line = kSpoken[kind];
    if (line.rule == SpeakRule::Label) {
        if (IsCaptionQueued(line.caption, true)) return;
        messages->FlushMessages();
    } else if (line.rule == SpeakRule::Answer) {
        if (IsCaptionQueued(kSpoken[line.other].caption, true)) messages->FlushMessages();
        else if (messages->QueueLength() > 0) return;
    }
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(line.voice);
    record->SetText(kNullChunkId, line.caption);
    if (messages->QueueMessage(record) != 0) record->Reset();
}
