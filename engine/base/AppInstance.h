#pragma once
#include <cstdint>

#include "platform/Messages.h"

/// What the program is to the system: the instance handle its entry was given, the resource id
/// of its window icon and its application window (0 while there is none).
struct CAppInstance {
    uintptr_t instance = 0;
    uint16_t iconResourceId = 0;
    plat::WindowId appWindow = 0;

    /// The record of the installed engine context.
    static CAppInstance& Get();
};

void SetAppInstance(uintptr_t instance);
uintptr_t GetAppInstance();
void SetIconResourceId(uint16_t id);
uint16_t GetIconResourceId();
inline void SetWindowIconId(uint16_t id) { SetIconResourceId(id); }
/// The application window of the main window (0 without one).
plat::WindowId xPlatform_GetAppWindow();
