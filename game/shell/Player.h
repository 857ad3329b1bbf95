#pragma once
// The signed-in player: the record of progress that the save file keeps, and two lists the
// town worlds keep for the run.
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/data/DynArray.h"
#include "game/shell/PlayerRecord.h"
#include "game/shell/SaveFileImage.h"

/// An entry of the player's run-time entry list: an id and two values.
struct CPlayerEntry {
    uint32_t id = 0;
    uint32_t first = 0;
    uint32_t second = 0;
};

/// The game object's one player record for the run. Worlds (w: 0 circus town, 1 zoo, 2 city)
/// and activities (i: 0-2 the world's missions, 3 arcade game, 4 road race, 5 puzzle,
/// 6 round-up) index its words; an index out of range is traced, reads 0 and changes nothing.
class CPlayer {
public:
    /// Words of a world block.
    enum WorldWord : int {
        kPositionY = 0, kPositionX = 1, kFlags = 2, kHeroPoints = 9, kCounts = 10, kLevels = 17,
        kBadges = 24, kQuota1Max = 25, kQuota2Max = 26, kQuota3Max = 27, kQuota1Left = 28,
        kQuota2Left = 29, kQuota3Left = 30, kWord31 = 31, kReserved = 32, kUpgrade = 33, kWord34 = 34,
    };
    static constexpr int kActivities = 7;
    static constexpr uint16_t kMaxLevel = 3;
    static constexpr uint16_t kMaxBadges = 150;

    /// A new player (the new-player values).
    CPlayer();
    virtual ~CPlayer();
    CPlayer(const CPlayer&) = delete;
    CPlayer& operator=(const CPlayer&) = delete;

    /// The new-player values: the whole record cleared first (so nothing of the player held
    /// before stays), then version 19, the default positions and quotas, flags and levels 1 for
    /// the activities 3-6, word 32 10 and word 34 0xFFFF; the selected vehicle 0.
    void SetDefaults();
    /// The three stored vehicle positions back at their defaults.
    void ResetPositions();
    /// World w's stored vehicle position back at its default.
    void ResetWorldPosition(int w);

    /// Loads slot 0-7 of the save file named by USERFILE: a valid slot's record (its pad byte
    /// not copied, the positions then reset), else the new-player values. Answers the slot's
    /// state; a Load while one runs does nothing and answers Unreadable.
    SaveSlotState Load(int slot);
    /// Saves the record to slot 0-7; false, with the file and the record as they were, when the
    /// slot holds an unreadable record or the file cannot be read or written.
    bool Save(int slot);
    /// A player deleted on purpose: the new-player values, saved even over an unreadable record.
    bool Delete(int slot);

    const PlayerRecord& Record() const { return record_; }
    /// The name (at most 64 characters); the empty name marks a free slot.
    const char* GetName() const { return record_.name; }
    /// Stores the text as the name, cut to 64 characters.
    void SetName(const char* text);
    uint16_t GetSelectedVehicle() const { return selectedVehicle_; }
    void SetSelectedVehicle(uint16_t value) { selectedVehicle_ = value; }

    // ---- World blocks --------------------------------------------------------------------
    CPoint16 GetWorldPosition(int w) const;
    void SetWorldPosition(CPoint16 point, int w);
    uint16_t GetActivityFlag(int w, int i) const { return Get(w, i, kFlags); }
    void SetActivityFlag(int w, int i, uint16_t value);
    uint16_t GetHeroPoints(int w) const { return Get(w, 0, kHeroPoints); }
    /// Adds to the hero points (wrapping at 16 bits).
    void AddHeroPoints(int w, uint16_t amount);
    uint16_t GetActivityCount(int w, int i) const { return Get(w, i, kCounts); }
    /// One more time finished; the word's address (null for an index out of range).
    uint16_t* IncActivityCount(int w, int i);
    uint16_t GetActivityLevel(int w, int i) const { return Get(w, i, kLevels); }
    /// One level up while below 3.
    void IncActivityLevel(int w, int i);
    /// One level down while 2 or more; the word's address.
    uint16_t* DecActivityLevel(int w, int i);
    /// The badge count (i is taken and not used); the increment stops at 150.
    uint16_t GetBadgeCount(int w, int /*i*/) const { return Get(w, 0, kBadges); }
    void IncBadgeCount(int w, int i);
    uint16_t* BadgeCountPtr(int w, int /*i*/) { return Word(w, 0, kBadges); }
    uint16_t GetQuota1Max(int w) const { return Get(w, 0, kQuota1Max); }
    uint16_t GetQuota2Max(int w) const { return Get(w, 0, kQuota2Max); }
    uint16_t GetQuota3Max(int w) const { return Get(w, 0, kQuota3Max); }
    uint16_t GetQuota1Left(int w) const { return Get(w, 0, kQuota1Left); }
    uint16_t GetQuota2Left(int w) const { return Get(w, 0, kQuota2Left); }
    uint16_t GetQuota3Left(int w) const { return Get(w, 0, kQuota3Left); }
    void SetQuota1Left(int w, uint16_t value) { Set(w, 0, kQuota1Left, value); }
    void SetQuota2Left(int w, uint16_t value) { Set(w, 0, kQuota2Left, value); }
    void SetQuota3Left(int w, uint16_t value) { Set(w, 0, kQuota3Left, value); }
    /// The decrements stop at 0.
    void DecQuota1Left(int w) { Decrement(Word(w, 0, kQuota1Left), 0); }
    void DecQuota2Left(int w) { Decrement(Word(w, 0, kQuota2Left), 0); }
    void DecQuota3Left(int w) { Decrement(Word(w, 0, kQuota3Left), 0); }
    /// Stops at the quota-3 maximum.
    void IncQuota3Left(int w);
    /// The words' addresses, for the counter panel.
    uint16_t* Quota1LeftPtr(int w) { return Word(w, 0, kQuota1Left); }
    uint16_t* Quota2LeftPtr(int w) { return Word(w, 0, kQuota2Left); }
    uint16_t* Quota3LeftPtr(int w) { return Word(w, 0, kQuota3Left); }
    int16_t GetWorldWord31(int w) const { return int16_t(Get(w, 0, kWord31)); }
    void SetWorldWord31(int w, int16_t value) { Set(w, 0, kWord31, uint16_t(value)); }
    /// The upgrade flag; once set it stays 1.
    uint16_t GetWorldVisited(int w) const { return Get(w, 0, kUpgrade); }
    void SetWorldVisited(int w) { Set(w, 0, kUpgrade, 1); }
    int16_t GetWorldWord34(int w) const { return int16_t(Get(w, 0, kWord34)); }
    void SetWorldWord34(int w, int16_t value) { Set(w, 0, kWord34, uint16_t(value)); }

    // ---- Counters and extra words (indexes often come from data) --------------------------
    int32_t GetCounter(int n) const;
    void IncCounter(int n);
    uint16_t GetExtraWord(int n) const;
    void SetExtraWord(int n, uint16_t value);

    // ---- Run-time lists (not saved) ------------------------------------------------------
    /// Appends an entry; nothing is added when the entry or the list cannot grow.
    void AddEntry(uint32_t id, uint32_t first, uint32_t second);
    /// The first entry with the id, or null.
    CPlayerEntry* FindEntry(uint32_t id) const;
    /// Deletes every entry, the last first.
    void ClearEntries();
    /// Appends a point; nothing is added when the list cannot grow.
    void AddPoint(CPoint16 point);
    bool HasPoint(CPoint16 point) const;
    void ClearPoints();
    int32_t PointCount() const { return points_.Count(); }

private:
    /// World word k + i of block w; null (traced) when w or i is out of range.
    uint16_t* Word(int w, int i, int k);
    const uint16_t* Word(int w, int i, int k) const { return const_cast<CPlayer*>(this)->Word(w, i, k); }
    uint16_t Get(int w, int i, int k) const {
        const uint16_t* word = Word(w, i, k);
        return word ? *word : 0;
    }
    void Set(int w, int i, int k, uint16_t value) {
        if (uint16_t* word = Word(w, i, k)) *word = value;
    }
    /// Subtracts 1 while the word is above `floor`.
    static void Decrement(uint16_t* word, uint16_t floor) {
        if (word && *word > floor) --*word;
    }

    PlayerRecord record_{};
    uint16_t selectedVehicle_ = 0;
    uint8_t busy_ = 0;
    CDynArray<CPlayerEntry*> entries_;
    CDynArray<uint32_t> points_; ///< vertical in the low half, horizontal in the high half
};
