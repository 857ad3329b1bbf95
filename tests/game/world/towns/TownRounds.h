#pragma once
// What sets each town's round apart for the town bot, and the save file the round starts from:
// Cy in slot 4 near the round's end (signing in on the sign-in screen), with four of the first
// and second tasks and three rescues left, the other slots a new player's. The towns'
// whole-round scenarios and the window that shows the town bot's play start from them.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "game/shell/Player.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/bots/ScriptLines.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {

inline constexpr int kTownRoundSlot = 4;

/// A challenge area the bot first declines and later enters, and the game class behind it.
struct TownChallengeVisit {
    int area;
    /// The record's flag that arms it, and the player counter of its entries.
    int flag;
    int counter;
    uint32_t gameClass;
    ChunkId game;
};

/// What sets one town's round apart.
struct TownRound {
    int world;
    ChunkId town;
    ChunkId certificate;
    /// The garage's vehicle the bot picks; -1 keeps the record's.
    int vehicle;
    TownRoads roads;
    TownBot::Task tasks;
    /// The record's quota maxima.
    std::array<uint16_t, 3> quotaMax;
    std::optional<TownChallengeVisit> challenge;
};

inline TownRound CircusRound() {
    return {.world = kCircusWorld, .town = MakeChunkId(1, 8), .certificate = MakeChunkId(1, 6), .vehicle = -1,
            .roads = CircusRoads(), .tasks = CircusTasks(), .quotaMax = {20, 10, 10}, .challenge = std::nullopt};
}

inline TownRound CityRound() {
    return {.world = WMetropolis_Activity::kWorld, .town = towns::city::kTownActivity,
            .certificate = towns::city::kEndActivity, .vehicle = 4, .roads = CityRoads(), .tasks = CityTasks(),
            .quotaMax = {15, 20, 11}, .challenge = TownChallengeVisit{2, towns::city::kCityAreas[1].flag, towns::city::kCityAreas[1].counter, 441, towns::city::kCityAreas[1].activity}};
}

inline TownRound ZooRound() {
    return {.world = WZoo_Activity::kWorld, .town = towns::zoo::kTownActivity, .certificate = towns::zoo::kEndActivity,
            .vehicle = 2, .roads = ZooRoads(), .tasks = ZooTasks(), .quotaMax = {15, 10, 10},
            .challenge = TownChallengeVisit{2, towns::zoo::kZooAreas[1].flag, towns::zoo::kZooAreas[1].counter, 443, towns::zoo::kZooAreas[1].activity}};
}

/// The sign-in: the badge of a stored player, then the continue badge once its line was said.
inline std::string SignInInput(int slot) {
    return ClickAt(SignInBadge(slot), 1000) + ClickAt(buttons::kSignInContinue, 2500);
}

/// The garage: the vehicle's button (values 0, 2, 4 on the top row, 1, 3, 5 below, a bay a
/// world), then the go button.
inline std::string GarageInput(int vehicle) {
    if (vehicle < 0) return ClickAt(buttons::kGarageGo);
    return ClickAt(buttons::GarageVehicle(vehicle)) + ClickAt(buttons::kGarageGo, 1000);
}

/// The certificate page's back button, clicked after a while.
inline const std::string kCertificateBackInput = ClickAt(buttons::kCertificateBack, 3000);

/// The stored records by slot: Cy's holds the town's quota maxima and, with a challenge, the
/// flag that arms its area.
inline std::map<int, Bytes> TownRoundRecords(const TownRound& round) {
    const int world = round.world;
    const std::array<uint16_t, 3>& quotaMax = round.quotaMax;
    // The record's words of the town: hero points, the quotas' maxima and what is left of them.
    constexpr int kHeroPoints = 9, kQuota1Max = 25, kQuota2Max = 26, kQuota3Max = 27;
    constexpr int kQuota1Left = 28, kQuota2Left = 29, kQuota3Left = 30, kMissionWord = 34;
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = NewPlayerRecord();
    StoredRecord cy = StoredRecord("Cy")
                          .Counter(13, 1)
                          .WorldWord(world, kHeroPoints, 2)
                          .WorldWord(world, kQuota1Max, quotaMax[0])
                          .WorldWord(world, kQuota2Max, quotaMax[1])
                          .WorldWord(world, kQuota3Max, quotaMax[2])
                          .WorldWord(world, kQuota1Left, 4)
                          .WorldWord(world, kQuota2Left, 4)
                          .WorldWord(world, kQuota3Left, 3)
                          .WorldWord(world, kMissionWord, 0);
    if (round.challenge) cy.WorldWord(world, CPlayer::kFlags + round.challenge->flag, 1);
    records[kTownRoundSlot] = cy.bytes();
    return records;
}

} // namespace vqt::test
