#pragma once
// A player of the whole game: it signs a new player in (or picks the player of badge 0 when
// the save file already holds one), and for each town in turn picks the town's vehicle in the
// garage, drives out, enters the town's four games from their way points first (yes on the
// confirmation panel) and wins them with the mini-game drivers, then does the town's tasks,
// mission and rescue with the town bot, prints one certificate, and goes back to the garage;
// after the last town it goes back to the sign-in, quits and ends the credits.
// Like the drivers it reads the running game but acts only as a player does: window messages
// and held keys, so that a window program can host it as well as a scenario run.
//
//     GameBot bot(HeadlessBotInput(), "Ann", {{0, CircusRoads(), CircusTasks()}, ...});
//     // every frame, from the first on:
//     const std::string lines = bot.Step(nowMs);
//     if (!lines.empty()) scriptedMessages.LoadScript(lines, mainWindowId);
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/data/ChunkId.h"
#include "tests/support/TownBot.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tests/support/bots/TownQuestions.h"

class Certificate_Activity;
class SignIn_Activity;
class TownWorld;
class VehicleSelect_Activity;

namespace vqt::test {

/// One town's round: the garage's vehicle for it, its roads and its tasks.
struct TownLeg {
    int vehicle = 0;
    TownRoads roads;
    TownBot::Task tasks;
};

class GameBot {
public:
    /// The way points of a town's games.
    static constexpr int kFirstGameArea = 1, kLastGameArea = 4;

    GameBot(BotInput input, std::string name, std::vector<TownLeg> legs);
    ~GameBot();

    /// This frame's window messages as script lines ("<ms> WM_..." with times from now, ""
    /// for none); to be called every frame.
    std::string Step(uint32_t nowMs);

    /// The town being played: legs.size() once every town is done.
    size_t Leg() const { return leg_; }
    /// Whether the credits were clicked away (the program quits).
    bool Finished() const { return finished_; }

private:
    std::string AtSignIn(SignIn_Activity& signIn);
    std::string AtGarage(VehicleSelect_Activity& garage);
    std::string InTown(TownWorld& town, uint32_t nowMs);
    std::string AtCertificate(Certificate_Activity& certificate);
    /// The leg's tasks behind the games: the nearest way point of a game not yet entered
    /// goes before anything else.
    TownBot::Task GamesFirst(const TownBot::Task& tasks);
    /// The name typed on the badge: shifted capitals, plain small letters.
    std::string Typed(uint32_t fromMs) const;

    BotInput input_;
    std::string name_;
    std::vector<TownLeg> legs_;
    std::vector<std::unique_ptr<MiniGameDriver>> drivers_;
    std::unique_ptr<TownBot> town_;
    /// The game areas entered in the current town.
    std::set<int> entered_;
    size_t leg_ = 0;
    /// The current screen and when it became current (settled and quiet), and the step its
    /// script reached there.
    ChunkId shown_ = kNullChunkId;
    uint32_t arrived_ = 0;
    int step_ = 0;
    TownQuestions questions_;
    /// ESC held down, and when it goes (went) up.
    bool escHeld_ = false;
    uint32_t escUp_ = 0;
    /// Whether the leg's town was seen; its world and its missions done then (its certificate
    /// ends the leg once one more is done).
    bool legStarted_ = false;
    int legWorld_ = 0;
    int legMissions_ = 0;
    bool printed_ = false;
    bool signedIn_ = false;
    bool finished_ = false;
};

} // namespace vqt::test
