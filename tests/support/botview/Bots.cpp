#include "tests/support/botview/Bots.h"

#include <cmath>

#include "engine/core/ActivityManager.h"
#include "game/minigames/race/CGRace.h"
#include "game/minigames/race/GRMetropolisActivity.h"
#include "game/minigames/race/GRToonActivity.h"
#include "game/minigames/race/GRZooActivity.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/minigames/race/RoadRaceRecord.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/game/world/towns/TownRounds.h"
#include "tests/game/world/towns/TownScenario.h"
#include "tests/support/Golden.h"
#include "tests/support/bots/GameBot.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tests/support/bots/PlayThroughLegs.h"
#include "tests/support/bots/TownQuestions.h"
#include "tools/synthetic/CircusRace.h"
#include "tools/synthetic/CityRace.h"
#include "tools/synthetic/ZooRace.h"

namespace vqt::test {

namespace {

constexpr ChunkId kSignIn = MakeChunkId(1, 4), kGarage = MakeChunkId(1, 5);

ChunkId CurrentId() {
    OActivityManager* manager = GetActivityManager();
    return manager ? manager->GetCurrentId() : kNullChunkId;
}

bool SwitchPending() {
    OActivityManager* manager = GetActivityManager();
    return !manager || manager->IsSwitchPending();
}

void TakePlayer(int slot) {
    CTLVApp::Get()->GetPlayer()->Load(slot);
    CTLVApp::Get()->SetSaveSlot(int16_t(slot));
}

/// The town bot waits for the messages of the bot's input before it sends more: the program
/// takes one message a frame, so a bot that sends its pointer every frame and its clicks on top
/// would see both lag ever further behind.
TownBot::Task PacedBy(const BotInput& input, TownBot::Task task) {
    task.messagesWaiting = input.messagesWaiting;
    return task;
}

/// A town's round from the sign-in on, as its scenario plays it: Cy's badge, the town's vehicle
/// and the garage's way out, the town bot on the town's tasks, and the certificate's back button.
class TownRoundBot final : public ViewBot {
public:
    TownRoundBot(const TownRound& round, const BotInput& input)
        : round_(round), tasks_(PacedBy(input, round.tasks)), bot_(round.roads, tasks_) {}

    std::string Step(uint32_t now) override {
        const ChunkId id = CurrentId();
        if (id != shown_) {
            shown_ = id;
            fresh_ = true;
            if (id == kSignIn) return SignInInput(kTownRoundSlot);
            // Out again, also after a certificate that opened before the round's end.
            if (id == kGarage && !progress_.ended) return GarageInput(round_.vehicle);
            if (id == round_.certificate) {
                // The round ends with its mission; the town's certificate button opens the
                // same page at any time.
                progress_.ended = arrived_ && MissionsDone() > missionsBefore_;
                return kCertificateBackInput;
            }
        }
        TownWorld* town = CurrentTown();
        if (!town || SwitchPending()) return "";
        if (!arrived_) missionsBefore_ = MissionsDone();
        arrived_ = true;
        // Each visit of the town is a town of its own (it may stand where the last one stood in
        // memory): the bot comes to it afresh.
        if (fresh_) {
            fresh_ = false;
            bot_ = TownBot(round_.roads, tasks_);
        }
        progress_.arrived = true;
        const auto* vehicle = dynamic_cast<VIsometric*>(town->GetVehicle());
        distance_.See(vehicle != nullptr, vehicle ? vehicle->GetPosition().x : 0, vehicle ? vehicle->GetPosition().y : 0, progress_);
        // The round plays no game: every area's question and the way out's are answered no.
        const std::string answer = questions_.Step(*town, now, [](TownWorld&) { return false; });
        if (questions_.Asking()) return answer;
        return bot_.Step(town, now);
    }
    const BotProgress& Progress() const override { return progress_; }

private:
    TownRound round_;
    TownBot::Task tasks_;
    TownBot bot_;
    /// Set when another activity shows: the next town is a new visit.
    bool fresh_ = true;
    /// The town's missions done in the player's record.
    int MissionsDone() const {
        CPlayer* player = CTLVApp::Get() ? CTLVApp::Get()->GetPlayer() : nullptr;
        return player ? player->GetActivityCount(round_.world, TownWorld::kMissionTask) : 0;
    }

    TownQuestions questions_;
    ChunkId shown_ = kNullChunkId;
    /// Whether the town was seen, and its missions done then.
    bool arrived_ = false;
    int missionsBefore_ = 0;
    BotProgress progress_;
    DrivenDistance distance_;
};

/// A town's round without its challenge (the bot enters no game): Cy's save file near the
/// round's end, started on the sign-in.
template <TownRound (*kRound)()>
TownRound Unchallenged() {
    TownRound round = kRound();
    round.challenge.reset();
    return round;
}

template <TownRound (*kRound)()>
BotRow TownRoundRow(const char* name, const char* plays) {
    return {name, plays,
            [] {
                WriteFileBytes("TLVSave.vqk", ToString(SaveFileOf(TownRoundRecords(Unchallenged<kRound>()))));
                return std::string("STARTACTIVITY=4\n");
            },
            [](const BotInput& input) -> std::unique_ptr<ViewBot> {
                return std::make_unique<TownRoundBot>(Unchallenged<kRound>(), input);
            }};
}

/// A road race from its intro panel to the town, played by the race's winning driver (it
/// steers to what the race wants and fires at every reload).
class RoadRaceBot final : public ViewBot {
public:
    explicit RoadRaceBot(const BotInput& input) : driver_(MakeRaceDriver(BotInput{input.holdKey, nullptr}, true)) {}
    std::string Step(uint32_t now) override {
        OActivityManager* manager = GetActivityManager();
        OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
        // The race runs once the intro panel was answered (a panel stops it).
        auto* race = driver_->Plays(current) && !SwitchPending() ? static_cast<CGRace*>(current) : nullptr;
        raced_ = raced_ || race;
        if (raced_ && dynamic_cast<TownWorld*>(current) && !SwitchPending()) progress_.ended = true;
        if (race && !race->IsPanelShown(-1)) {
            const OActivityProp* vehicle = race->GetRaceVehicle();
            if (vehicle) progress_.arrived = true;
            distance_.See(vehicle != nullptr, vehicle ? vehicle->GetPosition().x : 0, vehicle ? vehicle->GetPosition().y : 0,
                          progress_);
        }
        return driver_->Step(current, now);
    }
    const BotProgress& Progress() const override { return progress_; }

private:
    std::unique_ptr<MiniGameDriver> driver_;
    bool raced_ = false;
    BotProgress progress_;
    DrivenDistance distance_;
};

/// A road race's row: its scenario's save file, started on the race's screen.
template <int kWorld, uint16_t kScreen>
BotRow RoadRaceRow(const char* name, const char* plays) {
    return {name, plays,
            [] {
                WriteFileBytes("TLVSave.vqk", ToString(SaveFileOf(RoadRaceRecords(kWorld))));
                return "STARTACTIVITY=" + std::to_string(kScreen) + "\n";
            },
            [](const BotInput& input) -> std::unique_ptr<ViewBot> {
                TakePlayer(kRoadRaceSlot);
                return std::make_unique<RoadRaceBot>(input);
            }};
}

/// The whole game from a new player's sign-in, as the play-through test plays it: the game
/// bot with the three towns' legs.
class PlayThroughBot final : public ViewBot {
public:
    explicit PlayThroughBot(const BotInput& input) : bot_(input, "Ann", Legs(input)) {}
    std::string Step(uint32_t now) override {
        if (TownWorld* town = CurrentTown(); town && !SwitchPending()) {
            progress_.arrived = true;
            const auto* vehicle = dynamic_cast<VIsometric*>(town->GetVehicle());
            distance_.See(vehicle != nullptr, vehicle ? vehicle->GetPosition().x : 0, vehicle ? vehicle->GetPosition().y : 0,
                          progress_);
        }
        const std::string lines = bot_.Step(now);
        progress_.ended = bot_.Finished();
        return lines;
    }
    const BotProgress& Progress() const override { return progress_; }

private:
    static std::vector<TownLeg> Legs(const BotInput& input) {
        std::vector<TownLeg> legs = PlayThroughLegs();
        for (TownLeg& leg : legs) leg.tasks = PacedBy(input, leg.tasks);
        return legs;
    }

    GameBot bot_;
    BotProgress progress_;
    DrivenDistance distance_;
};

BotRow PlayThroughRow() {
    return {"play-through", "the whole game: a new player, every town's games, tasks and mission, the end",
            [] {
                std::map<int, Bytes> records;
                for (int slot = 0; slot < 8; ++slot) records[slot] = NewPlayerRecord();
                WriteFileBytes("TLVSave.vqk", ToString(SaveFileOf(records)));
                return std::string("STARTACTIVITY=4\n");
            },
            [](const BotInput& input) -> std::unique_ptr<ViewBot> { return std::make_unique<PlayThroughBot>(input); }};
}

const std::vector<BotRow> kBots = {
    TownRoundRow<CircusRound>("circus-round", "the circus town's round: its fires, puppies and mission, then the certificate"),
    TownRoundRow<CityRound>("city-round", "the city's round: its criminals, loot and mission, then the certificate"),
    TownRoundRow<ZooRound>("zoo-round", "the zoo's round: its monkeys, penguins and mission, then the certificate"),
    RoadRaceRow<GRToon_Activity::kWorld, circus_race::kScreen>("circus-race", "the circus road race, won, then back to the town"),
    RoadRaceRow<GRMetropolis_Activity::kWorld, city_race::kScreen>("city-race", "the city road race, won, then back to the town"),
    RoadRaceRow<GRZoo_Activity::kWorld, zoo_race::kScreen>("zoo-race", "the zoo road race, won, then back to the town"),
    PlayThroughRow(),
};

} // namespace

const std::vector<BotRow>& Bots() { return kBots; }

const BotRow* FindBot(std::string_view name) {
    for (const BotRow& row : kBots)
        if (name == row.name) return &row;
    return nullptr;
}

std::string PlayState() {
    const ChunkId id = CurrentId();
    std::string state = "activity " + std::to_string(ChunkIndexOf(id)) + ":" + std::to_string(ChunkEntryOf(id));
    TownWorld* town = CurrentTown();
    CPlayer* player = CTLVApp::Get() ? CTLVApp::Get()->GetPlayer() : nullptr;
    if (!town || !player) return state;
    const int w = town->Table().world;
    state += "; left " + std::to_string(player->GetQuota1Left(w)) + ", " + std::to_string(player->GetQuota2Left(w)) + ", " +
             std::to_string(player->GetQuota3Left(w)) + "; in tow " + std::to_string(town->CountFollowers());
    if (town->GetMissionStarted()) state += "; mission " + std::to_string(town->GetCurrentMission());
    if (town->IsPanelShown(-1)) state += "; a panel open";
    if (const auto* vehicle = dynamic_cast<VIsometric*>(town->GetVehicle()))
        state += "; at " + std::to_string(int(vehicle->GetPosition().x)) + " " + std::to_string(int(vehicle->GetPosition().y));
    return state;
}

void DrivenDistance::See(bool present, float x, float y, BotProgress& progress) {
    if (present && seen_) progress.driven += std::hypot(double(x) - x_, double(y) - y_);
    seen_ = present;
    x_ = x;
    y_ = y;
}

} // namespace vqt::test
