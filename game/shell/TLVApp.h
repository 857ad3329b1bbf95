#pragma once
#include "engine/core/Application.h"

/// The game's application object in its least form until the game's start-up is built: the
/// engine's standard processes and the part file of the run.
class CTLVApp : public OApplication {
public:
    /// False when it exists already or cannot be made.
    static bool Create();
    /// False when there is none; otherwise deletes it.
    static bool Destroy();
    /// The object, null before VQAppStart and after VQAppEnd.
    static CTLVApp* Get();

    /// The game's set-up of the application: the engine's standard processes first.
    int32_t Init();

private:
    CTLVApp() = default;
};

// The game's start-up hooks (handed to the engine's WinMain by the program's entry).
bool VQAppPreInit();
bool VQAppInit();
bool VQAppStart();
bool VQAppEnd();
