#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "game/shell/TLVFactory.h"

class CTLVApp;

/// The game shell's module state: the game object, whether the game's INI file was read at
/// start-up (VQAppPreInit reads it, VQAppStart tries again when that failed), the makers that
/// modules gave the game factory's classes, the classes whose stand-ins were traced, whether
/// the game's own messages were loaded, and the save files whose trouble the player has been
/// told of in this run.
struct CGameShellState {
    CTLVApp* app = nullptr;
    bool iniRead = false;
    std::vector<CTLVClassRow> classRows;
    std::vector<uint32_t> standInsTraced;
    bool gameMessagesLoaded = false;
    std::vector<std::string> toldSaveFiles;

    static CGameShellState& Get();
    /// Forgets all of it (a test ends the game object itself with VQAppEnd).
    static void ResetForTest();
};
