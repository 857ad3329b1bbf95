#include "tests/support/bots/GameBot.h"

#include <cctype>
#include <cmath>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/media/MessageProcess.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/NavigationProp.h"
#include "game/shell/Player.h"
#include "game/shell/SignInActivity.h"
#include "game/shell/SignInBadgeProps.h"
#include "game/shell/TLVApp.h"
#include "game/shell/VehicleSelectActivity.h"
#include "game/world/towns/TownWorld.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {
namespace {

/// A screen is settled this long after it became current.
constexpr uint32_t kSettleMs = 800;
constexpr uint32_t kShiftKey = 16;
/// How long the bot looks at the drive tutorial before it closes it.
constexpr uint32_t kTutorialMs = 3000;
/// ESC is held this long, and pressed again no sooner than this after it went up.
constexpr uint32_t kKeyHoldMs = 100, kKeyGapMs = 500;
constexpr int32_t kEscKey = 27;
/// Where the credits' end is clicked.
constexpr StagePoint kCredits{320, 240};
constexpr uint16_t kCreditsEntry = 7;

/// The missions of world `w` done in the player's record.
int MissionsDone(int w) {
    CTLVApp* app = CTLVApp::Get();
    return app && app->GetPlayer() ? app->GetPlayer()->GetActivityCount(w, TownWorld::kMissionTask) : 0;
}

bool Quiet() {
    CTLVApp* app = CTLVApp::Get();
    return app && app->GetMessageProcess()->QueueLength() == 0;
}

} // namespace

GameBot::GameBot(BotInput input, std::string name, std::vector<TownLeg> legs)
    : input_(input), name_(std::move(name)), legs_(std::move(legs)) {
    drivers_.push_back(MakeRaceDriver(input, true));
    drivers_.push_back(MakeArcadeDriver());
    drivers_.push_back(MakeRoundUpDriver(input));
    drivers_.push_back(MakePuzzleDriver(input));
}

GameBot::~GameBot() = default;

std::string GameBot::Step(uint32_t nowMs) {
    OActivityManager* manager = GetActivityManager();
    if (!manager || finished_) return "";
    OActivity* current = manager->GetCurrentActivity();
    const ChunkId id = manager->GetCurrentId();
    if (id != shown_) {
        shown_ = id;
        arrived_ = nowMs;
        step_ = 0;
        town_.reset();
    }
    // The drivers count their frames whatever is current.
    if (escHeld_ && nowMs >= escUp_) {
        input_.holdKey(kEscKey, false);
        escHeld_ = false;
    }
    std::string out;
    bool playing = false;
    for (auto& driver : drivers_) {
        out += driver->Step(current, nowMs);
        playing = playing || driver->Plays(current);
    }
    if (playing || !current || manager->IsSwitchPending() || manager->IsOverlayActive() || nowMs < arrived_ + kSettleMs)
        return out;
    if (auto* signIn = dynamic_cast<SignIn_Activity*>(current)) return out + AtSignIn(*signIn);
    if (auto* garage = dynamic_cast<VehicleSelect_Activity*>(current)) return out + AtGarage(*garage);
    if (auto* certificate = dynamic_cast<Certificate_Activity*>(current)) return out + AtCertificate(*certificate);
    if (auto* town = dynamic_cast<TownWorld*>(current)) return out + InTown(*town, nowMs);
    if (id == MakeChunkId(1, kCreditsEntry) && step_ == 0) {
        step_ = 1;
        finished_ = true;
        return out + SteadyClick(kCredits);
    }
    return out;
}

std::string GameBot::AtSignIn(SignIn_Activity& signIn) {
    if (!signedIn_) {
        if (!Quiet()) return "";
        signedIn_ = true;
        // A badge with a name is the player of an earlier run: chosen, not typed again.
        const Sign_In_Empty_Icon* empty = signIn.GetEmptyIcon(0);
        const bool fresh = empty && empty->IsVisible();
        return ClickAt(SignInBadge(0)) + (fresh ? Typed(300) : std::string()) + ClickAt(buttons::kSignInContinue, 1500);
    }
    if (leg_ < legs_.size()) return "";
    if (step_ == 0) {
        step_ = 1;
        return SteadyClick(buttons::kSignInQuit);
    }
    if (step_ == 1 && signIn.IsPanelShown(CTLVActivity::kPanelQuit)) {
        step_ = 2;
        return SteadyClick(buttons::kPanelButton1);
    }
    return "";
}

std::string GameBot::AtGarage(VehicleSelect_Activity& garage) {
    if (leg_ >= legs_.size()) {
        if (step_ != 0) return "";
        step_ = 1;
        return SteadyClick(buttons::kGarageBack);
    }
    const int vehicle = legs_[leg_].vehicle;
    if (step_ == 0) {
        step_ = 1;
        return SteadyClick({buttons::kGarageColumnX[vehicle / 2], buttons::kGarageRowY[0]});
    }
    if (step_ == 1 && garage.GetSelectedValue() == vehicle && garage.GetGoButton()->IsVisible()) {
        step_ = 2;
        return SteadyClick(buttons::kGarageGo);
    }
    return "";
}

std::string GameBot::InTown(TownWorld& town, uint32_t nowMs) {
    if (leg_ >= legs_.size()) return "";
    // A game's way point asks whether to play: yes, unless the game was already won in this
    // town (the town bot may drive over its way point on the way to a task). A way out asks
    // whether to change the vehicle: no, the leg goes on in it.
    const std::string answer =
        questions_.Step(town, nowMs, [this](TownWorld& asking) { return entered_.insert(asking.GetAreaNumber()).second; });
    if (questions_.Asking()) return answer;
    // The drive tutorial of a first visit, looked at a while, goes with the menu (ESC opens
    // it over the tutorial), and the menu with ESC again.
    const bool tutorial = town.IsPanelShown(TLVWorld_Activity::kTutorialPanel);
    if (tutorial || town.IsPanelShown(TownWorld::kMenuPanel)) {
        if (!escHeld_ && (!tutorial || nowMs >= arrived_ + kTutorialMs) && nowMs >= escUp_ + kKeyGapMs) {
            input_.holdKey(kEscKey, true);
            escHeld_ = true;
            escUp_ = nowMs + kKeyHoldMs;
        }
        return "";
    }
    step_ = 0;
    if (!legStarted_) {
        legStarted_ = true;
        legWorld_ = town.Table().world;
        legMissions_ = MissionsDone(legWorld_);
    }
    // A town is a new object each time it becomes current (after every game).
    if (!town_) town_ = std::make_unique<TownBot>(legs_[leg_].roads, GamesFirst(legs_[leg_].tasks));
    return town_->Step(&town, nowMs);
}

std::string GameBot::AtCertificate(Certificate_Activity& certificate) {
    // The town's certificate button opens the page before the town's mission is done: back
    // to the garage, and the leg goes on.
    if (!legStarted_ || MissionsDone(legWorld_) <= legMissions_) {
        if (step_ != 0) return "";
        step_ = 3;
        return SteadyClick(buttons::kCertificateBack);
    }
    if (!printed_ && step_ == 0) {
        if (!Quiet()) return "";
        step_ = 1;
        return SteadyClick(buttons::kCertificatePrint);
    }
    if (step_ == 1 && certificate.IsPanelShown(Certificate_Activity::kPanelPrint)) {
        step_ = 2;
        printed_ = true;
        return "";
    }
    if ((step_ == 0 || step_ == 2) && !certificate.IsPanelShown(Certificate_Activity::kPanelPrint)) {
        step_ = 3;
        ++leg_;
        legStarted_ = false;
        entered_.clear();
        return SteadyClick(buttons::kCertificateBack);
    }
    return "";
}

TownBot::Task GameBot::GamesFirst(const TownBot::Task& tasks) {
    TownBot::Task task = tasks;
    // The way points lie on the roads: a slow vehicle still closing in on one keeps going.
    task.patient = true;
    task.first = [this, first = tasks.first](TLVWorld_Activity* world) -> OActivityProp* {
        auto* vehicle = dynamic_cast<VIsometric*>(world->GetVehicle());
        OActivityProp* nearest = nullptr;
        float best = 1e12f;
        for (int area = kFirstGameArea; area <= kLastGameArea && vehicle; ++area) {
            OActivityProp* point = world->GetWayPoint(area);
            if (!point || entered_.count(area)) continue;
            const CPointF at = vehicle->GetPosition(), to = point->GetPosition();
            const float d = std::hypot(to.x - at.x, to.y - at.y);
            if (d < best) best = d, nearest = point;
        }
        if (nearest) return nearest;
        return first ? first(world) : nullptr;
    };
    return task;
}

std::string GameBot::Typed(uint32_t fromMs) const {
    std::string out;
    uint32_t at = fromMs;
    for (char c : name_) {
        const bool capital = std::isupper(static_cast<unsigned char>(c)) != 0;
        const int key = std::toupper(static_cast<unsigned char>(c));
        if (capital) out += KeyLine(at, "WM_KEYDOWN", kShiftKey);
        out += KeyLine(at + 20, "WM_KEYDOWN", key);
        out += std::to_string(at + 30) + " WM_CHAR " + std::to_string(int(static_cast<unsigned char>(c))) + " 0 0 0\n";
        out += KeyLine(at + 50, "WM_KEYUP", key);
        if (capital) out += KeyLine(at + 60, "WM_KEYUP", kShiftKey);
        at += 100;
    }
    return out;
}

} // namespace vqt::test
