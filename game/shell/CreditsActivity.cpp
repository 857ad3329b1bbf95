#include "game/shell/CreditsActivity.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/Cursor.h"
#include "engine/core/DeferredDelete.h"
#include "engine/core/Window.h"
#include "engine/data/ChunkRecords.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/media/Application.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextDView.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"

namespace {

constexpr int16_t kLinePriority = -50;
constexpr int16_t kPicturePriority = -32767;
/// Used when a style has no font of its own.
constexpr uint32_t kDefaultTextColour = 0x00FFFFFFu;

struct LineHeights {
    int16_t shortLine;
    int16_t tallLine;
    float extra;
};

LineHeights HeightsOf(int16_t style) {
    return style == Credits_Activity::kTitleStyle ? LineHeights{40, 70, 20} : LineHeights{35, 60, 15};
}

/// The style a marker sets; 0 for an id that is no style marker.
int16_t MarkerStyle(ChunkId id) {
    if (id == Credits_Activity::kStyle2Marker) return 2;
    if (id == Credits_Activity::kStyle1000Marker) return Credits_Activity::kTitleStyle;
    if (id == Credits_Activity::kStyle3Marker) return 3;
    if (id == Credits_Activity::kStyle4Marker) return 4;
    return 0;
}

OMusicProcess* GameMusic() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetMusic() : nullptr;
}

} // namespace

Credits_Activity::Credits_Activity() : CTLVActivity("Credits_Activity", kClassId), language_(xLanguage_Get()) {
    scrollTimer_.Stop();
    pictureTimer_.Stop();
}

Credits_Activity::~Credits_Activity() {
    for (OTextDView* line : shown_) RemoveChild(line);
    shown_.clear();
    free_.clear();
}

bool Credits_Activity::IsA(uint32_t classId) const { return classId == kClassId || CTLVActivity::IsA(classId); }

// ---- Start and stop -------------------------------------------------------------------------

int32_t Credits_Activity::OnActivated() {
    const int32_t result = CTLVActivity::OnActivated();
    SetCursorMode(kHitChildrenThenSelf);
    scrollTimer_.Start(kStepMs);
    if (views_.empty()) {
        for (int i = 0; i < kLineViews; ++i) {
            auto view = std::unique_ptr<OTextDView>(new (std::nothrow) OTextDView);
            if (!view) break;
            view->SetPriority(kLinePriority);
            view->SetVisible(0, 0);
            free_.push_back(view.get());
            views_.push_back(std::move(view));
        }
        LoadScript();
        FillLines();
    }
    ready_ = true;
    if (OMusicProcess* music = GameMusic()) {
        music->Stop();
        music->Release();
        music->SetSnippetData(MusicDescriptor{MusicDescriptor::kNoFollowUp, kMusicPiece});
        music->Play();
    }
    FlushMessageQueue();
    xCursor_Show(true);
    pictureTimer_.Start(kPictureMs);
    return result;
}

int32_t Credits_Activity::FlushSoundQueues() {
    if (OWindow* window = OWindow::Main(); window && window->extraView) {
        window->RemoveChild(window->extraView);
        AddDeferredDelete(window->extraView);
        window->extraView = nullptr;
    }
    if (OMusicProcess* music = GameMusic()) {
        music->Stop();
        music->Release();
    }
    return CTLVActivity::FlushSoundQueues();
}

bool Credits_Activity::AcceptObject(OView* object) {
    if (object && object->IsA(OActivityProp::kClassId) && !object->IsA(OTextDView::kClassId)) {
        const uint32_t id = object->GetObjectId();
        if (id >= 1 && id <= uint32_t(kPictures)) {
            auto* picture = static_cast<OActivityProp*>(object);
            pictures_[id - 1] = picture;
            picture->SetVisible(0, 0);
            picture->SetPriority(kPicturePriority);
        }
    }
    return CTLVActivity::AcceptObject(object);
}

// ---- The script -----------------------------------------------------------------------------

void Credits_Activity::LoadScript() {
    script_.clear();
    CPartFile* file = GameFile();
    if (!file || !file->ChunkExists(kScriptId)) {
        xTrace("Credits_Activity : no credits script {12, 0, 31}\n");
        return;
    }
    void* list = LoadChunkList(file, kScriptId);
    if (!list) return;
    int16_t style = kFirstStyle;
    const int16_t count = ChunkListCount(list);
    for (int i = 0; i < count; ++i) {
        const ChunkId id = ChunkListId(list, i);
        if (const int16_t marker = MarkerStyle(id)) {
            style = marker;
        } else if (id == kGapMarker) {
            script_.push_back(Entry{nullptr, kGapStyle});
        } else if (file->ChunkExists(id)) {
            auto texts = std::make_unique<CChunkList>();
            if (!texts->Load(file, id))
                xTracef("Credits_Activity : {%d, %d, %d} holds no text\n", int(ChunkIndexOf(id)),
                        int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
            script_.push_back(Entry{std::move(texts), style});
        } else {
            xTracef("Credits_Activity : skipped the missing {%d, %d, %d}\n", int(ChunkIndexOf(id)),
                    int(ChunkSecondOf(id)), int(ChunkEntryOf(id)));
        }
    }
    file->FreeBlock(list);
}

std::string Credits_Activity::ReadText(const CChunkList& texts) const {
    uint32_t language = language_;
    if (texts.FindValue(language) == 0) language = OTextView::kFallbackLanguage;
    char16_t wide[kMaxCharacters + 1] = {};
    if (!texts.GetText(language, wide, sizeof wide)) return {};
    return plat::locale().WideToMulti(std::u16string_view(wide));
}

void Credits_Activity::FillLines() {
    while (!free_.empty() && FeedLine()) {
    }
}

bool Credits_Activity::FeedLine() {
    if (free_.empty() || position_ >= ScriptCount()) return false;
    const Entry& entry = script_[size_t(position_++)];
    if (entry.style == kGapStyle) {
        pendingGap_ += kGapPixels;
        return true;
    }
    if (!entry.texts) return false;
    // An entry without text keeps its view free and the gap for the next line.
    const std::string text = ReadText(*entry.texts);
    if (text.empty()) return false;
    const float y = LowestLineY() + pendingGap_ + kLineSpacing;
    pendingGap_ = 0;
    OTextDView* view = PopFreeLine();
    SetupLine(view, text, entry.style, y);
    AddChild(view);
    view->SetVisible(1, 1);
    shown_.push_back(view);
    SortChildren();
    return true;
}

void Credits_Activity::SetupLine(OTextDView* view, const std::string& text, int16_t style, float y) {
    OView* found = FindPropById(uint32_t(style));
    const auto* model = found && found->IsA(OTextView::kClassId) ? static_cast<OTextView*>(found) : nullptr;
    if (model && model->GetFont()) {
        view->UseFont(model->GetFont(), false);
        view->SetTextColor(model->GetTextColor());
    } else {
        view->UseFont(GetDefaultSysFont(), false);
        view->SetTextColor(kDefaultTextColour);
    }
    view->SetAlignment(model ? model->GetAlignment() : kAlignCentre);
    const LineHeights heights = HeightsOf(style);
    int16_t height = heights.shortLine;
    if (text.size() > kShortLineBytes) {
        height = heights.tallLine;
        y += heights.extra;
        pendingGap_ += heights.extra;
    }
    view->SetSize(CPoint16(kLineWidth, height), 0);
    view->SetWordWrap(1);
    view->SetText(text.c_str());
    view->SetPosition(CPointF(kLineCentreX, y), 0, 1);
}

OTextDView* Credits_Activity::PopFreeLine() {
    if (free_.empty()) return nullptr;
    OTextDView* view = free_.back();
    free_.pop_back();
    return view;
}

float Credits_Activity::LowestLineY() const {
    if (shown_.empty()) return kFirstLineBase;
    float lowest = shown_.front()->GetPosition().y;
    for (const OTextDView* line : shown_) lowest = std::max(lowest, line->GetPosition().y);
    return lowest;
}

void Credits_Activity::ScrollStep() {
    for (size_t i = shown_.size(); i-- > 0;) {
        OTextDView* line = shown_[i];
        const CPointF at = line->GetPosition();
        if (std::round(at.y - kScrollPixels) >= kTopLimit) {
            line->SetPosition(CPointF(at.x, at.y - kScrollPixels), 0, 1);
            continue;
        }
        // A freed line leaves the stage at once, so no part of a tall one stays at the top.
        line->SetVisible(0, 1);
        RemoveChild(line);
        shown_.erase(shown_.begin() + std::ptrdiff_t(i));
        free_.push_back(line);
    }
}

bool Credits_Activity::IsFinished() const { return position_ >= ScriptCount() && shown_.empty(); }

void Credits_Activity::EndCredits() {
    scrollTimer_.Stop();
    SetCursorMode(kHitNever);
    if (ended_) return;
    ended_ = true;
    if (OActivityManager* manager = GetActivityManager(); manager && !manager->IsSwitchPending())
        manager->RequestActivity(kNullChunkId);
}

// ---- Frames and input -----------------------------------------------------------------------

void Credits_Activity::ShowNextPicture() {
    int next = 0;
    while (next < kPictures && (!pictures_[next] || pictures_[next]->IsVisible())) ++next;
    if (next < kPictures) pictures_[next]->SetVisible(1, 1);
    bool more = false;
    for (int i = next + 1; i < kPictures; ++i) more = more || (pictures_[i] && !pictures_[i]->IsVisible());
    if (more) pictureTimer_.Restart();
    else pictureTimer_.Stop();
}

int32_t Credits_Activity::OnIdle() {
    if (ready_ && !ended_) {
        if (scrollTimer_.paused == 0 && scrollTimer_.HasElapsed()) {
            if (IsFinished()) {
                EndCredits();
            } else {
                ScrollStep();
                FeedLine();
                scrollTimer_.Restart();
            }
        }
        if (pictureTimer_.paused == 0 && pictureTimer_.HasElapsed()) ShowNextPicture();
    }
    return CTLVActivity::OnIdle();
}

void Credits_Activity::Pause() {
    CTLVActivity::Pause();
    scrollTimer_.Pause();
    pictureTimer_.Pause();
}

void Credits_Activity::Resume() {
    if (IsPanelShown(-1)) return;
    CTLVActivity::Resume();
    scrollTimer_.Resume();
    pictureTimer_.Resume();
}

void Credits_Activity::OnKeyDown(uint32_t /*key*/) {
    if (ready_ && IsSkipKeyDown()) EndCredits();
}

void Credits_Activity::OnKey(uint32_t key) {
    if (key == kKeyEsc) {
        if (ready_) EndCredits();
        return;
    }
    CTLVActivity::OnKey(key);
}

void Credits_Activity::OnClick() {
    OActivityManager* manager = GetActivityManager();
    if (ready_ && !(manager && manager->IsSwitchPending())) EndCredits();
    CTLVActivity::OnClick();
}
