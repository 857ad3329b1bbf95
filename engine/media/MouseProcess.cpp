#include "engine/media/MouseProcess.h"

#include <algorithm>

#include "engine/core/ActivityProp.h"
#include "engine/core/Window.h"
#include "engine/media/Application.h"
#include "platform/Platform.h"

namespace {

bool AsksForHoverCursor(const OView* view) {
    return view && (view->GetCursorMode() == OView::kHitChildrenThenSelf || view->GetCursorMode() == OView::kHitSelf);
}

bool SystemCursorFlag() {
    const OApplication* app = OApplication::Get();
    return app && app->systemCursorFlag;
}

int16_t ToInt16(int32_t v) { return int16_t(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX)); }

} // namespace

OMouseProcess::OMouseProcess() : OProcess("OProcess", kClassId) {
    SetEventMask(kEventMouse);
    SetUserData(kUserValue);
    normalCursor_ = hoverCursor_ = xCursor_LoadArrow();
    updateTimer_.Start(kUpdateMs);
    OView::SetHoverCursor(this);
}

OMouseProcess::~OMouseProcess() {
    if (OView::GetHoverCursor() == this) OView::SetHoverCursor(nullptr);
    if (OApplication* app = OApplication::Get()) app->ForgetProcess(this);
}

int32_t OMouseProcess::OnIdle() {
    if (updateTimer_.HasElapsed()) {
        Update();
        updateTimer_.Restart();
    }
    return 1;
}

void OMouseProcess::SetCurrentCursor(xCursor cursor) {
    if (!cursor) {
        RestoreCursor();
        return;
    }
    currentCursor_ = cursor;
    xCursor_Set(cursor);
}

void OMouseProcess::RestoreCursor() {
    currentCursor_ = 0;
    if (normalCursor_) xCursor_Set(normalCursor_);
    Update();
}

void OMouseProcess::Update() {
    OWindow* window = OWindow::Main();
    if (!window) return;
    const plat::WindowId id = window->GetWindowId();
    const plat::WinPoint client = plat::input().ScreenToClient(id, plat::input().CursorPos());
    OView* under = window->ViewAtPoint(CPoint16(ToInt16(client.x), ToInt16(client.y)));
    if (!pointerActive_ || !pointerView_) {
        if (AsksForHoverCursor(under)) {
            xCursor_Set(hoverCursor_);
        } else {
            const plat::Window* w = plat::WindowById(id);
            const plat::WinRect area = w ? w->ClientRect() : plat::WinRect{};
            if (client.x >= area.left && client.x < area.right && client.y >= area.top && client.y < area.bottom)
                xCursor_Set(normalCursor_);
        }
        return;
    }
    if (AsksForHoverCursor(under)) pointerView_->ChangeState(1);
    else if (!under) pointerView_->ChangeState(0);
    if (SystemCursorFlag()) xCursor_Show(false);
    pointerView_->SetPosition(CPointF(float(client.x), float(client.y)), 0, 1);
}

void OMouseProcess::Refresh() {
    if (currentCursor_) xCursor_Set(currentCursor_);
    Update();
    updateTimer_.Restart();
}

void OMouseProcess::SetCursorView(OActivityProp* view) {
    if (!pointerView_ && view) {
        pointerView_ = view;
        if (OWindow* window = OWindow::Main()) window->AddChild(view);
    }
    if (!pointerView_) return;
    pointerView_->SetCursorMode(OView::kHitNever);
    pointerView_->SetVisible(1, 0);
    pointerView_->SetPriority(kPointerPriority);
    if (SystemCursorFlag()) xCursor_Show(false);
    pointerActive_ = 1;
}

void OMouseProcess::ClearCursorView(uint8_t restore) {
    if (restore) RestoreCursor();
    if (pointerView_) {
        if (ONode* parent = pointerView_->GetParent()) parent->RemoveChild(pointerView_);
        pointerView_ = nullptr;
    }
    pointerActive_ = 0;
}

void OMouseProcess::ShowCursorView(uint8_t show) {
    if (pointerView_) pointerView_->SetVisible(show, 0);
}

void OMouseProcess::SetCursors(xCursor normal, xCursor hover) {
    if (normal) normalCursor_ = normal;
    if (hover) hoverCursor_ = hover;
}

void OMouseProcess::OnEnterView(OView* /*view*/) {
    if (pointerActive_ && pointerView_) pointerView_->ChangeState(1);
    else SetCurrentCursor(hoverCursor_);
}

void OMouseProcess::OnLeaveView(OView* /*view*/) {
    if (pointerActive_ && pointerView_) pointerView_->ChangeState(0);
    else RestoreCursor();
}
