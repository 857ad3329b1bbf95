#include "game/shell/Player.h"

#include <cstring>
#include <new>
#include <string>

#include "engine/base/Trace.h"
#include "engine/data/Profiles.h"
#include "game/shell/SaveFile.h"

namespace {

/// The defaults of one world block.
struct WorldDefaults {
    uint16_t positionY, positionX;
    uint16_t quota1, quota2, quota3;
};
constexpr WorldDefaults kWorldDefaults[PlayerRecord::kWorlds] = {
    {800, 3550, 20, 10, 10},  // circus town
    {150, 2100, 15, 10, 10},  // zoo
    {1500, 200, 15, 20, 11},  // city
};
constexpr int kFirstGame = 3; // the activities 3-6 are the world's mini-games
constexpr uint16_t kReservedDefault = 10;
constexpr uint16_t kNoChoice = 0xFFFF;

uint32_t PackPoint(CPoint16 p) { return uint32_t(uint16_t(p.y)) | (uint32_t(uint16_t(p.x)) << 16); }

std::string SaveFileName() {
    char path[1024] = {};
    VQT_ASSERT(xProfiles_GetString("USERFILE", path));
    path[sizeof path - 1] = 0;
    return path;
}

void TraceIndex(const char* what, int n) { xTracef("*** CPlayer : %s %d is out of range\n", what, n); }

} // namespace

CPlayer::CPlayer() { SetDefaults(); }

CPlayer::~CPlayer() {
    ClearEntries();
    entries_.Free();
    points_.Free();
}

void CPlayer::SetDefaults() {
    record_ = PlayerRecord{};
    record_.version = PlayerRecord::kVersion;
    selectedVehicle_ = 0;
    for (int w = 0; w < PlayerRecord::kWorlds; ++w) {
        uint16_t* block = record_.world[w];
        const WorldDefaults& d = kWorldDefaults[w];
        for (int i = kFirstGame; i < kActivities; ++i) {
            block[kFlags + i] = 1;
            block[kLevels + i] = 1;
        }
        block[kQuota1Max] = block[kQuota1Left] = d.quota1;
        block[kQuota2Max] = block[kQuota2Left] = d.quota2;
        block[kQuota3Max] = block[kQuota3Left] = d.quota3;
        block[kReserved] = kReservedDefault;
        block[kWord34] = kNoChoice;
    }
    ResetPositions();
}

void CPlayer::ResetPositions() {
    for (int w = 0; w < PlayerRecord::kWorlds; ++w) ResetWorldPosition(w);
}

void CPlayer::ResetWorldPosition(int w) {
    if (w < 0 || w >= PlayerRecord::kWorlds) return;
    record_.world[w][kPositionY] = kWorldDefaults[w].positionY;
    record_.world[w][kPositionX] = kWorldDefaults[w].positionX;
}

SaveSlotState CPlayer::Load(int slot) {
    if (busy_) return SaveSlotState::Unreadable;
    busy_ = 1;
    PlayerRecord loaded;
    const SaveSlotState state = CSaveFile(SaveFileName()).Load(slot, loaded);
    if (state == SaveSlotState::Valid) {
        loaded.pad = record_.pad; // the pad byte is never taken from the file
        record_ = loaded;
        ResetPositions();
    } else {
        SetDefaults();
    }
    busy_ = 0;
    return state;
}

bool CPlayer::Save(int slot) { return CSaveFile(SaveFileName()).Save(slot, record_, false); }

bool CPlayer::Delete(int slot) {
    SetDefaults();
    return CSaveFile(SaveFileName()).Save(slot, record_, true);
}

void CPlayer::SetName(const char* text) {
    std::memset(record_.name, 0, sizeof record_.name);
    if (text) std::strncpy(record_.name, text, sizeof record_.name - 1);
}

uint16_t* CPlayer::Word(int w, int i, int k) {
    if (w < 0 || w >= PlayerRecord::kWorlds) {
        TraceIndex("world", w);
        return nullptr;
    }
    if (i < 0 || i >= kActivities) {
        TraceIndex("activity", i);
        return nullptr;
    }
    return &record_.world[w][k + i];
}

CPoint16 CPlayer::GetWorldPosition(int w) const {
    return CPoint16(int16_t(Get(w, 0, kPositionX)), int16_t(Get(w, 0, kPositionY)));
}

void CPlayer::SetWorldPosition(CPoint16 point, int w) {
    Set(w, 0, kPositionY, uint16_t(point.y));
    Set(w, 0, kPositionX, uint16_t(point.x));
}

void CPlayer::SetActivityFlag(int w, int i, uint16_t value) { Set(w, i, kFlags, value); }

void CPlayer::AddHeroPoints(int w, uint16_t amount) {
    if (uint16_t* word = Word(w, 0, kHeroPoints)) *word = uint16_t(*word + amount);
}

uint16_t* CPlayer::IncActivityCount(int w, int i) {
    uint16_t* word = Word(w, i, kCounts);
    if (word) ++*word;
    return word;
}

void CPlayer::IncActivityLevel(int w, int i) {
    if (uint16_t* word = Word(w, i, kLevels); word && *word < kMaxLevel) ++*word;
}

uint16_t* CPlayer::DecActivityLevel(int w, int i) {
    uint16_t* word = Word(w, i, kLevels);
    Decrement(word, 1);
    return word;
}

void CPlayer::IncBadgeCount(int w, int /*i*/) {
    if (uint16_t* word = Word(w, 0, kBadges); word && *word < kMaxBadges) ++*word;
}

void CPlayer::IncQuota3Left(int w) {
    if (uint16_t* word = Word(w, 0, kQuota3Left); word && *word < Get(w, 0, kQuota3Max)) ++*word;
}

int32_t CPlayer::GetCounter(int n) const {
    if (n >= 0 && n < PlayerRecord::kCounters) return int32_t(record_.counters[n]);
    TraceIndex("counter", n);
    return 0;
}

void CPlayer::IncCounter(int n) {
    if (n >= 0 && n < PlayerRecord::kCounters) ++record_.counters[n];
    else TraceIndex("counter", n);
}

uint16_t CPlayer::GetExtraWord(int n) const {
    if (n >= 0 && n < PlayerRecord::kExtraWords) return record_.extra[n];
    TraceIndex("extra word", n);
    return 0;
}

void CPlayer::SetExtraWord(int n, uint16_t value) {
    if (n >= 0 && n < PlayerRecord::kExtraWords) record_.extra[n] = value;
    else TraceIndex("extra word", n);
}

void CPlayer::AddEntry(uint32_t id, uint32_t first, uint32_t second) {
    auto* entry = new (std::nothrow) CPlayerEntry{id, first, second};
    if (entry && !entries_.Append(entry)) delete entry;
}

CPlayerEntry* CPlayer::FindEntry(uint32_t id) const {
    for (int32_t i = 0; i < entries_.Count(); ++i)
        if (entries_.GetAt(i)->id == id) return entries_.GetAt(i);
    return nullptr;
}

void CPlayer::ClearEntries() {
    while (entries_.Count() > 0) delete entries_.PopBack();
}

void CPlayer::AddPoint(CPoint16 point) { points_.Append(PackPoint(point)); }

bool CPlayer::HasPoint(CPoint16 point) const {
    const uint32_t packed = PackPoint(point);
    for (int32_t i = 0; i < points_.Count(); ++i)
        if (points_.GetAt(i) == packed) return true;
    return false;
}

void CPlayer::ClearPoints() {
    while (points_.Count() > 0) points_.PopBack();
}
