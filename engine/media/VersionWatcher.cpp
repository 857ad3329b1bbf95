#include "engine/media/VersionWatcher.h"

#include "engine/blit/ColorPalette.h"
#include "engine/media/DiagnosticsState.h"

namespace {

constexpr CPanelLook kLook{"Varnique Technology\nVersion 1.00", 0, 0, 200, 70, ColorWord(200, 200, 200), 0};

} // namespace

bool CVersionWatcher::Create() {
    if (!xWatcher_Create(xDiagnostics_State().version)) return false;
    Get()->BuildView();
    return true;
}

void CVersionWatcher::Destroy() { delete Get(); }

CVersionWatcher* CVersionWatcher::Get() { return xDiagnostics_State().version; }

CVersionWatcher::~CVersionWatcher() {
    if (Get() == this) xDiagnostics_State().version = nullptr;
}

bool CVersionWatcher::BuildView() { return BuildPanel(kLook, true); }
