#pragma once
// The game started over a headless stage without a test framework, for the fuzz targets, the
// benchmarks and their harnesses: the profiles, the engine, a 16-bit window on a memory
// surface, sound, the game object reading the part file and the activity manager with the
// game's factory.
#include <cstdint>

#include "engine/base/Point.h"

namespace vqt::test {

struct HeadlessGameOptions {
    /// The part file, as the fake files or the disc hold it.
    const char* partFile = "game.vqk";
    /// The save file named to the game; null keeps the profile's own.
    const char* saveFile = nullptr;
    int16_t stageWidth = 640;
    int16_t stageHeight = 480;
    /// Registers the activity and prop classes the factory makes; null registers none.
    void (*registerClasses)() = nullptr;
};

/// Starts the game; false when any step failed (what did start is ended by StopHeadlessGame).
bool StartHeadlessGame(const HeadlessGameOptions& options = {});
/// Ends the activity manager, the game object and the engine, in that order.
void StopHeadlessGame();

/// Hands the program an event as its message loop would.
void SendEvent(uint32_t category, uint32_t type, intptr_t param, CPoint16 cursor = {});
/// Asks for the activity {1, 0, entry}, running `frame` while a switch is pending (10 frames
/// at most for one already asked for, 400 for this one); whether it became current.
bool ShowActivity(uint16_t entry, void (*frame)());

} // namespace vqt::test
