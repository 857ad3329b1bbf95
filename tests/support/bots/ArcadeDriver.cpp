// The arcades' driver: it closes the start panel by a click on its instructions, steers with
// the arrows to where the game's aim puts the vehicle and fires with ALT, and once the results
// panel has shown a while, goes back to the town by its button 0.
#include <cmath>

#include "engine/core/ActivityManager.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/minigames/arcade/GAMetropolisActivity.h"
#include "game/minigames/arcade/GAToonActivity.h"
#include "game/minigames/arcade/GAZooActivity.h"
#include "game/minigames/arcade/MetroArcadeCrook.h"
#include "game/minigames/arcade/ToonArcadeClown.h"
#include "game/minigames/arcade/ZooArcadeGoalItem.h"
#include "game/minigames/arcade/ZooArcadeMonkey.h"
#include "game/world/vehicles/VFlat.h"
#include "tests/support/bots/DriverKit.h"
#include "tests/support/bots/MiniGameDriver.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {
namespace {

constexpr int kLeft = 37, kRight = 39, kAlt = 18;
constexpr float kNoAim = 1e9f;
/// A new game is settled this long after it became current; the driver reads its start panel
/// a while longer, and starts playing once the panel is gone a while.
constexpr uint32_t kSettleMs = 800, kStartPanelMs = 1500, kPlayFromMs = 2000;
/// How long the driver looks at the results panel before it goes back to the town.
constexpr uint32_t kResultsMs = 1500;

/// Where the driver wants the vehicle on the stage (none: kNoAim) and whether it presses ALT.
struct Aim {
    float target = kNoAim;
    bool fire = false;
};

/// The circus: under the nearest waiting character, of the kind the box asks for while one is
/// held; it sprays once under it and no spray runs.
Aim CircusAim(Arcade_Game& arcade, float x, float viewLeft, uint32_t now, uint32_t firedAt) {
    auto& game = static_cast<GAToon_Activity&>(arcade);
    Aim aim;
    for (int32_t i = 0; i < game.Characters().Count(); ++i) {
        Toon_Arcade_Clown* c = game.Characters().GetAt(i);
        const int32_t state = c->GetState();
        if (!c->IsActive() || (state != 0 && state != 1)) continue;
        if (game.GetWaitingKind() != -1 && c->GetKind() != game.GetWaitingKind() && game.GetHeldCharacter()) continue;
        const float cx = c->GetPosition().x - viewLeft;
        if (cx < 40 || cx > 600) continue;
        if (std::fabs(cx - x) < std::fabs(aim.target - x)) aim.target = cx;
    }
    aim.fire = aim.target < kNoAim && std::fabs(aim.target - x) <= 12 && now >= firedAt + 200 && !game.IsSprayRunning();
    return aim;
}

/// The zoo: under the lowest falling item or token, or else under the nearest monkey still
/// holding its piece, shining it once close.
Aim ZooAim(Arcade_Game& arcade, float x, float viewLeft, uint32_t now, uint32_t firedAt) {
    auto& game = static_cast<GAZoo_Activity&>(arcade);
    Aim aim;
    float lowest = -1e9f;
    auto consider = [&](const OActivityProp* thing) {
        if (!thing->IsVisible() || thing->GetPosition().y <= lowest) return;
        lowest = thing->GetPosition().y;
        aim.target = thing->GetPosition().x - viewLeft;
    };
    for (int32_t i = 0; i < game.LiveItems().Count(); ++i) consider(game.LiveItems().GetAt(i));
    for (int32_t i = 0; i < game.LiveTokens().Count(); ++i) consider(game.LiveTokens().GetAt(i));
    if (aim.target < kNoAim) return aim; // chasing what falls
    for (int32_t i = 0; i < game.ActiveMonkeys().Count(); ++i) {
        const Zoo_Arcade_Monkey* monkey = game.ActiveMonkeys().GetAt(i);
        const float mx = monkey->GetPosition().x - viewLeft;
        if (monkey->IsHit() || !monkey->IsVisible() || mx < 80 || mx > 600) continue;
        if (std::fabs(mx - x) < std::fabs(aim.target - x)) aim.target = mx;
    }
    aim.fire = aim.target < kNoAim && std::fabs(aim.target - x) <= 20 && now >= firedAt + 200 && game.FireClock().HasElapsed();
    return aim;
}

/// The city: under the nearest crook on the street not yet stopped, tossing whenever a burst
/// may start.
Aim CityAim(Arcade_Game& arcade, float x, float viewLeft, uint32_t now, uint32_t firedAt) {
    auto& game = static_cast<GAMetropolis_Activity&>(arcade);
    Aim aim;
    for (int32_t i = 0; i < game.Crooks().Count(); ++i) {
        const Metro_Arcade_Crook* crook = game.Crooks().GetAt(i);
        const float cx = crook->GetPosition().x - viewLeft;
        if (crook->IsStopped() || crook->IsLanding() || !crook->IsVisible() || cx < 20 || cx > 620) continue;
        if (std::fabs(cx - x) < std::fabs(aim.target - x)) aim.target = cx;
    }
    aim.fire = aim.target < kNoAim && now >= firedAt + 100 && !game.IsBurstRunning() && game.FireClock().HasElapsed();
    return aim;
}

/// Each arcade's aim, and how far from it the vehicle may stand before the driver steers.
struct ArcadeAim {
    uint32_t classId;
    float reach;
    Aim (*aim)(Arcade_Game& game, float x, float viewLeft, uint32_t now, uint32_t firedAt);
};
const ArcadeAim kArcades[] = {
    {GAToon_Activity::kClassId, 12, CircusAim},
    {GAZoo_Activity::kClassId, 10, ZooAim},
    {GAMetropolis_Activity::kClassId, 10, CityAim},
};

const ArcadeAim* AimOf(const OActivity* current) { return RowOf(kArcades, current); }

class ArcadeDriver final : public MiniGameDriver {
public:
    bool Plays(OActivity* current) const override { return AimOf(current) != nullptr; }

    std::string Step(OActivity* current, uint32_t now) override {
        if (current_.Note(now)) {
            // A new game starts afresh (a new run of the program holds no key).
            phase_ = Phase::StartPanel;
            wonAt_ = firedAt_ = 0;
            heldKey_ = 0;
        }
        const uint32_t arrived = current_.since;
        const ArcadeAim* arcade = AimOf(current);
        if (arcade == nullptr) return "";
        auto& game = static_cast<Arcade_Game&>(*current);
        const bool settled = !GetActivityManager()->IsSwitchPending() && now >= arrived + kSettleMs;
        switch (phase_) {
        case Phase::StartPanel:
            if (!settled || now < arrived + kStartPanelMs || !game.IsPanelShown(Arcade_Activity::kStartPanel)) return "";
            phase_ = Phase::Starting;
            return SteadyClick(kInstructions);
        case Phase::Starting:
            if (settled && !game.IsPanelShown(-1) && now >= arrived + kPlayFromMs) phase_ = Phase::Playing;
            return "";
        case Phase::Playing:
            if (game.IsPanelShown(Arcade_Game::kResultsPanel)) {
                phase_ = Phase::Results;
                wonAt_ = now;
                return Release();
            }
            return Play(game, *arcade, now);
        case Phase::Results:
            if (now < wonAt_ + kResultsMs) return "";
            phase_ = Phase::Left;
            return SteadyClick(buttons::kPanelButton0);
        case Phase::Left:
            return "";
        }
        return "";
    }

    std::string Release() override {
        const int held = heldKey_;
        heldKey_ = 0;
        return held ? KeyLine(0, "WM_KEYUP", held) : "";
    }

private:
    enum class Phase { StartPanel, Starting, Playing, Results, Left };

    /// The arrow toward the aim held, ALT pressed and released when it says so.
    std::string Play(Arcade_Game& game, const ArcadeAim& arcade, uint32_t now) {
        VFlat* vehicle = game.GetVehicle();
        if (!vehicle || game.IsPanelShown(-1)) return "";
        const float viewLeft = game.GetScrollOffset().x;
        const float x = vehicle->GetPosition().x - viewLeft;
        const Aim aim = arcade.aim(game, x, viewLeft, now, firedAt_);
        int want = 0;
        if (aim.target < kNoAim && aim.target - x > arcade.reach) want = kRight;
        else if (aim.target < kNoAim && x - aim.target > arcade.reach) want = kLeft;
        std::string keys;
        if (want != heldKey_) {
            if (heldKey_) keys += KeyLine(0, "WM_KEYUP", heldKey_);
            if (want) keys += KeyLine(0, "WM_KEYDOWN", want);
            heldKey_ = want;
        }
        if (aim.fire) {
            keys += KeyLine(0, "WM_SYSKEYDOWN", kAlt) + KeyLine(40, "WM_SYSKEYUP", kAlt);
            firedAt_ = now;
        }
        return keys;
    }

    Phase phase_ = Phase::StartPanel;
    /// Since when the current activity is current; when the results showed and the last ALT.
    CurrentSince current_;
    uint32_t wonAt_ = 0, firedAt_ = 0;
    /// The arrow held down (0: none).
    int heldKey_ = 0;
};

} // namespace

std::unique_ptr<MiniGameDriver> MakeArcadeDriver() { return std::make_unique<ArcadeDriver>(); }

} // namespace vqt::test
