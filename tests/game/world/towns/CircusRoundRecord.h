#pragma once
// The save file of a circus town's round near its end: Cy in slot 4 with four fires, four
// puppies and three rescues left, the other slots free. The town's scenario runs and the window
// that shows the town bot's play start from it.
#include <map>

#include "game/world/towns/WToonActivity.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {

inline constexpr int kCircusRoundSlot = 4;

/// The stored records by slot.
inline std::map<int, Bytes> CircusRoundRecords() {
    constexpr int W = WToon_Activity::kWorld;
    // The record's words of the town: hero points, the quotas' maxima and what is left of them.
    constexpr int kHeroPoints = 9, kQuota1Max = 25, kQuota2Max = 26, kQuota3Max = 27;
    constexpr int kQuota1Left = 28, kQuota2Left = 29, kQuota3Left = 30, kMissionWord = 34;
    std::map<int, Bytes> records;
    for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
    records[kCircusRoundSlot] = StoredRecord("Cy")
                                    .Counter(13, 1)
                                    .WorldWord(W, kHeroPoints, 2)
                                    .WorldWord(W, kQuota1Max, 20)
                                    .WorldWord(W, kQuota2Max, 10)
                                    .WorldWord(W, kQuota3Max, 10)
                                    .WorldWord(W, kQuota1Left, 4)
                                    .WorldWord(W, kQuota2Left, 4)
                                    .WorldWord(W, kQuota3Left, 3)
                                    .WorldWord(W, kMissionWord, 0)
                                    .bytes();
    return records;
}

} // namespace vqt::test
