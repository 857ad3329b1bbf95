#include "game/shell/SignInActivity.h"

#include <cstring>
#include <iterator>
#include <new>

#include "engine/base/Random.h"
#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/data/Strings.h"
#include "engine/media/Application.h"
#include "engine/media/BinkInterstitial.h"
#include "engine/media/InputMethod.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Font.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/NameFilter.h"
#include "engine/media/TextDView.h"
#include "engine/media/TextIMEView.h"
#include "game/shell/ButtonPanel.h"
#include "game/shell/Captions.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/Player.h"
#include "game/shell/SignInBadgeProps.h"
#include "game/shell/SignInDeleteButton.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"

namespace {

/// Colours (red, green, blue, 0).
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }
constexpr uint32_t kWhite = Rgb(255, 255, 255);
constexpr uint32_t kGrey = Rgb(128, 128, 128);
constexpr uint32_t kEditing = Rgb(12, 12, 12);
constexpr uint32_t kHighlight = Rgb(255, 221, 59);
constexpr uint32_t kEntryBack = Rgb(255, 255, 0);

constexpr int16_t kEntryWidth = 270;
constexpr int16_t kEntryHeight = 44;
constexpr char kWidthLimit[] = "WWWWWWWWWWWW";
constexpr uint32_t kFontProp = 2;
constexpr uint32_t kDeleteLabelId = 100;
constexpr ChunkId kEmptyIconPart = MakeChunkId(2, 891);
constexpr ChunkId kTextBackPart = MakeChunkId(2, 1000);
constexpr ChunkId kBadgeClick = MakeChunkId(7, 89);
constexpr ChunkId kFirstMovie = MakeChunkId(18, 6);
constexpr ChunkId kTitleScreen = MakeChunkId(1, 3);
constexpr ChunkId kGarageScreen = MakeChunkId(1, 5);
constexpr uint16_t kBackMusic = 561;
constexpr uint16_t kFirstSuggestion = 318;
constexpr int kSuggestions = 8;
constexpr size_t kNameBytes = 64;
/// The delete question.
constexpr ChunkId kDeleteArt = MakeChunkId(2, 349);
constexpr int32_t kDeletePriority = 30500;
constexpr ChunkId kDeleteButtons[] = {MakeChunkId(2, 1147), MakeChunkId(2, 9)};
constexpr ChunkId kDeletePicture = MakeChunkId(2, 1080);
constexpr ChunkId kDeleteText = MakeChunkId(17, 49);
/// The world-start counters: all 0 for a player who has not driven out yet.
constexpr int kWorldStartCounters[] = {13, 14, 15};
constexpr int16_t kMovieMinimumFrame = 5;
constexpr uint32_t kMovieValue = 0x8000;
/// The continue button's state while the start hint is spoken.
constexpr int32_t kHintState = 3;

enum class Rule {
    Always,
    Quiet,       ///< dropped while a line is queued
    Flush,       ///< the queue is emptied first
    Pair,        ///< an empty record before the line, both with the button callback
    QuietPair,   ///< both
    LabelAnswer, ///< empties the queue when the other label waits, else only when quiet
};

struct HelpLine {
    uint16_t voice;
    const char* caption;
    Rule rule;
};

// 0x92, 0x93 and 0x94 are the code page's right single quote and the double quotes.
constexpr HelpLine kHelpLines[SignIn_Activity::kLines] = {
    {589, "Here\x92s where we sign you up for the job.", Rule::Always},
    {590, "Pick an empty badge and type in your name.", Rule::Always},
    {591, "Or if you\x92ve helped us before, find your name and click on it.", Rule::Always},
    {759, kStartHintCaption, Rule::Pair},
    {593, "Use the delete key to remove a name and make room for a new player.", Rule::Quiet},
    {594, "Type your name in an empty badge and let\x92s get a move-on!", Rule::Quiet},
    {595, "When you\x92re done, click \x93" "blue arrow badge\x94 to get started on your mission.", Rule::QuietPair},
    {596, "We already have that name.  Try a different one.  Maybe a nickname.", Rule::Quiet},
    {597, "That\x92s not a name... how about this one?", Rule::Flush},
    {598, "Whoa, we can\x92t get going until we get your name.", Rule::Quiet},
    {599, "Type your name in an empty badge or find your name on the list and THEN click \"blue arrow badge\"",
     Rule::Quiet},
    {604, "We need to get going.  There\x92s emergency\x92s that need our help!", Rule::Quiet},
    {600, "Great.  Let\x92s get to it!", Rule::Always},
    {601, "Good, let\x92s go!  Time to be a hero!", Rule::Always},
    {602, "We\x92re on our way!", Rule::Always},
    {213, "Continue to Garage", Rule::LabelAnswer},
    {214, "Delete Player", Rule::LabelAnswer},
};
[[maybe_unused]] const bool kHelpLinesListed = captions::List(kHelpLines);
constexpr int kContinueLabel = 15;
constexpr int kDeleteLabel = 16;

OMessageProcess* Messages() {
    OApplication* app = OApplication::Get();
    return app ? app->GetMessageProcess() : nullptr;
}

CPlayer* Player() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

bool StartsWithBlank(const std::string& text) { return !text.empty() && text[0] == ' '; }

/// The text cut to a name's bytes after its last whole character: a double-byte character
/// never loses its trail byte.
std::string CutToName(const char* text) {
    char name[kNameBytes + 1];
    xStr_CopyBytes(name, text, sizeof name);
    return name;
}

int32_t SkipKeyOrButton() { return IsSkipKeyOrButtonDown() ? 1 : 0; }

/// Turns editing of a badge's name on or off. Centred, a name wider than its badge loses both
/// ends: one that is not being edited shows its beginning instead.
void SetNameEditing(OTextIMEView* entry, bool on) {
    entry->SetEditing(on);
    const bool wider = entry->GetTextWidth(entry->GetTextPtr()) > entry->GetWidth();
    entry->SetAlignment(!on && wider ? kAlignLeft : kAlignCentre);
}

} // namespace

SignIn_Activity* CurrentSignIn() {
    CTLVActivity* activity = CurrentGameActivity();
    return activity && activity->IsA(SignIn_Activity::kClassId) ? static_cast<SignIn_Activity*>(activity) : nullptr;
}

SignIn_Activity::SignIn_Activity() : CTLVActivity("SignIn_Activity", kClassId) {}

SignIn_Activity::~SignIn_Activity() {
    if (xIME_GetCurrentView() && xIME_GetCurrentView()->GetParent() == this) xIME_SetCurrentView(nullptr);
}

bool SignIn_Activity::IsA(uint32_t classId) const { return classId == kClassId || CTLVActivity::IsA(classId); }

// ---- Start and stop ---------------------------------------------------------------------------

bool SignIn_Activity::AcceptObject(OView* object) {
    if (object && object->IsA(Navigation_Prop::kClassId) && object->GetClassId() == Navigation_Prop::kClassId &&
        static_cast<Navigation_Prop*>(object)->GetTarget() == kGarage) {
        continueButton_ = static_cast<Navigation_Prop*>(object);
    } else if (object && object->IsA(Sign_In_Delete_Button::kClassId)) {
        deleteButton_ = static_cast<Sign_In_Delete_Button*>(object);
        deleteButton_->Disable();
        deleteButton_->SetCursorMode(kHitNever);
    } else if (object && object->IsA(OTextDView::kClassId) && object->GetObjectId() == kDeleteLabelId) {
        deleteLabel_ = static_cast<OTextDView*>(object);
        deleteLabel_->SetTextColor(kGrey);
    }
    return CTLVActivity::AcceptObject(object);
}

void SignIn_Activity::MakeBadge(int b, OFont* font) {
    Badge& badge = badges_[size_t(b)];
    const auto x = int16_t(177 + 290 * (b % 2));
    const auto y = int16_t(145 + 65 * (b / 2));
    badge.entry = CreateTextIMEView(x, y, kEntryWidth, kEntryHeight, nullptr);
    badge.back = new (std::nothrow) Sign_In_Text_BG;
    badge.icon = new (std::nothrow) Sign_In_Empty_Icon;
    if (!badge.entry || !badge.back || !badge.icon) {
        xTracef("SignIn_Activity : badge %d cannot be made\n", b);
        delete badge.entry;
        delete badge.back;
        delete badge.icon;
        badge = Badge{};
        return;
    }
    OTextIMEView* entry = badge.entry;
    if (font) entry->UseFont(font, false);
    entry->Reformat();
    entry->SetWordWrap(0);
    entry->SetTextColor(kWhite);
    entry->SetBackColor(kEntryBack);
    entry->SetTransparent(1);
    entry->SetPriority(32767);
    entry->SetWidthLimitText(kWidthLimit);
    entry->SetMaxLength(int32_t(kNameBytes));

    CPlayer* player = Player();
    const SaveSlotState state = player ? player->Load(b) : SaveSlotState::Unreadable;
    badge.unreadable = state == SaveSlotState::Unreadable;
    const std::string name = player ? player->GetName() : "";
    entry->SetText(name.c_str());
    const bool empty = !badge.unreadable && (name.empty() || StartsWithBlank(name));
    if (empty && player) {
        // A slot already holding the new-player record keeps its bytes.
        const PlayerRecordBytes stored = EncodePlayerRecord(player->Record());
        player->SetDefaults();
        if (state != SaveSlotState::Valid || EncodePlayerRecord(player->Record()) != stored) player->Save(b);
    }
    entry->SetVisible(empty ? 0 : 1, 0);
    SetNameEditing(entry, false);

    const CPointF place(x, y);
    LoadArt(badge.icon, GameFile(), kEmptyIconPart, 0);
    badge.icon->SetPosition(place, 0, 1);
    // The picture takes the pointer, so that a click on an empty badge reaches it.
    badge.icon->SetCursorMode(kHitChildrenThenSelf);
    badge.icon->SetVisible(empty ? 1 : 0, 0);
    LoadArt(badge.back, GameFile(), kTextBackPart, 0);
    badge.back->SetPosition(place, 0, 1);
    badge.back->SetCursorMode(kHitChildrenThenSelf);
    badge.back->SetBadge(int16_t(b));
    badge.back->SetVisible(0, 0);
    AddChild(badge.entry);
    AddChild(badge.back);
    AddChild(badge.icon);
}

int32_t SignIn_Activity::OnActivated() {
    const OView* fontProp = FindPropById(kFontProp);
    OFont* font = fontProp && fontProp->IsA(OTextView::kClassId) ? static_cast<const OTextView*>(fontProp)->GetFont()
                                                                 : nullptr;
    if (!font) xTrace("SignIn_Activity : no badge font (prop 2): the default system font\n");
    for (int b = 0; b < kBadges; ++b)
        if (!badges_[size_t(b)].entry) MakeBadge(b, font);
    bool anyEmpty = false;
    for (const Badge& badge : badges_) anyEmpty = anyEmpty || (badge.icon && badge.icon->IsVisible());
    selected_ = -1;
    // A badge that holds a name shows only its text, which takes no pointer: a click there
    // reaches the screen itself, whose click test finds the badge.
    SetCursorMode(kHitChildrenThenSelf);
    SetClickMode(kClickClick);
    const int32_t result = CTLVActivity::OnActivated();

    OActivityManager* manager = GetActivityManager();
    const ChunkId before = manager ? manager->GetPreviousId() : kNullChunkId;
    if (before == kTitleScreen) {
        for (const int n : {0, anyEmpty ? 1 : 4, 2, 3}) ShowMessage(n);
    } else if (before == kGarageScreen) {
        CTLVApp* app = CTLVApp::Get();
        if (OMusicProcess* music = app ? app->GetMusic() : nullptr) {
            music->Stop();
            music->Release();
            music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, kBackMusic});
            music->Play();
        }
    }
    return result;
}

int32_t SignIn_Activity::FlushSoundQueues() {
    CPlayer* player = Player();
    if (Valid(selected_) && player) {
        // Only a name that may be stored is saved; otherwise the slot keeps what it holds.
        const int16_t slot = selected_;
        if (!StoreSelectedName(false) && !badges_[size_t(slot)].unreadable) player->Load(slot);
        if (player->GetName()[0] != '\0' && CTLVApp::Get()) CTLVApp::Get()->SetSaveSlot(slot);
    }
    bool started = false;
    for (const int counter : kWorldStartCounters) started = started || (player && player->GetCounter(counter) != 0);
    if (!started)
        if (CTLVApp* app = CTLVApp::Get(); app && app->GetMusic()) app->GetMusic()->Stop();
    if (xIME_GetCurrentView() && xIME_GetCurrentView()->GetParent() == this) xIME_SetCurrentView(nullptr);
    return CTLVActivity::FlushSoundQueues();
}

// ---- Names --------------------------------------------------------------------------------------

std::string SignIn_Activity::EntryText(int b) const {
    const OTextIMEView* entry = GetEntry(b);
    return entry ? std::string(entry->GetTextPtr()) : std::string();
}

bool SignIn_Activity::IsNameTaken(const char* text) const {
    if (!text || !*text) return false;
    for (int b = 0; b < kBadges; ++b)
        if (b != selected_ && GetEntry(b) && xStr_Compare(GetEntry(b)->GetTextPtr(), text) == 0) return true;
    return false;
}

SignIn_Activity::NameCheck SignIn_Activity::CheckName(std::string& text) const {
    // Trimmed before it is cut; what the cut leaves at the end is trimmed too.
    std::string trimmed = text;
    std::string name = CutToName(xStr_Trim(trimmed.data()));
    text = xStr_TrimRight(name.data());
    if (xText_ContainsBlockedWord(text.c_str())) return NameCheck::Blocked;
    if (text.empty() || StartsWithBlank(text)) return NameCheck::Empty;
    if (IsNameTaken(text.c_str())) return NameCheck::Taken;
    return NameCheck::Good;
}

bool SignIn_Activity::StoreSelectedName(bool speak) {
    CPlayer* player = Player();
    if (!Valid(selected_) || !player || badges_[size_t(selected_)].unreadable) return false;
    std::string text = EntryText(selected_);
    const NameCheck check = CheckName(text);
    if (check == NameCheck::Good) {
        GetEntry(selected_)->SetText(text.c_str());
        player->SetName(text.c_str());
        player->Save(selected_);
        return true;
    }
    if (speak && check == NameCheck::Blocked) {
        ShowMessage(8);
        SuggestName();
    } else if (speak && check == NameCheck::Taken) {
        ShowMessage(7);
    }
    return false;
}

void SignIn_Activity::SuggestName() {
    OTextIMEView* entry = GetEntry(selected_);
    if (!entry) return;
    std::string suggestion;
    auto read = [&](int k) {
        suggestion.clear();
        xText_ReadChunkText(GameFile(), MakeChunkId(17, uint16_t(kFirstSuggestion + k)), xLanguage_Get(), &suggestion);
        suggestion = CutToName(suggestion.c_str());
        return !suggestion.empty() && !IsNameTaken(suggestion.c_str());
    };
    bool found = false;
    for (int draw = 0; draw < kSuggestionDraws && !found; ++draw) found = read(xRand() & 7);
    for (int k = 0; k < kSuggestions && !found; ++k) found = read(k);
    if (!found) suggestion.clear();
    entry->SetText(suggestion.c_str());
}

// ---- Badges -------------------------------------------------------------------------------------

void SignIn_Activity::SetDeleteShown(bool on) {
    if (deleteButton_) {
        deleteButton_->SetCursorMode(on ? kHitChildrenThenSelf : kHitNever);
        if (on) deleteButton_->Enable();
        else deleteButton_->Disable();
    }
    if (deleteLabel_) deleteLabel_->SetTextColor(on ? kWhite : kGrey);
}

void SignIn_Activity::ShowStored(int b) {
    Badge& badge = badges_[size_t(b)];
    CPlayer* player = Player();
    const std::string name = player && !badge.unreadable ? player->GetName() : "";
    badge.entry->SetText(name.c_str());
    const bool empty = name.empty() && !badge.unreadable;
    badge.entry->SetVisible(empty ? 0 : 1, 0);
    badge.back->SetVisible(0, 0);
    badge.icon->SetVisible(empty ? 1 : 0, 0);
}

void SignIn_Activity::SelectBadge(int16_t b) {
    CPlayer* player = Player();
    // While a question is open the selection stays: a yes to the delete question removes the
    // player it was asked for.
    if (b != selected_ && IsPanelShown(-1)) return;
    if (b == selected_) {
        if (!Valid(b) || !GetEntry(b)) return;
        // A name that may not be stored leaves the record's name as it was.
        if (StoreSelectedName(true) || badges_[size_t(b)].unreadable) SetDeleteShown(true);
        return;
    }
    if (Valid(selected_) && GetEntry(selected_)) {
        const int16_t c = selected_;
        Badge& left = badges_[size_t(c)];
        std::string text = EntryText(c);
        const NameCheck check = CheckName(text);
        left.entry->SetText(text.c_str());
        if (check == NameCheck::Blocked) {
            ShowMessage(8);
            SuggestName();
            return;
        }
        if (check == NameCheck::Good && !left.unreadable) {
            player->SetName(text.c_str());
            player->Save(c);
        } else {
            if (check == NameCheck::Taken) ShowMessage(7);
            if (player) player->Load(c);
            ShowStored(c);
        }
        left.entry->SetTextColor(kWhite);
        left.back->SetVisible(0, 0);
        SetNameEditing(left.entry, false);
    }
    if (Valid(b) && GetEntry(b)) {
        Badge& badge = badges_[size_t(b)];
        badge.entry->SetTextColor(kEditing);
        xIME_SetCurrentView(badge.entry);
        SetNameEditing(badge.entry, !badge.unreadable);
        badge.entry->SetVisible(1, 0);
        badge.back->SetVisible(1, 0);
        badge.icon->SetVisible(0, 0);
        if (player) player->Load(b);
        SetDeleteShown(EntryText(b)[0] != '\0' || badge.unreadable);
    }
    selected_ = Valid(b) ? b : -1;
}

void SignIn_Activity::DeletePlayer() {
    CPlayer* player = Player();
    if (!Valid(selected_) || !player) return;
    Badge& badge = badges_[size_t(selected_)];
    if (player->Delete(selected_)) badge.unreadable = false;
    if (badge.entry) {
        badge.entry->SetText(player->GetName());
        SetNameEditing(badge.entry, !badge.unreadable);
    }
    SetDeleteShown(false);
}

void SignIn_Activity::HighlightBadge(int16_t b) {
    for (int i = 0; i < kBadges; ++i) {
        Badge& badge = badges_[size_t(i)];
        if (i == b || !badge.entry) continue;
        badge.icon->OnCursorLeave();
        badge.entry->SetTextColor(kWhite);
    }
    if (Valid(b) && GetEntry(b)) {
        Badge& badge = badges_[size_t(b)];
        if (badge.icon->IsVisible()) badge.icon->OnCursorEnter();
        else if (!badge.back->IsVisible()) badge.entry->SetTextColor(kHighlight);
    }
    PlayOnPipe7();
}

// ---- Lines --------------------------------------------------------------------------------------

void SignIn_Activity::OnLineEnded(intptr_t /*mark*/, int32_t /*skipped*/) {
    SignIn_Activity* screen = CurrentSignIn();
    Navigation_Prop* button = screen ? screen->continueButton_ : nullptr;
    if (button) button->SetState(button->GetState() == kHintState ? 0 : kHintState);
}

void SignIn_Activity::QueueLine(int n) {
    OMessageProcess* messages = Messages();
    const HelpLine& line = kHelpLines[n];
    if (!messages) return;
    const bool pair = line.rule == Rule::Pair || line.rule == Rule::QuietPair;
    if (pair) {
        if (OMessageRecord* mark = messages->AllocMessage(1)) {
            mark->endCallback = &OnLineEnded;
            mark->userValue = 1;
            if (messages->QueueMessage(mark) != 0) mark->Reset();
        }
    }
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(MakeChunkId(7, line.voice));
    record->SetText(kNullChunkId, line.caption);
    if (pair) {
        record->endCallback = &OnLineEnded;
        record->userValue = 0;
    }
    if (messages->QueueMessage(record) != 0) record->Reset();
}

void SignIn_Activity::ShowMessage(int n) {
    if (n < 0 || n >= kLines || IsCaptionQueued(kStartHintCaption)) return;
    const HelpLine& line = kHelpLines[n];
    if (IsCaptionQueued(line.caption)) return;
    switch (line.rule) {
    case Rule::Quiet:
    case Rule::QuietPair:
        if (IsMessageQueued()) return;
        break;
    case Rule::Flush:
        FlushMessageQueue();
        break;
    case Rule::LabelAnswer: {
        const int other = n == kContinueLabel ? kDeleteLabel : kContinueLabel;
        if (IsCaptionQueued(kHelpLines[other].caption)) FlushMessageQueue();
        else if (IsMessageQueued()) return;
        break;
    }
    default:
        break;
    }
    QueueLine(n);
}

// ---- Input --------------------------------------------------------------------------------------

int32_t SignIn_Activity::OnIdle() {
    if (HintTimerElapsed() >= kHintMs) {
        ResetHintTimer();
        static constexpr int kHints[] = {5, 6, 11};
        ShowMessage(kHints[xRand() % 3]);
    }
    return CTLVActivity::OnIdle();
}

void SignIn_Activity::OnKeyDown(uint32_t key) {
    if (!Valid(selected_)) return;
    if (key == kKeyEnter) SelectBadge(selected_);
    else if (key == kKeyTab) SelectBadge(int16_t((selected_ + 1) % kBadges));
}

void SignIn_Activity::OnKey(uint32_t key) {
    if (key == kKeyEsc) {
        if (IsPanelShown(kPanelQuit)) ClosePanelAfterSpeech(kPanelQuit, 1);
        else CreateButtonPanel(kPanelQuit);
        ResetHintTimer();
        return;
    }
    for (const Badge& badge : badges_)
        if (badge.entry && badge.entry->Caret().editing) {
            ResetHintTimer();
            return; // the key is the entry's
        }
    CTLVActivity::OnKey(key);
}

void SignIn_Activity::OnClick() {
    OWindow* window = OWindow::Main();
    if (window) {
        const plat::WinPoint cursor = plat::input().ScreenToClient(window->GetWindowId(), plat::input().CursorPos());
        for (int b = 0; b < kBadges; ++b) {
            const OTextIMEView* entry = GetEntry(b);
            if (!entry || entry->GetRotation() % 90 != 0 || b == selected_) continue;
            const int32_t left = int32_t(entry->GetPosition().x) - entry->GetWidth() / 2;
            const int32_t top = int32_t(entry->GetPosition().y) - entry->GetHeight() / 2;
            if (cursor.x >= left && cursor.x < left + entry->GetWidth() && cursor.y >= top &&
                cursor.y < top + entry->GetHeight()) {
                PlaySound(kBadgeClick, kAnyPipe, 127);
                SelectBadge(int16_t(b));
                break;
            }
        }
    }
    CTLVActivity::OnClick();
}

// ---- Leaving ------------------------------------------------------------------------------------

bool SignIn_Activity::MayNavigate(uint16_t target) {
    if (target == 0) return true;
    if (target == kQuitTarget) {
        CreateButtonPanel(kPanelQuit);
        return false;
    }
    auto noName = [&] { ShowMessage((xRand() & 1) == 0 ? 9 : 10); };
    if (!Valid(selected_) || badges_[size_t(selected_)].unreadable) {
        noName();
        return false;
    }
    std::string text = EntryText(selected_);
    const NameCheck check = CheckName(text);
    if (check == NameCheck::Blocked) {
        ShowMessage(8);
        SuggestName();
        return false;
    }
    GetEntry(selected_)->SetText(text.c_str());
    if (check == NameCheck::Taken) {
        ShowMessage(7);
        return false;
    }
    if (check == NameCheck::Empty) {
        noName();
        return false;
    }
    FlushMessageQueue();
    ShowMessage(12 + xRand() % 3);
    SetCursorMode(kHitNever);
    SetNameEditing(GetEntry(selected_), false);
    UnwatchKey(kKeyEsc);
    CPlayer* player = Player();
    for (const int counter : kWorldStartCounters)
        if (player && player->GetCounter(counter) != 0) return true;
    OActivityManager* manager = GetActivityManager();
    if (auto* movie = manager ? new (std::nothrow) OBinkInterstitial : nullptr) {
        movie->SetMovie(GameFile(), kFirstMovie, 0, 0, 0, kMovieMinimumFrame, kMovieValue);
        movie->SetSkipTest(SkipKeyOrButton);
        manager->AddOverlay(movie);
    }
    return true;
}

void SignIn_Activity::OnButtonHover(uint32_t objectId) {
    if (objectId == 1) ShowMessage(kContinueLabel);
    else if (objectId == 2) ShowMessage(kDeleteLabel);
    else if (objectId == 3) SpeakCaption(0);
}

void SignIn_Activity::CreateButtonPanel(int16_t panel) {
    if (panel == kPanelDelete && !GetPanel(kPanelDelete)) {
        auto* p = new (std::nothrow) ButtonPanel_Prop(kDeleteArt, uint16_t(kPanelDelete), kDeletePriority);
        if (p && AdoptPanel(kPanelDelete, p)) {
            for (uint16_t i = 0; i < 2; ++i) p->AddButton(i, kDeleteButtons[i]);
            AddPanelPicture(p, kDeletePicture);
            AddPanelText(p, kDeleteText, 320, 42, 500, 150);
        }
    }
    CTLVActivity::CreateButtonPanel(panel);
    if (IsPanelShown(-1)) HideNamesUnderPanels(true);
}

void SignIn_Activity::HidePanel(int16_t panel, uint8_t flush) {
    CTLVActivity::HidePanel(panel, flush);
    if (!IsPanelShown(-1)) HideNamesUnderPanels(false);
}

void SignIn_Activity::HideNamesUnderPanels(bool hide) {
    if (hide == namesHidden_) return;
    namesHidden_ = hide;
    for (size_t b = 0; b < badges_.size(); ++b) {
        OTextIMEView* entry = badges_[b].entry;
        if (!entry) continue;
        if (hide) namesShown_[b] = entry->IsVisible() ? 1 : 0;
        entry->SetVisible(hide ? 0 : namesShown_[b], 0);
    }
}

void SignIn_Activity::OnButton(int16_t panel, int16_t button) {
    if (panel != kPanelDelete) {
        CTLVActivity::OnButton(panel, button);
        return;
    }
    ClosePanelAfterSpeech(panel, 1);
    if (button == 1) DeletePlayer();
}
