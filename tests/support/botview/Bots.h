#pragma once
// The bots that tlvbotview shows playing, by name. A row prepares the working folder as its
// scenario test does (the save file, the engine's INI lines) and makes the bot once the game
// has started; the bot reads the world each frame and answers with window messages only (and
// keys it holds), and tells how far its play got. The same bots play headless on the virtual
// clock in the tests.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/bots/MiniGameDriver.h"

namespace vqt::test {

/// How far a bot's play got: whether it reached its game (the town, the race), how far its
/// vehicle drove there, in world pixels, and whether it reached its play's end (a round's
/// certificate once the town's mission is done, the town after a race, the credits after the
/// whole game).
struct BotProgress {
    bool arrived = false;
    double driven = 0;
    bool ended = false;
};

class ViewBot {
public:
    virtual ~ViewBot() = default;
    /// One frame: the messages as script lines ("<ms> WM_... wParam lParam x y", times from
    /// now, points in the window's client area; "" for none).
    virtual std::string Step(uint32_t nowMs) = 0;
    virtual const BotProgress& Progress() const = 0;
};

struct BotRow {
    const char* name;
    /// What the bot plays, for the usage text.
    const char* plays;
    /// Writes the save file into the working folder and answers the lines the engine's INI
    /// file gets ("STARTACTIVITY=5\n", ...).
    std::string (*prepare)();
    /// The bot, made at the first frame (it may take the prepared player as the scenario does),
    /// holding keys and pacing its messages through `input` (the window's, or the headless
    /// platform's for a run on the virtual clock).
    std::unique_ptr<ViewBot> (*start)(const BotInput& input);
};

const std::vector<BotRow>& Bots();
/// Where the play stands, for a line now and then: the current activity and, in a town, the
/// tasks left, the chain in tow, the mission and whether a panel is open.
std::string PlayState();
/// The row of that name; null when there is none.
const BotRow* FindBot(std::string_view name);

/// Adds the vehicle's move since the last call to `progress` (a jump of a new vehicle or a
/// new place does not count). Rows call it each frame their game is current.
class DrivenDistance {
public:
    void See(bool present, float x, float y, BotProgress& progress);

private:
    bool seen_ = false;
    float x_ = 0, y_ = 0;
};

} // namespace vqt::test
