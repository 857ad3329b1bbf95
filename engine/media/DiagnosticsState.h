#pragma once
// The media layer's diagnostic displays: the watchers that exist and what the debug keywords
// remember between uses.
#include <cstdint>

#include "engine/blit/ColorPalette.h"
#include "engine/media/DiagnosticPanel.h"

class CAssetWatcher;
class CMemWatcher;
class CMouseWatcher;
class CVersionWatcher;

struct CDiagnosticsState {
    /// No saved master volume.
    static constexpr int32_t kNoSavedVolume = 65535;

    // Each watcher while it exists (its destructor clears its pointer).
    CVersionWatcher* version = nullptr;
    CMouseWatcher* mouse = nullptr;
    CAssetWatcher* asset = nullptr;
    CMemWatcher* memory = nullptr;
    /// The master volume that "+++gultrosh" saved for "+++vakmirp".
    int32_t savedVolume = kNoSavedVolume;
    /// The memory panel's text colour of the "#" keyword's cycle.
    uint32_t memoryTextColour = ColorWord(192, 192, 192);
    /// The link through which the tree layer makes its panels.
    CMediaDiagnostics link;
};

CDiagnosticsState& xDiagnostics_State();
