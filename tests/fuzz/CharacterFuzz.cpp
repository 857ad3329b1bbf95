// Plays a driving world of characters made from arbitrary records for 300 frames: parts of any
// number of states (none too), frame lists empty, short or long, any behaviour state, speeds,
// distances, headings, routines and action settings, targets that are props, other characters
// or nothing, characters made by spawn points of any kind, and characters deleted, paused and
// given new states while the frames run. Nothing may be read or written out of range, nothing
// may dangle, and every character the world still lists is one of its children.
#include <cstdint>
#include <vector>

#include "engine/base/Random.h"
#include "engine/core/DeferredDelete.h"
#include "engine/data/TempBuffers.h"
#include "game/shell/GameShellState.h"
#include "game/shell/StillProps.h"
#include "game/world/characters/Dweeble.h"
#include "game/world/characters/DweebleRoutines.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/game/world/DrivingWorldHarness.h"

namespace {

using namespace vqt::harness;
using vqt::fuzz::Require;

/// A small stage: drawing it costs little, so more inputs run.
constexpr int16_t kStageWidth = 200, kStageHeight = 150;
constexpr int kFrames = 300;
constexpr int kMaxCharacters = 12;
constexpr DweebleRoutine kRoutines[] = {&Dweeble_Wander, &Dweeble_Avoid, &Dweeble_Roam, &DoNothing};

/// A frame range for a list: empty, short, long, or wild (refused and traced).
void FillList(Dweeble* d, int list, Reader& in) {
    const uint8_t kind = in.Byte();
    int32_t first = int8_t(in.Byte()), last = first;
    switch (kind % 5) {
    case 0: return; // the default list stays
    case 1: last = first - 1; break;
    case 2: last = first + kind % 7; break;
    case 3: last = first + 200; break;
    default: last = int32_t(in.Word()) << 16 | in.Word(); break;
    }
    switch (list) {
    case 0: d->AddFramesA(first, last); break;
    case 1: d->AddFramesB(first, last); break;
    case 2: d->AddFramesC(first, last); break;
    case 3: d->AddFramesD(first, last); break;
    default: d->AddFramesE(first, last); break;
    }
    if (kind & 0x80) d->RepeatFrameB(first);
    if (kind & 0x40) d->RepeatFrameC(last);
}

Dweeble* MakeCharacter(FuzzWorld* world, Reader& in, std::vector<OActivityProp*>& targets) {
    const uint8_t how = in.Byte();
    const float x = float(in.Signed() % (kMapWidth + 200));
    const float y = float(in.Signed() % (kMapHeight + 200));
    Dweeble* d = nullptr;
    if (how & 1) {
        // Made by a spawn point of any kind and part.
        auto* spawn = Place(world, new Spawn, x, y, StatesPart(1), 0);
        const uint16_t value = in.Word(), entry = uint16_t(kStatesParts + in.Byte() % 12);
        SetProperty(spawn, Spawn::kClassId, Spawn::kPropValue, &value, 2);
        SetProperty(spawn, Spawn::kClassId, Spawn::kPropPartEntry, &entry, 2);
        d = dynamic_cast<Dweeble*>(world->SpawnCharacter(spawn));
        Require(d != nullptr || value > 2);
        if (!d) return nullptr;
    } else {
        d = Place(world, new Dweeble, x, y, StatesPart(in.Byte() % (kMaxStates + 2)), 0);
        d->OnPartLoaded();
    }
    for (int list = 0; list < 5; ++list) FillList(d, list, in);
    if (how & 2) d->SetDirectionTable(1 + in.Byte() % 4, DirectionTables::Six());
    d->SetWalkSpeed(int8_t(in.Byte()) * 4);
    d->SetRunSpeed(int8_t(in.Byte()) * 8);
    d->SetNoticeDistance(in.Signed());
    d->SetCloseDistance(in.Signed());
    d->SetHeading(int8_t(in.Byte()));
    d->SetSteps(int8_t(in.Byte()) * 10, int8_t(in.Byte()) * 10);
    d->SetDwellTimes(in.Signed(), in.Signed(), in.Signed(), in.Signed(), in.Signed());
    d->SetActionEndMode(int8_t(in.Byte()));
    d->SetActionLoops(int8_t(in.Byte()));
    d->SetStateAfterAction(int8_t(in.Byte()));
    const uint8_t slots = in.Byte();
    for (int group = 0; group < Dweeble::kGroups; ++group)
        if (slots & (1 << group)) d->SetGroupRoutine(group, kRoutines[(slots + group) % 4]);
    d->SetSkipDwell(how & 4);
    d->SetRestAccept(how & 8);
    d->SetWorldChecks(!(how & 16));
    if (how & 32) d->SetCharacterWorld(nullptr); // moves unchecked
    const uint8_t target = in.Byte();
    if (!targets.empty() && target % 3 != 0) d->SetTargetObject(targets[target % targets.size()]);
    d->SetBehaviourState(int8_t(in.Byte()));
    d->SetActionFrames(in.Byte());
    return d;
}

/// Whether every character the world lists is still its child.
bool ListsHoldOnlyChildren(FuzzWorld* world) {
    for (int l = 0; l < TLVWorld_Activity::kPropLists; ++l)
        for (int32_t i = 0; i < world->GetList(l).Count(); ++i)
            if (world->GetList(l).GetAt(i)->GetParent() != world) return false;
    return true;
}

void Play(FuzzWorld* world, Reader& in) {
    std::vector<OActivityProp*> targets;
    targets.push_back(Place(world, new TLVSimple_Object, 400, 300, StatesPart(1), 0));
    for (int i = 0; i < 6; ++i) Place(world, new Blocker, 300.0f + 10 * i, 360, StatesPart(1), 0);
    std::vector<Dweeble*> crowd;
    const int count = 1 + in.Byte() % kMaxCharacters;
    for (int i = 0; i < count; ++i)
        if (Dweeble* d = MakeCharacter(world, in, targets)) {
            crowd.push_back(d);
            targets.push_back(d);
        }
    for (int frame = 0; frame < kFrames; ++frame) {
        const uint8_t action = in.Byte();
        Dweeble* d = crowd.empty() ? nullptr : crowd[action % crowd.size()];
        switch (action >> 5) {
        case 1:
            if (d) d->SetBehaviourState(int8_t(in.Byte()));
            break;
        case 2:
            if (d) d->Suspend(1);
            break;
        case 3:
            if (d) d->Resume(1);
            break;
        case 4:
            if (d && in.Byte() < 8) {
                // Deleted as the engine deletes a prop (at the end of the frame, the world told
                // first): the world lets go of it everywhere, the other characters' targets
                // included.
                std::erase(crowd, d);
                std::erase(targets, static_cast<OActivityProp*>(d));
                AddDeferredDelete(d);
            }
            break;
        default: break;
        }
        Frames(1, action == 255 ? 5000 : kFrameMs);
        Require(ListsHoldOnlyChildren(world));
        for (Dweeble* character : crowd) Require(!character->GetTargetObject() || character->GetTargetObject()->GetParent() == world);
    }
    Require(ListsHoldOnlyChildren(world));
}

} // namespace

// Text views make fonts; fontconfig keeps the character sets of the fonts it knows behind
// offsets instead of pointers, so the leak checks between inputs take that live memory for lost.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    xSRand(1);
    Reader in(data, size);
    if (FuzzWorld* world = StartWorld(kNullChunkId, kStageWidth, kStageHeight)) Play(world, in);
    StopGame();
    DeleteAllDeferred();
    Require(xTempBuffers_GetNumInUse() == 0);
    return 0;
}
