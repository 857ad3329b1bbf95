// The town's quotas, its two tasks and its mission, kept in the player record.
#include "engine/base/Random.h"
#include "engine/base/Trace.h"

#include "engine/core/ActivityManager.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Fire.h"
#include "game/shell/Player.h"
#include "game/world/characters/ConstraintObject.h"
#include "game/world/characters/DCaptive.h"
#include "game/world/characters/DweebleRoutines.h"
#include "game/world/towns/TownWorld.h"
#include "game/world/vehicles/VIsometric.h"

namespace {

constexpr uint16_t kCaptiveQuota = 10;
constexpr uint16_t kMinHeroPoints = 4;
constexpr uint32_t kCounterColour = 0x00FFFFFFu;

bool IsCaptiveOrPen(const OActivityProp* prop) {
    return prop->IsA(DCaptive::kClassId) || prop->IsA(ConstraintObject::kClassId);
}

bool Contains(const CDynArray<OActivityProp*>& set, const OActivityProp* prop) {
    for (int32_t i = 0; i < set.Count(); ++i)
        if (set.GetAt(i) == prop) return true;
    return false;
}

void ShowWithShadow(TLV_Object* prop, bool show) {
    prop->SetVisible(show ? 1 : 0, 0);
    if (OActivityProp* shadow = prop->GetShadow()) shadow->SetVisible(show ? 1 : 0, 0);
}

} // namespace

void TownWorld::SetCollectableQuotas() {
    CPlayer* player = Player();
    if (!player) return;
    const int w = table_.world;
    SetQuota(1, player->GetQuota1Left(w));
    SetQuota(2, player->GetQuota2Left(w));
    for (int k = 3; k <= 8; ++k) SetQuota(k, 0);
    // A stored mission outside 0-2 (a damaged record) counts as not chosen.
    const int16_t stored = player->GetWorldWord34(w);
    if (stored < 0 || stored >= kMissions) player->SetWorldWord34(w, int16_t(ChooseMission()));
    currentMission_ = player->GetWorldWord34(w);
    if (player->GetQuota1Left(w) == 0 && player->GetQuota2Left(w) == 0 && player->GetQuota3Left(w) == 0) {
        player->SetQuota1Left(w, player->GetQuota1Max(w));
        player->SetQuota2Left(w, player->GetQuota2Max(w));
        player->SetQuota3Left(w, player->GetQuota3Max(w));
        player->SetWorldWord31(w, 0);
        SetQuota(1, player->GetQuota1Left(w));
        SetQuota(2, player->GetQuota2Left(w));
        SayLine(table_.refillLine);
    }
    SetQuota(3 + currentMission_, player->GetQuota3Left(w));
    SetQuota(6 + currentMission_, kCaptiveQuota);
}

bool TownWorld::MainTasksDone() {
    const CPlayer* player = Player();
    const int w = table_.world;
    return player && player->GetQuota1Left(w) == 0 && player->GetQuota2Left(w) == 0 &&
           player->GetHeroPoints(w) >= kMinHeroPoints;
}

bool TownWorld::MissionDone() {
    const CPlayer* player = Player();
    return player && player->GetQuota3Left(table_.world) == 0;
}

void TownWorld::HideMissionProps() {
    CDynArray<OActivityProp*> props;
    for (uint32_t id = kFirstMissionId; id <= kLastMissionId; ++id) FindPropsById(id, props);
    for (int32_t i = 0; i < props.Count(); ++i) {
        auto* prop = dynamic_cast<TLV_Object*>(props.GetAt(i));
        if (!prop) continue;
        ShowWithShadow(prop, false);
        if (auto* fire = dynamic_cast<Fire*>(prop)) fire->SetBurning(false);
        if (auto* captive = dynamic_cast<DCaptive*>(prop)) {
            captive->SetIdleRoutine(&DoNothing);
            captive->SetBehaviourState(1);
        }
    }
}

void TownWorld::StartMission(int32_t mission) {
    if (missionStarted_ || mission < 0 || mission >= kMissions) return;
    missionStarted_ = 1;
    CDynArray<OActivityProp*> props;
    FindPropsById(uint32_t(kFirstMissionId + mission), props);
    FindPropsById(uint32_t(kFirstMissionId + kMissions + mission), props);
    for (int32_t i = 0; i < props.Count(); ++i) {
        auto* prop = dynamic_cast<TLV_Object*>(props.GetAt(i));
        if (!prop) continue;
        if (!prop->IsA(ConstraintObject::kClassId)) prop->SetVisible(1, 0);
        StartMissionProp(prop);
        if (auto* captive = dynamic_cast<DCaptive*>(prop)) {
            captive_ = captive;
            captive->SetIdleRoutine(&DoNothing);
            captive->SetBehaviourState(1);
            captive->SetRescueActivity(table_.endActivity);
        } else if (auto* pen = dynamic_cast<ConstraintObject*>(prop)) {
            pen_ = pen;
        }
        if (OActivityProp* shadow = prop->GetShadow()) shadow->SetVisible(1, 0);
    }
    if (captive_) captive_->SetPen(pen_);
    OnMissionStarted();
    if (CCounterPanel* panel = CounterPanel()) panel->Release();
    ShowMissionCounters();
}

void TownWorld::OnTasksDone() {
    const bool tasks = MainTasksDone(), mission = MissionDone();
    if (tasks && !mission) {
        IntroTimer().Restart();
    } else if (tasks && mission) {
        SetCurrentWayPoint(kNoWayPoint);
        if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(table_.endActivity);
    }
}

void TownWorld::FollowersDelivered() {
    CPlayer* player = Player();
    if (!player) return;
    const int w = table_.world;
    if (player->GetQuota2Left(w) == 0) {
        player->IncActivityCount(w, kSecondTask);
        player->AddHeroPoints(w, 1);
        PlayLoud(table_.taskDoneSound);
        OnTasksDone();
    } else if (player->GetQuota2Left(w) == player->GetQuota2Max(w)) {
        SayLine(table_.moreFollowersLine);
    }
    RefreshCounters();
}

void TownWorld::FinishMission() {
    CPlayer* player = Player();
    if (!player) return;
    player->IncActivityCount(table_.world, kMissionTask);
    player->AddHeroPoints(table_.world, 1);
    PlayLoud(table_.taskDoneSound);
    if (!captive_) {
        if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(table_.endActivity);
        return;
    }
    if (vehicleIso_) {
        vehicleIso_->StopKeys();
        vehicleIso_->TurnKeyUp();
        vehicleIso_->SetTouchHook(nullptr);
    }
    SetDrivingMode(kMissionDoneMode);
    CenterWorldViewOn(captive_);
    // The captive's rescue animation; its end asks for the town's end.
    captive_->SetState(1);
}

void TownWorld::FinishTask(int task) {
    CPlayer* player = Player();
    if (!player) return;
    player->IncActivityCount(table_.world, task);
    player->AddHeroPoints(table_.world, 1);
    PlayLoud(table_.taskDoneSound);
    OnTasksDone();
}

void TownWorld::CollectToken() {
    CPlayer* player = Player();
    if (!player) return;
    player->IncBadgeCount(table_.world, 0);
    RefreshCounters();
    if (!badgeLine_) {
        SayLine(table_.firstTokenLine);
        badgeLine_ = 1;
    } else if (table_.laterTokenLines > 0) {
        SayLine(table_.laterTokenLine + xRand() % table_.laterTokenLines);
    }
}

void TownWorld::MarkCollected(OActivityProp* prop) {
    ShowClickFeedback(prop);
    ArrowTimer().Restart();
    onceOnly_ = 0;
    HideGuideArrow();
}

void TownWorld::PlayLoud(ChunkId sound) {
    xSnippet* snippet = LoadSound(sound);
    OSoundProcess* process = GameSound();
    if (!snippet || !process) return;
    xSound_SetSnippetVolume(snippet, kLoudVolume);
    process->Play(snippet, kAnyPipe, kLoudPriority, 0);
}

void TownWorld::RefreshCounters() {
    if (CCounterPanel* panel = CounterPanel()) panel->Refresh();
}

void TownWorld::ThinByQuotas() {
    if (!Player()) return;
    for (int k = 1; k <= kQuotas; ++k) {
        CDynArray<OActivityProp*> set;
        FindPropsById(uint32_t(k), set);
        const int32_t n = set.Count();
        xTracef("Item %d Num Elements: %d\n", k, int(n));
        int32_t pens = 0;
        for (int32_t i = 0; i < n; ++i)
            if (IsCaptiveOrPen(set.GetAt(i))) ++pens;
        const int32_t keep = int32_t(GetQuota(k)) + pens;
        if (n <= keep) continue;
        if (!ThinRememberedProps(k, set, keep)) {
            const bool pensStay = k == GetCurrentMission() + int(kFirstMissionId);
            // Ends: every pen counts in `keep`, so the props that may go outnumber the drops.
            while (set.Count() > keep) {
                const int32_t pick = xRand() % set.Count();
                if (pensStay && IsCaptiveOrPen(set.GetAt(pick))) continue;
                set.RemoveAt(pick);
            }
        }
        CDynArray<OActivityProp*> all;
        FindPropsById(uint32_t(k), all);
        for (int32_t i = 0; i < all.Count(); ++i)
            if (!Contains(set, all.GetAt(i))) RetireProp(all.GetAt(i));
    }
}

void TownWorld::ShowCounterRows(const towns::CounterShown* rows, size_t count) {
    CCounterPanel* panel = CounterPanel();
    CPlayer* player = Player();
    if (!panel || !player) return;
    const int w = table_.world;
    for (size_t i = 0; i < count; ++i) {
        uint16_t* value = nullptr;
        switch (rows[i].what) {
        case towns::CounterShown::kQuota1Left: value = player->Quota1LeftPtr(w); break;
        case towns::CounterShown::kQuota2Left: value = player->Quota2LeftPtr(w); break;
        case towns::CounterShown::kQuota3Left: value = player->Quota3LeftPtr(w); break;
        case towns::CounterShown::kBadges: value = player->BadgeCountPtr(w, 0); break;
        }
        panel->SetCounter(int(i), rows[i].icon, value, kCounterColour, 0, rows[i].offset);
    }
}

bool TownWorld::PropBox(const OActivityProp* prop, CRect16* box) {
    if (!prop->HasRightAngleRotation()) return false;
    const CPointF c = prop->GetPosition();
    const int32_t w = prop->GetWidth(), h = prop->GetHeight();
    const int32_t left = int32_t(c.x) - w / 2, top = int32_t(c.y) - h / 2;
    *box = CRect16(int16_t(left), int16_t(top), int16_t(left + w), int16_t(top + h));
    return true;
}

bool TownWorld::PropHits(const OActivityProp* prop, const CRect16& rect) {
    CRect16 box;
    return PropBox(prop, &box) && box.left < rect.right && rect.left < box.right && box.top < rect.bottom &&
           rect.top < box.bottom;
}
