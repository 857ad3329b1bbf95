#pragma once
#include <cstdint>

#include "engine/core/DiagnosticsLink.h"
#include "engine/media/TextCView.h"

class ONode;

/// The text panel of a diagnostic display (an OTextCView, registration name "OTextCView"). The
/// main window's tree owns it; whoever made it keeps a pointer to it that the panel clears when
/// it is destroyed, so the maker can delete it and the tree can go first.
class CPanelView : public OTextCView {
public:
    explicit CPanelView(OView** holder);
    ~CPanelView() override;

private:
    OView** holder_;
};

/// How a panel looks: its text, the rectangle it covers on the stage, its text colour and
/// whether its background is see-through.
struct CPanelLook {
    const char* text;
    int16_t left;
    int16_t top;
    int16_t width;
    int16_t height;
    uint32_t colour;
    uint8_t transparent;
};

/// Makes a panel in the default system font (not owned) at draw priority 32767 and adds it to
/// `parent` (when given); `*holder` points at it. Null when it cannot be made.
CPanelView* xPanel_Make(OView** holder, const CPanelLook& look, ONode* parent);

/// The panels of the tree layer's diagnostics made here, and the memory view told of switches.
class CMediaDiagnostics : public CDiagnosticsLink {
public:
    OView* MakePanel(OView** holder, int16_t x, int16_t y, int16_t width, int16_t height, const char* text,
                     ONode* parent) override;
    void SetPanelText(OView* panel, const char* text) override;
    void OnActivitySwapped() override;
};
