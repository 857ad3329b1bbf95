#include "game/shell/PanelTextButton.h"

#include "engine/core/Event.h"
#include "game/shell/TLVActivity.h"

PanelTextButton::PanelTextButton(uint16_t panelId, uint16_t index)
    : OTextDView("OTextDView", kClassId), panelId_(panelId), index_(index) {
    AddEventMask(kEventMouse); // the main window hit-tests its children by their mask
    SetCursorMode(kHitSelf);
}

void PanelTextButton::OnButtonUp() {
    if (CTLVActivity* activity = CurrentGameActivity()) activity->OnButton(int16_t(panelId_), int16_t(index_));
}

void PanelTextButton::OnClick() { OnButtonUp(); }
