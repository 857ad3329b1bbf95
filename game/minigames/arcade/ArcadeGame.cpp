#include "game/minigames/arcade/ArcadeGame.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "engine/base/Trace.h"
#include "game/minigames/arcade/ArcadeToken.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/Player.h"
#include "game/shell/StillProps.h"
#include "game/shell/TLVApp.h"
#include "game/world/vehicles/VFlat.h"

namespace {

constexpr ChunkId kCatchSound = MakeChunkId(7, 96);

CPlayer* GamePlayer() {
    CTLVApp* app = CTLVApp::Get();
    return app ? app->GetPlayer() : nullptr;
}

} // namespace

Arcade_Game::Arcade_Game(const char* name, uint32_t classId, const ArcadeSheet& sheet)
    : Arcade_Activity(name, classId), sheet_(sheet) {
    SetExits(MiniGameExits{.world = uint16_t(sheet.world),
                           .game = kArcade,
                           .startPanel = kStartPanel,
                           .resultsPanel = kResultsPanel,
                           .musicEntry = sheet.musicEntry,
                           .leaveText = sheet.leaveText,
                           .leavePicture = sheet.leavePicture,
                           .self = sheet.self,
                           .town = sheet.town});
}

int32_t Arcade_Game::LevelOf(int world, const char* who) {
    const CPlayer* player = GamePlayer();
    const int32_t level = player ? int32_t(player->GetActivityLevel(world, kArcade)) : 1;
    if (level >= 1 && level <= 3) return level;
    xTracef("%s : level %d of the record taken as %d\n", who, int(level), level < 1 ? 1 : 3);
    return std::clamp(level, 1, 3);
}

void Arcade_Game::StartTokens(int32_t level) {
    ClearTokens();
    tokensLeft_ = uint16_t(2 * level + 1);
    SpawnTokens(2 * level + 1);
}

Arcade_Token* Arcade_Game::MaybeDropToken(const OActivityProp* at, uint16_t left) {
    if (!at || left <= 1 || tokensLeft_ == 0 || tokensLeft_ >= left) return nullptr;
    const int32_t draw = std::rand() % (left - 1) + 1;
    if (draw > tokensLeft_) return nullptr;
    Arcade_Token* token = TakeToken(true);
    if (!token) return nullptr;
    AddChild(token);
    token->SetPosition(at->GetPosition(), 0, 1);
    token->SetVisible(1, 0);
    token->SetPriority(int32_t(std::min<int64_t>(int64_t(at->GetPriority()) + 5, INT32_MAX)));
    --tokensLeft_;
    return token;
}

void Arcade_Game::CatchToken(Arcade_Token* token) {
    token->SetVisible(0, 0);
    token->SetPosition(CPointF(Arcade_Token::kParkedX, Arcade_Token::kParkedY), 0, 1);
    token->SetVelocity(Vec3(), 0);
    if (CPlayer* player = GamePlayer()) player->IncBadgeCount(sheet_.world, kArcade);
    RefreshCounters();
    badgeFlag_ = 1;
    PlaySound(kCatchSound, kAnyPipe, 127);
}

bool Arcade_Game::CatchTokensTouching(TLV_Object* vehicle) {
    if (!vehicle || !vehicle->IsA(VFlat::kClassId)) return false;
    CDynArray<Arcade_Token*>& live = LiveTokens();
    bool caught = false;
    for (int32_t i = live.Count() - 1; i >= 0; --i) {
        Arcade_Token* token = live.GetAt(i);
        if (!token) {
            live.RemoveAt(i);
            continue;
        }
        if (token->IsVisible() && token->HitsObject(vehicle, nullptr)) {
            CatchToken(token);
            caught = true;
        }
    }
    return caught;
}

void Arcade_Game::PassFallenTokens() {
    const float bottom = GetScrollOffset().y + float(GetStageHeight());
    CDynArray<Arcade_Token*>& live = LiveTokens();
    for (int32_t i = live.Count() - 1; i >= 0; --i) {
        Arcade_Token* token = live.GetAt(i);
        if (!token) {
            live.RemoveAt(i);
            continue;
        }
        if (token->GetPosition().y > bottom) token->Respawn();
    }
}

void Arcade_Game::RaiseRecord() {
    if (CPlayer* player = GamePlayer()) {
        player->IncActivityCount(sheet_.world, kArcade);
        player->IncActivityLevel(sheet_.world, kArcade);
    }
}

void Arcade_Game::ShowResults() {
    CreateButtonPanel(kResultsPanel);
    for (const int line : sheet_.resultLines)
        if (line >= 0) SpeakLine(line);
}

void Arcade_Game::ShowCounters(uint16_t* left, ChunkId icon) {
    CCounterPanel* counters = CounterPanel();
    if (!counters) return;
    counters->SetCounter(0, icon, left, 0, 0, 0);
    if (CPlayer* player = GamePlayer()) counters->SetCounter(1, kBadgesIcon, player->BadgeCountPtr(sheet_.world, kArcade), 0, 0, 0);
}

void Arcade_Game::RefreshCounters() {
    if (CCounterPanel* counters = CounterPanel()) counters->Refresh();
}
