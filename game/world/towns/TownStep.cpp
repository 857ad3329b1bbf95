// The town's frame: the hint, the guide arrow's keep-and-choose rules, the mission's movie; and
// the spoken lines.
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/SoundProcess.h"
#include "engine/media/Video.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/towns/TownWorld.h"

namespace {

int32_t SkipMovie() { return IsSkipKeyDown() ? 1 : 0; }

bool IsShown(const OActivityProp* prop) { return prop->IsShownThroughParents() && prop->IsVisible(); }

} // namespace

int32_t TownWorld::OnIdle() {
    if (WorldHintTimer().HasElapsed() && !hintGiven_ && GetStartHintFlag() && !IsPanelShown(-1)) {
        SayLine(table_.hintLine);
        hintGiven_ = 1;
    }
    StepTownArrow();
    CPlayer* player = Player();
    if (IntroTimer().HasElapsed() && player && player->GetWorldWord31(table_.world) == 0) PlayMissionMovie();
    return TLVWorld_Activity::OnIdle();
}

bool TownWorld::KeepsArrowTarget(OActivityProp* target) {
    if (MainTasksDone()) return target->GetObjectId() >= kFirstMissionId && target->GetObjectId() <= kLastMissionId;
    if (target->IsA(Interaction_Point::kClassId)) return GetWayPoint(NearestWayPoint()) == target;
    return true;
}

void TownWorld::StepTownArrow() {
    if (MainTasksDone() && MissionDone()) {
        HideGuideArrow();
        return;
    }
    if (OActivityProp* target = GetGuideTarget(); target && !KeepsArrowTarget(target)) HideGuideArrow();
    FlushPendingProps();
    if (GetGuideTarget()) {
        UpdateGuideArrow();
        return;
    }
    if (Player()) ChooseArrowTarget();
}

void TownWorld::ChooseArrowTarget() {
    CPlayer* player = Player();
    const int w = table_.world;
    if (MainTasksDone()) {
        if (player->GetWorldWord31(w) == 0) return;
        for (int list = 0; list < kPropLists; ++list) {
            const CDynArray<OActivityProp*>& props = GetList(list);
            for (int32_t i = 0; i < props.Count(); ++i) {
                OActivityProp* prop = props.GetAt(i);
                const uint32_t id = prop->GetObjectId();
                if (id < kFirstMissionId || id > kLastMissionId || !IsShown(prop)) continue;
                ShowGuideArrow(prop);
                SayLine(table_.arrowLines.mission);
                return;
            }
        }
        return;
    }
    if (player->GetQuota1Left(w) == 0 && player->GetQuota2Left(w) == 0) SetArrowDelay(0);
    if (!ArrowTimer().HasElapsed()) return;
    OActivityProp* target = nullptr;
    int line = -1;
    if (!FindTaskTarget(&target, &line)) {
        target = GetWayPoint(NearestWayPoint());
        line = table_.arrowLines.nextStop;
    }
    if (!target) return;
    ShowGuideArrow(target);
    SayLine(line);
}

void TownWorld::PlayMissionMovie() {
    CPlayer* player = Player();
    player->SetWorldWord31(table_.world, 1);
    const bool siren = GetSirenFlag() != 0;
    if (siren) StopPipe8();
    Pause();
    OSoundProcess* sound = GameSound();
    const uint32_t pipes = sound ? sound->GetPipeCount() : 0;
    for (uint32_t pipe = 0; pipe < pipes; ++pipe) sound->SetPaused(pipe, 1);
    UnwatchKey(kCtrlKey);
    xVideo_Play(GameFile(), table_.movie, 0, kMovieVolume, &SkipMovie);
    WatchKey(kCtrlKey);
    Resume();
    for (uint32_t pipe = 0; pipe < pipes; ++pipe) sound->SetPaused(pipe, 0);
    if (siren) PlayOnPipe8(table_.sirenSound);
    StartCurrentMission();
}

void TownWorld::SayLine(int number) {
    const TownLine* line = nullptr;
    for (size_t i = 0; i < table_.lineCount; ++i)
        if (table_.lines[i].number == number) line = &table_.lines[i];
    OApplication* app = OApplication::Get();
    OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
    if (!line || !messages || !Player()) return;
    if ((line->marks & kLineWhenQuiet) && messages->QueueLength() > 0) return;
    if (line->marks & kLineOnce) {
        if (onceOnly_) return;
        onceOnly_ = 1;
    }
    OMessageRecord* record = messages->AllocMessage(1);
    if (!record) return;
    record->SetSnippet(MakeChunkId(7, line->voice));
    record->SetText(kNullChunkId, line->caption);
    if (messages->QueueMessage(record) != 0) record->Reset();
}
