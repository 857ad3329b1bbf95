#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/View.h"
#include "engine/data/Memory.h"

class OTextCView;

/// The memory view (registration name "OView", class id 50): a 640-pixel bar across the bottom
/// of the stage that maps the address range of its pool's blocks, used blocks blue and free ones
/// grey, and a text panel with the sizes of the watched pools and the temporary buffers. While
/// MEMSTATSVISIBLE is set it refreshes at most every 250 ms.
class CMemWatcher : public OView {
public:
    static constexpr int kCells = 640;
    static constexpr uint32_t kRefreshMs = 250;
    /// A cell of the map: what the blocks over its addresses are.
    enum : uint8_t { kCellNone = 0, kCellUsed = 1, kCellFree = 2, kCellUsedAndFree = 3, kCellUsedTwice = 4 };

    /// Watches `pool` (shown as "Default pool") and maps its blocks.
    explicit CMemWatcher(MemPool* pool = GetDefaultPool());
    /// Deletes the text panel; the memory view is gone.
    ~CMemWatcher() override;

    /// Adds a pool to the ones whose sizes the text shows.
    void AddPool(const char* name, MemPool* pool);
    /// Once more than 250 ms have passed (by the forced tick when one is set, else the clock):
    /// while MEMSTATSVISIBLE is set and the main window exists, places the view, refreshes the
    /// statistics and the map and shows them. 1.
    int32_t OnIdle() override;
    /// The bar (the view's lower 10 rows) in white with the map's cells on it, and the
    /// MEMCEILING marker in green above it; 8-bit surfaces in the nearest palette colours, 16-
    /// and 24-bit ones in the colours themselves.
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;

    /// The activity peak starts again at 0.
    void ResetPeak() { peakActivity_ = 0; }
    /// The peak between activities becomes the memory the watched pools hold now.
    void ResetPeakBetweenActivities();
    /// The tick the next OnIdle takes for now (0: the clock).
    void SetForcedTick(uint32_t tick) { forcedTick_ = tick; }
    uint32_t GetLastRefresh() const { return lastRefresh_; }
    const uint8_t* GetMap() const { return map_; }
    OTextCView* GetTextView() const;
    /// The text of the last refresh's statistics.
    std::string StatsText() const;

private:
    struct WatchedPool {
        std::string name;
        MemPool* pool;
    };

    void PrepareView();
    void RefreshStats();
    /// The map of the mapped pool's blocks over their address range.
    void RefreshMap();
    /// The bytes the watched pools hold and the bytes of their used blocks.
    void Measure(int64_t* held, int64_t* allocated) const;

    OView* textView_ = nullptr;
    uint32_t lastRefresh_ = 0;
    uint32_t forcedTick_ = 0;
    int64_t numPools_ = 0;
    int64_t poolUse_ = 0;
    int64_t allocated_ = 0;
    int64_t wasted_ = 0;
    int64_t peakActivity_ = 0;
    int64_t peakBetween_ = 0;
    uintptr_t lowest_ = UINTPTR_MAX;
    uintptr_t highest_ = 0;
    std::vector<WatchedPool> pools_;
    uint8_t map_[kCells] = {};
};

/// Makes the memory view when the main window exists and there is none: it watches the
/// calling thread's pool and the chunk cache of the application's part file, lies on top of the
/// stage and shows by MEMSTATSVISIBLE. True when it was made now.
bool ShowMemWatcher();
/// Deletes the memory view.
void HideMemWatcher();
CMemWatcher* GetMemWatcher();
/// MEMSTATSVISIBLE.
bool GetMemStatsVisible();
/// Stores MEMSTATSVISIBLE and shows or hides the memory view and its text by it.
void SetMemStatsVisible(bool visible);
