#pragma once
// The bots that play the mini-games, behind one interface so that a whole-game play-through
// and a window that shows a bot's play can use any of them. A driver reads the running game
// but acts only as a player does: window messages (clicks, key presses) and keys it holds
// down. Each one plays its game from the intro panel, wins it, and leaves the results panel
// by its button 0 for the town.
//
//     auto driver = MakeRaceDriver(HeadlessBotInput(), true);
//     // every frame, from the first on:
//     OActivity* current = GetActivityManager()->GetCurrentActivity();
//     const std::string lines = driver->Step(current, nowMs);
//     if (!lines.empty()) scriptedMessages.LoadScript(lines, mainWindowId);
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class OActivity;

namespace vqt::test {

/// The keys a driver holds down (the races and round-ups read the arrows' state each frame),
/// and how many of the messages it answered still wait to be handed to the game (the puzzle
/// driver clicks the next tile once its last click went in; null: none wait).
struct BotInput {
    std::function<void(int32_t key, bool down)> holdKey;
    std::function<size_t()> messagesWaiting;
};

class MiniGameDriver {
public:
    virtual ~MiniGameDriver() = default;
    /// Whether this driver plays the current activity.
    virtual bool Plays(OActivity* current) const = 0;
    /// One frame of play, to be called every frame (whatever is current: a driver counts its
    /// frames and notes when its game arrived). Answers this frame's window messages as script
    /// lines ("<ms> WM_... wParam lParam x y", times from now; "" for none); held keys go
    /// through the BotInput.
    virtual std::string Step(OActivity* current, uint32_t nowMs) = 0;
    /// Lets go of every key the driver holds: held keys at once, the rest as the answered
    /// messages ("" for none).
    virtual std::string Release() = 0;
};

/// Holds keys on the headless platform's input.
BotInput HeadlessBotInput();

/// The three road races. The winner (`fires`) steers to the race's wanted objects and fires
/// at every reload; the other never fires and steers clear of everything.
std::unique_ptr<MiniGameDriver> MakeRaceDriver(BotInput input, bool fires);
/// The three arcades, played by keys and clicks alone.
std::unique_ptr<MiniGameDriver> MakeArcadeDriver();
/// The three round-ups.
std::unique_ptr<MiniGameDriver> MakeRoundUpDriver(BotInput input);
/// The three town puzzles; with `awaitVisit` the first go waits for a character's visit.
std::unique_ptr<MiniGameDriver> MakePuzzleDriver(BotInput input, bool awaitVisit = false);

} // namespace vqt::test
