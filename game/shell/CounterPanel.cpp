#include "game/shell/CounterPanel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/core/Window.h"
#include "engine/media/SysFont.h"
#include "engine/media/TextDView.h"
#include "game/shell/TLVActivity.h"
#include "game/shell/TLVApp.h"

namespace {

constexpr int16_t kNumberWidth = 40;
constexpr int16_t kNumberHeight = 20;
/// The number stands this far right of its icon's right edge (plus the caller's offset), and
/// 2 pixels above its middle; the zero mark at the middle itself.
constexpr int16_t kNumberGap = 15;
constexpr int16_t kNumberRaise = 2;
/// The game's font the numbers are written in (16 points).
constexpr int kNumberFont = 2;

/// A plain prop on the main window showing the part in the state.
OActivityProp* MakeMark(ChunkId partId, int32_t state) {
    auto* prop = new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId);
    if (!prop) return nullptr;
    if (OWindow* window = OWindow::Main()) window->AddChild(prop);
    LoadArt(prop, GamePartFile(), partId, 1);
    prop->SetState(state);
    prop->SetPriority(CCounterPanel::kPriority);
    return prop;
}

template <class Prop>
void Drop(Prop*& prop) {
    if (!prop) return;
    if (ONode* parent = prop->GetParent()) parent->RemoveChild(prop);
    delete prop;
    prop = nullptr;
}

} // namespace

CCounterPanel::CCounterPanel(const char* name, uint32_t classId) : OActivityProp(name, classId) {}

bool CCounterPanel::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

void CCounterPanel::SetMode(uint16_t mode) {
    mode_ = mode;
    if (mode == 1) SetState(0);
    else if (mode == 2) SetState(1);
    hideZero_[0] = hideZero_[1] = 1;
}

void CCounterPanel::SetCounter(int index, ChunkId partId, const uint16_t* value, uint32_t textColour, uint8_t hideZero,
                               int16_t xOffset) {
    if (mode_ == 0 || !InRange(index)) return;
    Counter& counter = counters_[index];
    counter.value = value;
    OWindow* window = OWindow::Main();
    if (!counter.icon) {
        counter.icon = new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId);
        if (!counter.icon) return;
        if (window) window->AddChild(counter.icon);
    }
    LoadArt(counter.icon, GamePartFile(), partId, 1);
    counter.icon->SetState(mode_ == 1 ? 0 : 1);
    if (counter.icon->GetAnimSet()) counter.icon->SetPosition(counter.icon->GetHotSpot(), 0, 1);
    counter.icon->SetPriority(kPriority);
    counter.icon->SetVisible(1, 1);

    CPoint16 anchor;
    counter.icon->GetAnchorInt(&anchor, 6);
    const float x = float(anchor.x + kNumberGap + xOffset);
    const float y = float(anchor.y - kNumberRaise);
    counter.point = CPointF(x, y);
    counter.iconRight = float(anchor.x);
    if (!counter.number) {
        counter.number = CreateTextDView(int16_t(x), int16_t(y), kNumberWidth, kNumberHeight, window);
        if (counter.number) {
            CTLVApp* app = CTLVApp::Get();
            if (OSysFont* font = app ? app->GetFont(kNumberFont) : nullptr) counter.number->UseFont(font, false);
            counter.number->SetTextColor(textColour);
            counter.number->SetAlignment(kAlignCentre);
            counter.number->SetWordWrap(1);
            counter.number->SetPriority(kPriority);
        }
    }
    if (counter.number) {
        PlaceNumber(counter);
        counter.number->SetVisible(1, 1);
    }

    if (index < kZeroMarks) {
        OActivityProp*& mark = zeroMarks_[index];
        if (!mark) mark = MakeMark(kZeroMarkArt, index == 0 ? 1 : 0);
        if (mark) {
            mark->SetVisible(0, 0);
            mark->SetPosition(CPointF(x, y + float(kNumberRaise)), 0, 1);
        }
        hideZero_[index] = hideZero;
    }
    Refresh();
}

void CCounterPanel::Refresh() {
    for (int i = 0; i < kCounters; ++i) {
        const Counter& counter = counters_[i];
        if (!counter.number) continue;
        const uint16_t value = counter.value ? *counter.value : 0;
        OActivityProp* mark = i < kZeroMarks ? zeroMarks_[i] : nullptr;
        if (value == 0 && i < kZeroMarks && hideZero_[i]) {
            counter.number->SetVisible(0, 0);
            if (mark) mark->SetVisible(1, 0);
            continue;
        }
        char text[8];
        std::snprintf(text, sizeof text, "%d", int(value));
        // Only a changed text is set: setting one asks for a redraw.
        if (std::strcmp(counter.number->GetTextPtr(), text) != 0) {
            counter.number->SetText(text);
            PlaceNumber(counter);
        }
        counter.number->SetVisible(1, 0);
        if (mark) mark->SetVisible(0, 0);
    }
}

void CCounterPanel::PlaceNumber(const Counter& counter) {
    // Centred text begins half its width left of the middle (an odd pixel to the left).
    const int32_t width = std::max(counter.number->GetTextWidth(counter.number->GetTextPtr()), 0);
    const float clear = counter.iconRight + 1.0f + float((width + 1) / 2);
    counter.number->SetPosition(CPointF(std::max(counter.point.x, clear), counter.point.y), 0, 1);
}

void CCounterPanel::Show(bool show) {
    const uint8_t visible = show ? 1 : 0;
    for (Counter& counter : counters_) {
        if (counter.icon) counter.icon->SetVisible(visible, 0);
        if (counter.number) counter.number->SetVisible(visible, 0);
    }
    for (OActivityProp* mark : zeroMarks_)
        if (mark) mark->SetVisible(visible, 0);
    if (show) {
        if (GetAnimSet()) SetPosition(GetHotSpot(), 0, 1);
        SetVisible(1, 0);
        // The numbers and the zero marks were all shown: each counter shows one of them again.
        Refresh();
    } else {
        SetPosition(CPointF(kParked, kParked), 0, 1);
        SetVisible(0, 0);
    }
}

void CCounterPanel::Release() {
    for (Counter& counter : counters_) {
        Drop(counter.icon);
        Drop(counter.number);
    }
    for (OActivityProp*& mark : zeroMarks_) Drop(mark);
}
