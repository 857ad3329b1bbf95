#pragma once
// What the towns' scenario runs share: the current town, the scripted input, the picture shown,
// and each town's roads, open tasks and per-frame state for the town bot.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "game/shell/Destructible.h"
#include "game/shell/Fire.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/characters/DAvoider.h"
#include "game/world/characters/DFollower.h"
#include "game/world/characters/DGuard.h"
#include "game/world/towns/WMetropolisActivity.h"
#include "game/world/towns/WToonActivity.h"
#include "game/world/towns/WZooActivity.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/support/Png.h"
#include "tests/support/StageScript.h"
#include "tests/support/TownBot.h"

namespace vqt::test {

/// The circus town's world and the record's words the scenarios read.
inline constexpr int kCircusWorld = WToon_Activity::kWorld;

inline WToon_Activity* Town() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(WToon_Activity::kClassId) ? static_cast<WToon_Activity*>(current) : nullptr;
}

/// The current town of any kind; null elsewhere.
inline TownWorld* CurrentTown() {
    OActivityManager* manager = GetActivityManager();
    return manager ? dynamic_cast<TownWorld*>(manager->GetCurrentActivity()) : nullptr;
}

/// The generator's roads (tiles of 128, the roads' middles).
inline TownRoads CircusRoads() {
    TownRoads roads;
    for (int col : {2, 9, 16, 23, 28}) roads.down.push_back(float(col * 128 + 64));
    for (int row : {2, 8, 14, 20}) roads.across.push_back(float(row * 128 + 64));
    return roads;
}

/// The scripted messages the headless program has not taken yet.
inline size_t HeadlessMessagesWaiting() { return static_cast<plat::ScriptedMessages&>(plat::messages()).Pending(); }

inline bool IsShown(const OActivityProp* prop) { return prop->IsShownThroughParents() && prop->IsVisible(); }

/// Whether a fire of the fire task still burns in the circus town.
inline bool TaskFireBurning(WToon_Activity& town) {
    for (int list = 0; list < TLVWorld_Activity::kPropLists; ++list) {
        const CDynArray<OActivityProp*>& props = town.GetList(list);
        for (int32_t i = 0; i < props.Count(); ++i)
            if (auto* fire = dynamic_cast<Fire*>(props.GetAt(i));
                fire && fire->GetObjectId() == WToon_Activity::kFireId && fire->IsBurning() && IsShown(fire))
                return true;
    }
    return false;
}

/// What is left to do in the circus town, read from the world and the record.
inline TownBot::Task CircusTasks() {
    TownBot::Task task;
    // Whether a fire of the task burns, read once a frame (every fire character asks).
    auto taskFireBurning = [frame = std::make_shared<std::pair<uint32_t, bool>>(~0u, false)](WToon_Activity& town) {
        const uint32_t now = plat::clock().TickCount();
        if (frame->first != now) *frame = {now, TaskFireBurning(town)};
        return frame->second;
    };
    task.open = [taskFireBurning](OActivityProp* prop) {
        WToon_Activity* town = Town();
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        if (!town || !player || !IsShown(prop)) return false;
        const uint32_t id = prop->GetObjectId();
        if (auto* fire = dynamic_cast<Fire*>(prop)) {
            if (!fire->IsBurning()) return false;
            if (id == WToon_Activity::kFireId) return player->GetQuota1Left(kCircusWorld) > 0;
            return town->GetMissionStarted() && id == uint32_t(3 + town->GetCurrentMission());
        }
        // The fire characters run about: the fires, which stay, go first.
        if (auto* character = dynamic_cast<DAvoider*>(prop))
            return id == WToon_Activity::kFireId && character->GetGuardFlag() && !taskFireBurning(*town);
        if (auto* puppy = dynamic_cast<DFollower*>(prop))
            return player->GetQuota1Left(kCircusWorld) == 0 && !puppy->IsFollowing() && !town->IsFollower(puppy);
        // The dog house once the puppies left all follow.
        return prop == town->GetWayPoint(5) && player->GetQuota1Left(kCircusWorld) == 0 && player->GetQuota2Left(kCircusWorld) > 0 &&
               town->CountFollowers() >= player->GetQuota2Left(kCircusWorld);
    };
    // A complete chain goes home before anything else.
    task.first = [](TLVWorld_Activity*) -> OActivityProp* {
        WToon_Activity* town = Town();
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        const bool complete = town && player->GetQuota1Left(kCircusWorld) == 0 && player->GetQuota2Left(kCircusWorld) > 0 &&
                              town->CountFollowers() >= player->GetQuota2Left(kCircusWorld);
        return complete ? town->GetWayPoint(5) : nullptr;
    };
    // The spray puts fires out and picks puppies up.
    task.needsAction = [](OActivityProp* prop) {
        return prop->IsA(Fire::kClassId) || prop->IsA(DAvoider::kClassId) || prop->IsA(DFollower::kClassId);
    };
    // The fires are come at up the road below them, sprayed as far ahead as the circus
    // vehicle's drops fly.
    task.actionReach = WToon_Activity::FindSprayBurst(0)->distance;
    task.upTheRoad = [](OActivityProp* prop) { return prop->IsA(Fire::kClassId); };
    // A fire character or a puppy near is driven at and sprayed.
    task.chaseWithin = 600.0f;
    // A bystander from the spawn on the road across stops the vehicle for good.
    task.backOffMs = 3000;
    // A chain of puppies in tow widens the vehicle's turns.
    task.wideTurns = true;
    // A fire the vehicle keeps missing waits while it does the others.
    task.giveUpMs = 60000;
    return task;
}

/// The city and the zoo lie on the circus town's road plan.
inline TownRoads CityRoads() { return CircusRoads(); }
inline TownRoads ZooRoads() { return CircusRoads(); }

/// Whether the prop is one of the current mission's (object id 3 + the mission) once it started.
inline bool IsMissionTarget(const TownWorld& town, const OActivityProp* prop) {
    return town.GetMissionStarted() && prop->GetObjectId() == TownWorld::kFirstMissionId + uint32_t(town.GetCurrentMission());
}

/// A town task's test of a prop: shown props of the current town only, with its player and the
/// prop's object id at hand.
inline std::function<bool(OActivityProp*)> OpenInTown(bool (*open)(TownWorld&, CPlayer&, OActivityProp*, uint32_t)) {
    return [open](OActivityProp* prop) {
        TownWorld* town = CurrentTown();
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        return town && player && IsShown(prop) && open(*town, *player, prop, prop->GetObjectId());
    };
}

/// What is left to do in the city: loot to drive over, criminals to stun with the canisters
/// and pick up, then the mission's destructibles to ram until they break.
inline TownBot::Task CityTasks() {
    constexpr int W = WMetropolis_Activity::kWorld;
    TownBot::Task task;
    task.open = OpenInTown([](TownWorld& town, CPlayer& player, OActivityProp* prop, uint32_t id) {
        if (prop->IsA(Bag::kClassId)) return id == towns::city::kLoot && player.GetQuota1Left(W) > 0;
        if (prop->IsA(DAvoider::kClassId)) return id == towns::city::kCriminals && player.GetQuota2Left(W) > 0;
        if (auto* crate = dynamic_cast<Destructible*>(prop)) return !crate->IsBroken() && IsMissionTarget(town, prop);
        return false;
    });
    task.needsAction = [](OActivityProp* prop) { return prop->IsA(DAvoider::kClassId); };
    // From the run-up distance a place takes the town's cars longer than the usual circling time;
    // a criminal chased takes many throws.
    task.patient = true;
    task.messagesWaiting = HeadlessMessagesWaiting;
    return task;
}

/// What is left to do in the zoo: monkeys to light with the beam and pick up, penguins to light
/// into a chain and lead home, then the mission's guard monkeys to light and pick up.
inline TownBot::Task ZooTasks() {
    constexpr int W = WZoo_Activity::kWorld;
    TownBot::Task task;
    task.open = OpenInTown([](TownWorld& town, CPlayer& player, OActivityProp* prop, uint32_t id) {
        if (prop->IsA(DAvoider::kClassId)) return id == towns::zoo::kMonkeys && player.GetQuota1Left(W) > 0;
        if (auto* penguin = dynamic_cast<DFollower*>(prop))
            return player.GetQuota2Left(W) > 0 && !penguin->IsFollowing() && !town.IsFollower(penguin);
        if (prop->IsA(DGuard::kClassId)) return IsMissionTarget(town, prop);
        return false;
    });
    // A chain as long as the penguins left goes home before anything else.
    task.first = [](TLVWorld_Activity*) -> OActivityProp* {
        TownWorld* town = CurrentTown();
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        const bool complete = town && player->GetQuota2Left(W) > 0 && town->CountFollowers() >= player->GetQuota2Left(W);
        return complete ? town->GetWayPoint(towns::zoo::kPenguinHouse) : nullptr;
    };
    task.needsAction = [](OActivityProp* prop) {
        return prop->IsA(DAvoider::kClassId) || prop->IsA(DFollower::kClassId) || prop->IsA(DGuard::kClassId);
    };
    task.patient = true; // as the city's
    task.messagesWaiting = HeadlessMessagesWaiting;
    return task;
}

/// One frame's state of a town: the vehicle's place and heading, the quotas, the followers and
/// every shown fire's flame.
inline uint64_t StateHash(TownWorld* town) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](int64_t v) { h = (h ^ uint64_t(v)) * 1099511628211ull; };
    if (auto* vehicle = dynamic_cast<VIsometric*>(town->GetVehicle())) {
        mix(int64_t(vehicle->GetPosition().x * 100));
        mix(int64_t(vehicle->GetPosition().y * 100));
        mix(vehicle->GetState());
    }
    CPlayer* player = CTLVApp::Get()->GetPlayer();
    const int w = town->Table().world;
    mix(player->GetQuota1Left(w)), mix(player->GetQuota2Left(w)), mix(player->GetQuota3Left(w));
    mix(town->CountFollowers());
    for (int list = 0; list < TLVWorld_Activity::kPropLists; ++list) {
        const CDynArray<OActivityProp*>& props = town->GetList(list);
        for (int32_t i = 0; i < props.Count(); ++i)
            if (auto* fire = dynamic_cast<Fire*>(props.GetAt(i)); fire && IsShown(fire)) mix(fire->IsBurning() ? i : -i);
    }
    return h;
}

} // namespace vqt::test
