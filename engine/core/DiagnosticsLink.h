#pragma once
// What the tree layer asks of the layers above it for its diagnostic panels: the main window's
// draw statistics and the activity manager's watcher are text views, which the media layer
// makes, and the memory view (also the media layer's) hears of every activity switch. The media
// layer installs the link with its state; without it there are no panels.
#include <cstdint>

class ONode;
class OView;

class CDiagnosticsLink {
public:
    virtual ~CDiagnosticsLink() = default;
    /// A text panel centred at (x, y) of that size in the default system font, showing `text`,
    /// with hover cursor mode 1 and draw priority 32767, added to `parent`; null when it cannot be
    /// made. `*holder` is set to it and is cleared when the panel is destroyed, whoever destroys
    /// it.
    virtual OView* MakePanel(OView** holder, int16_t x, int16_t y, int16_t width, int16_t height, const char* text,
                             ONode* parent) = 0;
    /// Replaces the text of a panel made by MakePanel.
    virtual void SetPanelText(OView* panel, const char* text) = 0;
    /// A new activity has just been swapped in: the memory view's peaks start again.
    virtual void OnActivitySwapped() = 0;
};

/// The installed link, or null.
CDiagnosticsLink* xDiagnostics_Link();
void xDiagnostics_SetLink(CDiagnosticsLink* link);
