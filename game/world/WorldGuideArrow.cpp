// The driving world's screen help: the guide arrow with its marker, and the information overlay.
#include <cmath>
#include <new>

#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextCView.h"
#include "game/world/TLVWorldActivity.h"

namespace {

constexpr ChunkId kArrowPart = MakeChunkId(2, 543);
constexpr ChunkId kMarkerPart = MakeChunkId(2, 1197);
constexpr int32_t kArrowPriority = 30400;
/// The activity whose intro still shows the marker.
constexpr ChunkId kMarkerDuringIntro = MakeChunkId(1, 14);
constexpr uint32_t kBlended = 3;

/// The arrow's eight directions (y grows downwards); direction i shows arrow state i + 1.
constexpr float kArrowDirections[8][2] = {{0, -1},   {0.8f, -0.6f}, {1, 0},  {0.8f, 0.6f},
                                          {0, 1},    {-0.8f, 0.6f}, {-1, 0}, {-0.8f, -0.6f}};
constexpr double kNoAngle = 500.0;

/// The overlay's text colours (red, green, blue, 0), taken in turn by the colour key.
constexpr uint32_t kInfoColours[8] = {0x00FFFFFFu, 0x00FFFF00u, 0x0000FFFFu, 0x0000FF00u,
                                      0x00FF00FFu, 0x00FF8000u, 0x008080FFu, 0x00000000u};
constexpr int kStartColour = 3;
constexpr int16_t kInfoWidth = 400, kInfoHeight = 200;
constexpr float kInfoX = 320.0f, kInfoY = 100.0f;
constexpr int32_t kInfoPriority = 32767;
constexpr int16_t kInfoFontSize = 9;
/// The overlay lies over the counters and the scenery at the top of the stage: it has a
/// backing of its own, the captions' dark blue, so that its text reads whatever lies under it.
constexpr uint32_t kInfoBacking = 0x00501810u;
/// How far the overlay's text keeps inside its backing.
constexpr int16_t kInfoMargin = 4;

/// A prop of the engine's own class made in code: part, priority, hidden.
OActivityProp* MakeHelpProp(CPartFile* file, ChunkId part) {
    auto* prop = new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId);
    if (!prop) return nullptr;
    LoadArt(prop, file, part, 1);
    prop->SetPriority(kArrowPriority);
    prop->SetVisible(0, 0);
    return prop;
}

bool Overlap(const CRect16& a, const CRect16& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void HideShown(OActivityProp* prop) {
    if (prop && prop->IsVisible()) prop->SetVisible(0, 0);
}

/// The arrow state (1-8) of the direction nearest to the vector; a tie goes to the lower.
int32_t GuideArrowState(float x, float y) {
    const double length = std::sqrt(double(x) * x + double(y) * y);
    double best = kNoAngle;
    int32_t state = 1;
    for (int32_t i = 0; i < 8; ++i) {
        const double c = length == 0.0 ? 1.0 : (kArrowDirections[i][0] * x + kArrowDirections[i][1] * y) / length;
        const double angle = std::acos(c < -1.0 ? -1.0 : c > 1.0 ? 1.0 : c);
        if (angle < best) {
            best = angle;
            state = i + 1;
        }
    }
    return state;
}

} // namespace

void TLVWorld_Activity::ShowGuideArrow(OActivityProp* target) {
    if (!guideArrow_) {
        OWindow* window = OWindow::Main();
        guideArrow_ = window ? MakeHelpProp(GameFile(), kArrowPart) : nullptr;
        if (guideArrow_) {
            guideArrow_->SetPositionXY(GetStageWidth() / 2.0f, GetStageHeight() / 2.0f, 0, 1);
            window->AddChild(guideArrow_);
        }
        if (!guideArrow_) xTracef("TLVWorld_Activity - %s : the guide arrow cannot be made\n", GetName());
    }
    arrowTarget_ = target;
    UpdateGuideArrow();
}

void TLVWorld_Activity::HideGuideArrow() {
    HideShown(guideArrow_);
    arrowTarget_ = nullptr;
}

void TLVWorld_Activity::UpdateGuideArrow() {
    if (!guideArrow_ || !arrowTarget_) {
        HideShown(guideMarker_);
        return;
    }
    const CRect16 view = GetVisibleRect();
    const CPointF centre = arrowTarget_->GetPosition();
    CRect16 box;
    if (arrowTarget_->HasRightAngleRotation()) {
        const int16_t w = arrowTarget_->GetWidth(), h = arrowTarget_->GetHeight();
        const int32_t left = int32_t(centre.x) - w / 2, top = int32_t(centre.y) - h / 2;
        box = CRect16(int16_t(left), int16_t(top), int16_t(left + w), int16_t(top + h));
    }
    if (Overlap(box, view)) {
        HideShown(guideArrow_);
        const OActivityManager* manager = GetActivityManager();
        const bool introShows = HasIntro() && !IsIntroDone();
        if (introShows && !(manager && manager->GetCurrentId() == kMarkerDuringIntro)) return;
        if (!guideMarker_) {
            guideMarker_ = MakeHelpProp(GameFile(), kMarkerPart);
            if (!guideMarker_) return;
            guideMarker_->SetDrawMode(kBlended);
            AddChild(guideMarker_);
        }
        guideMarker_->SetPositionXY(centre.x, centre.y, 0, 1);
        guideMarker_->SetVisible(1, 1);
        return;
    }
    const float vx = centre.x - (view.left + view.right) / 2.0f;
    const float vy = centre.y - (view.top + view.bottom) / 2.0f;
    guideArrow_->SetState(GuideArrowState(vx, vy));
    guideArrow_->SetVisible(1, 1);
    HideShown(guideMarker_);
}

// ---- The information overlay ----------------------------------------------------------------------

void TLVWorld_Activity::CreateInfoView() {
    OWindow* window = OWindow::Main();
    if (!infoView_ && window) {
        auto* view = new (std::nothrow) OTextCView("OTextCView", OTextCView::kClassId);
        auto* font = new (std::nothrow) OSysFont(kInfoFontSize, true);
        if (view && font && !view->UseFont(font, true)) delete font;
        else if (!view) delete font;
        if (view) {
            view->SetPriority(kInfoPriority);
            view->SetVisible(0, 0);
            view->SetCursorMode(0);
            view->SetTextColor(kInfoColours[kStartColour]);
            view->SetTransparent(0);
            view->SetBackColor(kInfoBacking);
            // The help's longest lines are wider than the overlay: they wrap inside it.
            view->SetWordWrap(1);
            view->SetMargin(kInfoMargin);
            view->SetSize(CPoint16(kInfoWidth, kInfoHeight), 0);
            view->SetPositionXY(kInfoX, kInfoY, 0, 1);
            window->AddChild(view);
            infoView_ = view;
        }
    }
    UpdateInfoText();
}

void TLVWorld_Activity::DestroyInfoView() {
    if (!infoView_) return;
    if (ONode* parent = infoView_->GetParent()) parent->RemoveChild(infoView_);
    delete infoView_;
    infoView_ = nullptr;
}

void TLVWorld_Activity::CycleInfoColour() {
    auto* view = dynamic_cast<OTextView*>(infoView_);
    if (!view || !view->IsShownThroughParents() || !view->IsVisible()) return;
    int next = 0;
    for (int i = 0; i < 8; ++i)
        if (view->GetTextColor() == kInfoColours[i]) next = (i + 1) % 8;
    view->SetTextColor(kInfoColours[next]);
}
