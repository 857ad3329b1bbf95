#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/shell/TLVFactory.h"

class CTLVApp;

/// The game shell's module state: the game object, whether the game's INI file was read at
/// start-up (VQAppPreInit reads it, VQAppStart tries again when that failed), the makers that
/// modules gave the game factory's classes, the classes whose stand-ins were traced, whether
/// the game's own messages were loaded, the save files whose trouble the player has been
/// told of in this run, and those that could not be opened in this run.
struct CGameShellState {
    CTLVApp* app = nullptr;
    bool iniRead = false;
    std::vector<CTLVClassRow> classRows;
    std::vector<uint32_t> standInsTraced;
    bool gameMessagesLoaded = false;
    std::vector<std::string> toldSaveFiles;
    /// Why each save file that could not be opened was not: it takes no save for the rest of the
    /// run, even once it opens, since its players were never offered at the sign-in.
    std::map<std::string, std::string> unopenedSaveFiles;

    static CGameShellState& Get();
    /// Forgets all of it (a test ends the game object itself with VQAppEnd).
    static void ResetForTest();
};
