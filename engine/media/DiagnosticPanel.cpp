#include "engine/media/DiagnosticPanel.h"

#include <new>

#include "engine/media/MemWatcher.h"

namespace {

constexpr int32_t kPanelPriority = 32767;

} // namespace

CPanelView::CPanelView(OView** holder) : holder_(holder) {}

CPanelView::~CPanelView() {
    if (holder_ && *holder_ == this) *holder_ = nullptr;
}

CPanelView* xPanel_Make(OView** holder, const CPanelLook& look, ONode* parent) {
    auto* panel = new (std::nothrow) CPanelView(holder);
    if (!panel) return nullptr;
    *holder = panel;
    panel->SetTextColor(look.colour);
    panel->SetTransparent(look.transparent);
    panel->SetText(look.text);
    panel->SetPriority(kPanelPriority);
    xText_PlaceView(panel, int16_t(look.left + look.width / 2), int16_t(look.top + look.height / 2), look.width,
                    look.height, parent);
    return panel;
}

OView* CMediaDiagnostics::MakePanel(OView** holder, int16_t x, int16_t y, int16_t width, int16_t height,
                                    const char* text, ONode* parent) {
    const CPanelLook look{text, int16_t(x - width / 2), int16_t(y - height / 2), width, height, 0x00FFFFFFu, 1};
    CPanelView* panel = xPanel_Make(holder, look, parent);
    if (panel) panel->SetCursorMode(OView::kHitChildrenThenSelf);
    return panel;
}

void CMediaDiagnostics::SetPanelText(OView* panel, const char* text) {
    if (panel) static_cast<CPanelView*>(panel)->SetText(text);
}

void CMediaDiagnostics::OnActivitySwapped() {
    if (CMemWatcher* watcher = GetMemWatcher()) {
        watcher->ResetPeakBetweenActivities();
        watcher->ResetPeak();
    }
}
