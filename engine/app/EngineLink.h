#pragma once
#include "engine/core/AppWindowLink.h"

/// The link of the engine's main window: the application window through the platform's
/// desktop (CAppWindowLink), the display through the display module and the main window's
/// display surface, redraws through the main window.
class CEngineLink : public CAppWindowLink {
public:
    /// In full screen: the display surface is lost, or the desktop no longer has the stage's
    /// size.
    bool IsDisplayUnavailable() override;
    int32_t RestoreDisplayMode() override;
    void SetStageMode() override;
    void PostFullRedraw(bool present) override;
    bool IsDisplayReady() override;
};

/// Installs the engine's link (the engine context's) as the run loop's main-window link.
void xEngine_InstallLink();
