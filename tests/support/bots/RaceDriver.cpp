// The road races' drivers: the winner steers to the nearest wanted object ahead and fires at
// every reload; the other never fires and steers clear of everything ahead.
#include <cmath>

#include "engine/core/ActivityManager.h"
#include "engine/core/ActivityProp.h"
#include "engine/media/MessageProcess.h"
#include "game/minigames/race/GRMetropolisActivity.h"
#include "game/minigames/race/GRToonActivity.h"
#include "game/minigames/race/GRZooActivity.h"
#include "game/shell/TLVApp.h"
#include "tests/support/bots/DriverKit.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {
namespace {

constexpr int32_t kKeyLeft = 37, kKeyRight = 39, kKeyAlt = 18;
/// The longest the driver waits at the intro panel for its lines to be played.
constexpr uint32_t kIntroBoundMs = 10000;
/// How long the driver looks at the end panel before it goes back to the town.
constexpr uint32_t kEndPanelMs = 640;
constexpr float kStageWidth = 640.0f;
/// How near the vehicle's x counts as under an object, and how close ahead an object must
/// come for the careful driver to steer clear, and how far aside it goes.
constexpr float kSteerSlack = 8.0f, kDangerNear = 80.0f, kDangerAside = 120.0f;

/// What the drivers know of a race: how many kinds its objects have, which ones the winner
/// goes for.
struct RaceKinds {
    uint32_t classId;
    int32_t kinds;
    bool (*wanted)(int32_t kind);
};

const RaceKinds kRaces[] = {
    {GRToon_Activity::kClassId, GRToon_Activity::kKinds,
     [](int32_t k) { return k == GRToon_Activity::kFire || k == GRToon_Activity::kBadge || k == GRToon_Activity::kFireworks; }},
    {GRZoo_Activity::kClassId, GRZoo_Activity::kKinds,
     [](int32_t k) {
         return k == GRZoo_Activity::kMonkey || k == GRZoo_Activity::kClothes || k == GRZoo_Activity::kBadge ||
                k == GRZoo_Activity::kFlashlight;
     }},
    {GRMetropolis_Activity::kClassId, GRMetropolis_Activity::kKinds,
     [](int32_t k) {
         using R = GRMetropolis_Activity;
         return k == R::kCrookJunk || k == R::kCrook || k == R::kLoot || k == R::kToken || k == R::kPowerUp;
     }},
};

const RaceKinds* KindsOf(const OActivity* current) { return RowOf(kRaces, current); }

class RaceDriver final : public MiniGameDriver {
public:
    RaceDriver(BotInput input, bool fires) : input_(std::move(input)), fires_(fires) {}

    bool Plays(OActivity* current) const override { return KindsOf(current) != nullptr; }

    std::string Step(OActivity* current, uint32_t nowMs) override {
        ++frames_;
        const RaceKinds* kinds = KindsOf(current);
        if (kinds == nullptr) {
            race_ = nullptr; // a race played again is a new one, wherever it lies
            return "";
        }
        auto& race = static_cast<CGRoadRace&>(*current);
        if (&race != race_) {
            race_ = &race;
            start_ = nowMs;
            introHeard_ = clicked_ = endSeen_ = left_ = false;
        }
        const uint32_t at = nowMs - start_;
        if (race.IsPanelShown(CGRoadRace::kIntroPanel)) {
            // The driver listens to the intro lines before it starts the race.
            CTLVApp* app = CTLVApp::Get();
            OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
            if (messages && messages->QueueLength() == 0 && !messages->IsSuspended()) introHeard_ = true;
            if (clicked_ || !(introHeard_ || at >= kIntroBoundMs)) return "";
            clicked_ = true;
            return ClickAt(kInstructions);
        }
        if (race.IsPanelShown(CGRoadRace::kEndPanel)) {
            if (!endSeen_) {
                endSeen_ = true;
                endAt_ = at;
                return Release();
            }
            if (left_ || at < endAt_ + kEndPanelMs) return "";
            left_ = true;
            return ClickAt(buttons::kPanelButton0);
        }
        if (race.GetRaceVehicle() == nullptr) return "";
        if (fires_) Chase(race, *kinds);
        else SteerClear(race, *kinds);
        return "";
    }

    std::string Release() override {
        for (int32_t key : {kKeyLeft, kKeyRight, kKeyAlt}) input_.holdKey(key, false);
        return "";
    }

private:
    /// The x of the nearest shown object ahead of the vehicle of a kind asked for, or -1.
    static float NearestAhead(CGRoadRace& race, const RaceKinds& kinds, bool any) {
        const CPointF vehicle = race.GetRaceVehicle()->GetPosition();
        float x = -1.0f, nearest = -1e9f;
        for (const CGRaceObjects::Entry& e : race.Track().Objects().Live()) {
            const bool asked = any ? e.kind >= 0 && e.kind < kinds.kinds : kinds.wanted(e.kind);
            if (e.prop == nullptr || !asked || !e.prop->IsVisible()) continue;
            const CPointF p = e.prop->GetPosition();
            if (p.y < vehicle.y - 20.0f && p.y > nearest) {
                nearest = p.y;
                x = p.x;
            }
        }
        return x;
    }
    void Steer(float goal, float x) {
        input_.holdKey(kKeyLeft, goal >= 0.0f && goal < x - kSteerSlack);
        input_.holdKey(kKeyRight, goal >= 0.0f && goal > x + kSteerSlack);
    }
    /// Toward the nearest wanted object, ALT pressed and released in turn so that every
    /// release past the reload fires.
    void Chase(CGRoadRace& race, const RaceKinds& kinds) {
        Steer(NearestAhead(race, kinds, false), race.GetRaceVehicle()->GetPosition().x);
        input_.holdKey(kKeyAlt, frames_ % 2 == 0);
    }
    /// Away from the nearest object ahead, toward the wider side of the road.
    void SteerClear(CGRoadRace& race, const RaceKinds& kinds) {
        const float x = race.GetRaceVehicle()->GetPosition().x;
        const float danger = NearestAhead(race, kinds, true);
        if (danger < 0.0f || std::fabs(danger - x) > kDangerNear) return Steer(-1.0f, x);
        Steer(danger < kStageWidth / 2.0f ? danger + kDangerAside : danger - kDangerAside, x);
    }

    BotInput input_;
    bool fires_;
    /// Frames stepped, the race being driven, when it arrived and when its end panel showed.
    uint64_t frames_ = 0;
    const CGRoadRace* race_ = nullptr;
    uint32_t start_ = 0, endAt_ = 0;
    bool introHeard_ = false, clicked_ = false, endSeen_ = false, left_ = false;
};

} // namespace

std::unique_ptr<MiniGameDriver> MakeRaceDriver(BotInput input, bool fires) {
    return std::make_unique<RaceDriver>(std::move(input), fires);
}

} // namespace vqt::test
