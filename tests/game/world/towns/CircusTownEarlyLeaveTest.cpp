// The circus town left early, the whole program from a new player's sign-in on the generated
// game data: the drive tutorial, a badge, a doused fire, the apartments' challenge answered yes
// with a puppy in tow (a stand-in game there asks for the town back), the fireworks factory's
// answered no, and the way out; the spoken lines, pictures and the saved record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Random.h"
#include "game/world/characters/DFollower.h"
#include "engine/core/Timer.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Snippet.h"
#include "engine/media/TextDView.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVFactory.h"
#include "game/world/WorldClasses.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/bots/ScriptLines.h"
#include "platform/headless/VirtualClock.h"
#include "tests/game/world/towns/TownRunWatch.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {
namespace {

constexpr uint32_t kFrameMs = 16;
constexpr int W = kCircusWorld;
constexpr ChunkId kSignIn = MakeChunkId(1, 4), kGarage = MakeChunkId(1, 5), kTownId = MakeChunkId(1, 8);
constexpr ChunkId kApartments = MakeChunkId(1, 15);
/// The arcade game's class, which the apartments' activity data names.
constexpr uint32_t kArcadeClass = 420;
/// The record's flags of the apartments (arcade) to the park (round-up), and the counters that
/// choose the factory's, the apartments' and the big top's repeat lines.
constexpr int kArcadeFlag = 3, kRoundUpFlag = 6, kFactoryCounter = 1, kArcadeCounter = 2, kBigTopCounter = 3;
constexpr int kVisits = 13;

/// The game behind the apartments' challenge, standing in for the arcade: it asks for the
/// town back a few seconds after it starts.
class TownReturner : public CTLVActivity {
public:
    static constexpr int32_t kPlayMs = 3000;
    TownReturner() : CTLVActivity("TownReturner", kArcadeClass) {}
    int32_t OnActivated() override {
        back_.Start(kPlayMs);
        ++starts;
        return CTLVActivity::OnActivated();
    }
    int32_t OnIdle() override {
        if (back_.running && back_.HasElapsed()) {
            back_.Stop();
            if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(kTownId);
        }
        return CTLVActivity::OnIdle();
    }
    static inline int starts = 0;

private:
    CTimerRec back_;
};

/// Where the run is: what the bot goes for next.
enum class Goal { Badge, Fire, Puppy, Apartments, Factory, WayOut, Done };

/// What the run saw.
struct EarlyLeave {
    std::string lines;
    std::vector<uint64_t> hashes;
    std::map<std::string, RgbImage> pictures;
    std::vector<ChunkId> visited;
    ScenarioRun run;
    std::unique_ptr<CPlayer> record = std::make_unique<CPlayer>();
    /// Before the apartments' game and on the way back: the place stored and the vehicle's,
    /// the puppies in tow, the fire put out and the task's fires burning.
    CPoint16 stored;
    CPointF before, back;
    int towBefore = -1, towBack = -1;
    CPointF doused;
    int burningBefore = -1, burningBack = -1, firesBack = -1;
    bool dousedBack = true;
    Goal reached = Goal::Badge;
    /// The areas passed on the way and answered no; whether the factory's was answered no.
    std::string passed;
    bool factoryNo = false;
    /// The task counters' icons and numbers on the stage when the fire is out.
    std::vector<CRect16> counters;
    /// The apartments' flag and counter while their game plays.
    int flagInGame = -1, counterInGame = -1;
    TokensTaken tokens;
};

/// The burning and all fires of the fire task in the town, and whether one stands at `place`.
struct TaskFires {
    int burning = 0, all = 0;
    bool at = false;
};
TaskFires CountTaskFires(WToon_Activity* town, const CPointF& place) {
    TaskFires fires;
    const CDynArray<OActivityProp*>& list = town->GetList(TLVWorld_Activity::kFires);
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto* fire = dynamic_cast<Fire*>(list.GetAt(i));
        if (!fire || fire->GetObjectId() != WToon_Activity::kFireId) continue;
        ++fires.all;
        fires.burning += fire->IsBurning();
        fires.at |= std::hypot(fire->GetPosition().x - place.x, fire->GetPosition().y - place.y) < 1.0f;
    }
    return fires;
}

class CircusTownEarlyLeaveTest : public ShellScenarioTest {
protected:
    /// A run of `seconds` from the sign-in on, the bot's choices drawn from `seed`.

    EarlyLeave Play(uint32_t seconds, uint32_t seed);
};

EarlyLeave CircusTownEarlyLeaveTest::Play(uint32_t seconds, uint32_t seed) {
    RenewContext();
    // Every run starts at the same tick: the town reads the clock as well as the seed.
    clock().Set(plat::VirtualClock::kStart);
    xWorld_RegisterClasses();
    EXPECT_TRUE(xTLVFactory_Register({kArcadeClass, [] { return static_cast<OActivity*>(new TownReturner); }, nullptr}));
    TownReturner::starts = 0;
    Ini("STARTACTIVITY=4\n");
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    PutSave(records);
    EarlyLeave played;
    uint32_t now = 0, shownAt = 0, panelAt = 0, dousedAt = 0;
    int16_t panel = -1;
    ChunkId shown = kNullChunkId;
    std::string lastCaption;
    Goal goal = Goal::Badge;
    std::unique_ptr<TownBot> bot;
    TownBot::Task task;
    task.open = [&](OActivityProp* prop) {
        WToon_Activity* town = Town();
        if (!town || !IsShown(prop)) return false;
        if (goal == Goal::Badge) return prop->IsA(Token::kClassId);
        if (goal == Goal::Fire)
            if (auto* fire = dynamic_cast<Fire*>(prop)) return fire->IsBurning() && fire->GetObjectId() == WToon_Activity::kFireId;
        if (goal == Goal::Puppy)
            if (auto* puppy = dynamic_cast<DFollower*>(prop)) return !puppy->IsFollowing() && !town->IsFollower(puppy);
        return false;
    };
    // The bot drives the roads to the corners on its way to a place first: a lamp stands on
    // the road below the apartments, a manhole on the middle road toward the factory, and a
    // cone on the crossing below the way out.
    std::vector<std::unique_ptr<OActivityProp>> corners;
    Goal cornersOf = Goal::Done;
    size_t corner = 0;
    task.first = [&](TLVWorld_Activity* world) -> OActivityProp* {
        if (goal != cornersOf) {
            cornersOf = goal;
            corners.clear();
            corner = 0;
            std::vector<CPointF> way;
            if (goal == Goal::Apartments) way = {CPointF(2112, 1088), CPointF(2112, 320)};
            // To the factory along the top road and down past the cone.
            if (goal == Goal::Factory) way = {CPointF(1216, 320), CPointF(3720, 320), CPointF(3720, 600)};
            if (goal == Goal::WayOut) way = {CPointF(3720, 600), CPointF(3720, 250)};
            for (const CPointF at : way) {
                corners.push_back(std::make_unique<OActivityProp>("OActivityProp", OActivityProp::kClassId));
                corners.back()->SetPosition(at, 0, 0);
            }
        }
        auto* vehicle = world->GetVehicle();
        while (corner < corners.size() && vehicle &&
               std::hypot(vehicle->GetPosition().x - corners[corner]->GetPosition().x,
                          vehicle->GetPosition().y - corners[corner]->GetPosition().y) < 150.0f)
            ++corner;
        if (corner < corners.size()) return corners[corner].get();
        if (goal == Goal::Apartments) return world->GetWayPoint(1);
        if (goal == Goal::Factory) return world->GetWayPoint(2);
        if (goal == Goal::WayOut) return world->GetWayPoint(0);
        return nullptr;
    };
    task.needsAction = [](OActivityProp* prop) { return prop->IsA(Fire::kClassId) || prop->IsA(DFollower::kClassId); };
    // The fire is come at up the road, as the town bot's circus tasks do.
    const TownBot::Task circus = CircusTasks();
    task.actionReach = circus.actionReach;
    task.upTheRoad = circus.upTheRoad;
    // The fire engine with a puppy in tow is slow: it is still closing in on a far place when
    // the usual circling time runs out.
    task.patient = true;

    Scenario s = Game(kFrameMs);
    s.frames = seconds * 1000 / kFrameMs;
    s.watch = [&](uint32_t tick) {
        now = (tick - 1) * kFrameMs;
        if (tick == 1) {
            xSRand(seed);
            TLVWorld_Activity::escapeSide = 0;
        }
        OActivityManager* manager = GetActivityManager();
        const ChunkId id = manager ? manager->GetCurrentId() : kNullChunkId;
        if (id != shown) {
            shown = id;
            shownAt = now;
            played.visited.push_back(id);
            if (id == kSignIn) {
                // Badge 0, "Ann" typed, the continue badge.
                Script(SteadyClick(SignInBadge(0), 1000) +
                       "1400 WM_KEYDOWN 16 0 0 0\n1420 WM_KEYDOWN 65 0 0 0\n1430 WM_CHAR 65 0 0 0\n"
                       "1450 WM_KEYUP 65 0 0 0\n1460 WM_KEYUP 16 0 0 0\n"
                       "1500 WM_KEYDOWN 78 0 0 0\n1510 WM_CHAR 110 0 0 0\n1530 WM_KEYUP 78 0 0 0\n"
                       "1600 WM_KEYDOWN 78 0 0 0\n1610 WM_CHAR 110 0 0 0\n1630 WM_KEYUP 78 0 0 0\n" +
                       SteadyClick(buttons::kSignInContinue, 2500));
            }
            if (id == kGarage && goal == Goal::Badge) Script(SteadyClick(buttons::kGarageGo, 1000)); // go
            if (id == kTownId) bot = std::make_unique<TownBot>(CircusRoads(), task);
            if (id != kTownId) cornersOf = Goal::Done;
            if (id == kApartments) {
                played.flagInGame = CTLVApp::Get()->GetPlayer()->GetActivityFlag(W, kArcadeFlag);
                played.counterInGame = CTLVApp::Get()->GetPlayer()->GetCounter(kArcadeCounter);
            }
        }
        if (OMessageProcess* messages = CTLVApp::Get() ? CTLVApp::Get()->GetMessageProcess() : nullptr) {
            const OMessageRecord* head = messages->Head();
            const std::string caption = head ? head->caption : "";
            if (!caption.empty() && caption != lastCaption) {
                char line[48];
                std::snprintf(line, sizeof line, "%u: {7, 0, %d} ", tick,
                              head->voice ? int(ChunkEntryOf(head->voice->cacheId)) : -1);
                played.lines += line + caption + "\n";
            }
            lastCaption = caption;
        }
        WToon_Activity* town = Town();
        if (!town || manager->IsSwitchPending() || now < shownAt + 500) return;
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        auto* vehicle = dynamic_cast<VIsometric*>(town->GetVehicle());
        played.tokens.Watch(town);
        played.hashes.push_back(StateHash(town));
        if (goal == Goal::Factory && played.towBack < 0 && vehicle) {
            // Back from the apartments' game, at its first frame in the town.
            played.back = vehicle->GetPosition();
            played.towBack = town->CountFollowers();
            const TaskFires fires = CountTaskFires(town, played.doused);
            played.burningBack = fires.burning;
            played.firesBack = fires.all;
            played.dousedBack = fires.at;
        }
        // The panels: the tutorial's button, the apartments' yes, the factory's no, the way out's yes.
        int16_t open = -1;
        for (int16_t n : {int16_t(TLVWorld_Activity::kTutorialPanel), WToon_Activity::kConfirmPanel, CTLVActivity::kPanelNewCar})
            if (town->IsPanelShown(n)) open = n;
        if (open != panel) {
            panel = open;
            panelAt = now;
        }
        auto since = [&](uint32_t from, uint32_t ms) { return now >= from + ms && now < from + ms + kFrameMs; };
        if (panel == TLVWorld_Activity::kTutorialPanel) {
            if (since(panelAt, 2000)) played.pictures["tutorial"] = StagePicture();
            if (since(panelAt, 3000)) Script(SteadyClick(buttons::kQuestionYes)); // yes, or the tutorial's button
            return;
        }
        if (panel == WToon_Activity::kConfirmPanel || panel == CTLVActivity::kPanelNewCar) {
            // The areas on the way that the bot does not go for are answered no.
            const int32_t area = town->GetAreaNumber();
            const bool apartments = goal == Goal::Apartments && area == 1;
            const bool out = goal == Goal::WayOut && panel == CTLVActivity::kPanelNewCar;
            if (apartments && since(panelAt, 1500)) {
                played.pictures["panel 6"] = StagePicture();
                played.stored = player->GetWorldPosition(W);
                played.before = vehicle->GetPosition();
                played.towBefore = town->CountFollowers();
                played.burningBefore = CountTaskFires(town, played.doused).burning;
            }
            if (since(panelAt, 2000)) {
                Script(SteadyClick(apartments || out ? buttons::kQuestionYes : buttons::kQuestionNo));
                if (apartments) goal = Goal::Factory;
                else if (out) goal = Goal::Done;
                else if (goal == Goal::Factory && area == 2) {
                    played.factoryNo = true;
                    goal = Goal::WayOut;
                } else played.passed += std::to_string(area) + " ";
            }
            return;
        }
        if (goal == Goal::Badge && player->GetBadgeCount(W, 0) > 0) goal = Goal::Fire;
        if (goal == Goal::Fire && player->GetQuota1Left(W) < player->GetQuota1Max(W)) {
            goal = Goal::Puppy;
            dousedAt = now;
            const CDynArray<OActivityProp*>& list = town->GetList(TLVWorld_Activity::kFires);
            for (int32_t i = 0; i < list.Count(); ++i)
                if (auto* fire = dynamic_cast<Fire*>(list.GetAt(i)); fire && fire->GetObjectId() == WToon_Activity::kFireId && !fire->IsBurning())
                    played.doused = fire->GetPosition();
        }
        if (dousedAt && since(dousedAt, 96)) {
            played.pictures["doused fire"] = StagePicture();
            if (CCounterPanel* counters = CTLVApp::Get()->GetCounterPanel())
                for (int i = 0; i < 3; ++i)
                    for (OView* view : {static_cast<OView*>(counters->GetIcon(i)), static_cast<OView*>(counters->GetNumber(i))})
                        if (view) played.counters.push_back(view->GetScreenRect());
        }
        if (goal == Goal::Puppy && town->CountFollowers() > 0) goal = Goal::Apartments;
        played.reached = goal;
        if (goal != Goal::Done && bot) {
            const std::string out = bot->Step(town, now - shownAt);
            if (!out.empty()) Script(out);
        }
    };
    played.run = RunScenario(s);
    played.record->Load(0);
    return played;
}

TEST_F(CircusTownEarlyLeaveTest, ANewPlayerPlaysTheApartmentsWithAPuppyInTowAndLeavesByTheWayOut) {
    const EarlyLeave played = Play(160, 1);
    EXPECT_EQ(played.run.exitCode, 0);
    EXPECT_TRUE(played.run.boxes.empty()) << played.run.boxes.front().text;
    EXPECT_EQ(MissingChunkTraces(played.run.trace), "");
    const std::vector<ChunkId> route = {kSignIn, kGarage, kTownId, kApartments, kTownId, kGarage};
    EXPECT_EQ(played.visited, route) << "sign-in, garage, town, the apartments' game, town, garage";
    EXPECT_EQ(played.reached, Goal::Done);
    EXPECT_EQ(TownReturner::starts, 1);
    EXPECT_TRUE(played.factoryNo) << "the fireworks factory reached and answered no";
    EXPECT_EQ(played.passed, "") << "no other area on the way";

    // The apartments' game: the flag cleared and the entry counted before it starts.
    EXPECT_EQ(played.flagInGame, 0);
    EXPECT_EQ(played.counterInGame, 1);
    // Back in the town: where the vehicle stood, the puppy in tow, the doused fire gone and
    // every other fire of the task burning.
    EXPECT_EQ(played.stored, CPoint16(int16_t(std::lround(played.before.x)), int16_t(std::lround(played.before.y))));
    EXPECT_NEAR(played.back.x, played.stored.x, 1.0f);
    EXPECT_NEAR(played.back.y, played.stored.y, 1.0f);
    EXPECT_EQ(played.towBefore, 1);
    EXPECT_EQ(played.towBack, 1);
    EXPECT_FALSE(played.dousedBack) << "the doused fire is not lit again";
    EXPECT_GT(played.burningBack, 0);
    EXPECT_EQ(played.burningBack, played.burningBefore);
    EXPECT_EQ(played.firesBack, played.burningBack) << "only burning fires come back";

    // The record: no task finished, one fire out, every puppy still out, the badges taken.
    const CPlayer& record = *played.record;
    EXPECT_EQ(record.GetQuota1Left(W), record.GetQuota1Max(W) - 1);
    EXPECT_EQ(record.GetQuota2Left(W), record.GetQuota2Max(W)) << "the puppy in tow was never brought home";
    EXPECT_EQ(record.GetQuota3Left(W), record.GetQuota3Max(W));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(record.GetActivityCount(W, i), 0) << "count " << i;
    EXPECT_EQ(record.GetHeroPoints(W), 0);
    EXPECT_EQ(record.GetWorldWord31(W), 0) << "no movie";
    EXPECT_GE(played.tokens.Count(), 1);
    EXPECT_EQ(record.GetBadgeCount(W, 0), played.tokens.Count());
    EXPECT_EQ(record.GetCounter(kVisits), 2) << "two visits of the town";
    EXPECT_EQ(record.GetCounter(kArcadeCounter), 1);
    EXPECT_EQ(record.GetCounter(kFactoryCounter), 0) << "no counts no entry";
    EXPECT_EQ(record.GetCounter(kBigTopCounter), 0);
    // The exit drive outlasts the re-arm after the last panel button: every area is open again.
    for (int flag = kArcadeFlag; flag <= kRoundUpFlag; ++flag) EXPECT_EQ(record.GetActivityFlag(W, flag), 1) << "flag " << flag;

    // The puppies', fires' and badges' counters (icon and number each) stand clear of each other.
    ASSERT_EQ(played.counters.size(), 6u);
    for (size_t a = 0; a < played.counters.size(); ++a)
        for (size_t b = a / 2 * 2 + 2; b < played.counters.size(); ++b)
            EXPECT_FALSE(played.counters[a].Overlaps(played.counters[b])) << "counter " << a / 2 << " and " << b / 2;

    ExpectMatchesGolden("game/world/circus_town_leave_lines.txt", played.lines);
    for (const char* name : {"tutorial", "panel 6", "doused fire"}) {
        ASSERT_EQ(played.pictures.count(name), 1u) << name;
        std::string file = name;
        std::replace(file.begin(), file.end(), ' ', '_');
        ExpectMatchesGoldenImage("game/world/circus_town_leave_" + file + ".png", played.pictures.at(name));
    }
}

TEST_F(CircusTownEarlyLeaveTest, TwoRunsOfOneSeedGiveTheSameStateAtEveryFrame) {
    // From the sign-in through the tutorial to the first badge and fire.
    const EarlyLeave first = Play(60, 2);
    const EarlyLeave second = Play(60, 2);
    ASSERT_GT(first.hashes.size(), 1000u);
    ASSERT_EQ(first.hashes.size(), second.hashes.size());
    for (size_t frame = 0; frame < first.hashes.size(); ++frame)
        ASSERT_EQ(first.hashes[frame], second.hashes[frame]) << "the runs part at frame " << frame;
    EXPECT_EQ(first.lines, second.lines);
    EXPECT_EQ(first.visited, second.visited);
}

} // namespace
} // namespace vqt::test
