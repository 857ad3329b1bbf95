#include "engine/media/MemWatcher.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "engine/base/Trace.h"
#include "engine/blit/ColorPalette.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/data/TempBuffers.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/media/Application.h"
#include "engine/media/DiagnosticPanel.h"
#include "engine/media/DiagnosticsState.h"
#include "platform/Platform.h"

namespace {

constexpr int32_t kTopPriority = 0x7FFFFFFF;
constexpr int32_t kViewPriority = 0x7FFF;
constexpr int16_t kBarHeight = 10;
constexpr CPanelLook kTextLook{"Memory Watcher", 380, 140, 260, 240, ColorWord(192, 192, 192), 1};

constexpr uint32_t kWhite = ColorWord(255, 255, 255);
constexpr uint32_t kCellColours[] = {0, ColorWord(0, 0, 255), ColorWord(192, 192, 192), ColorWord(255, 0, 0),
                                     ColorWord(255, 255, 0)};
constexpr uint32_t kCeilingColour = ColorWord(0, 255, 0);

/// Scales a byte count of the address span to cells.
uint64_t ToCells(uint64_t bytes, uint64_t span) {
    return uint64_t(static_cast<unsigned __int128>(bytes) * CMemWatcher::kCells / span);
}

/// Fills a rectangle of the surface with a colour, as its nearest palette index on 8 bits.
void Fill(CDrawSurface* surface, const CRect16& rect, uint32_t colour) {
    if (rect.IsEmpty()) return;
    if (surface->GetBitsPerPixel() == 8)
        surface->FillRect8(ToClip(rect), uint8_t(surface->EffectivePalette()->FindNearestColor(colour)));
    else
        surface->FillRect(ToClip(rect), colour);
}

/// Walks every used, then every free block of the pool.
template <class Visit>
void ForEachBlock(MemPool* pool, Visit visit) {
    PoolWalkEntry entry;
    while (PoolNextUsedBlock(pool, &entry) > 0) visit(entry);
    entry = PoolWalkEntry{};
    while (PoolNextFreeBlock(pool, &entry) > 0) visit(entry);
}

} // namespace

CMemWatcher::CMemWatcher(MemPool* pool) : OView("OView", kClassId) {
    pools_.push_back({"Default pool", pool});
    xDiagnostics_State().memory = this;
}

CMemWatcher::~CMemWatcher() {
    delete textView_; // clears the pointer
    if (xDiagnostics_State().memory == this) xDiagnostics_State().memory = nullptr;
}

void CMemWatcher::AddPool(const char* name, MemPool* pool) {
    if (pool) pools_.push_back({name, pool});
}

OTextCView* CMemWatcher::GetTextView() const { return static_cast<OTextCView*>(textView_); }

int32_t CMemWatcher::OnIdle() {
    const uint32_t now = forcedTick_ != 0 ? forcedTick_ : plat::clock().TickCount();
    if (now - lastRefresh_ <= kRefreshMs) return 1;
    if (GetMemStatsVisible() && OWindow::Main()) {
        PrepareView();
        RefreshStats();
        RefreshMap();
        if (OTextCView* text = GetTextView()) text->SetText(StatsText().c_str());
        Invalidate();
    }
    // Stamped only when a refresh was due: stamped every frame, a slow frame rate would never
    // let 250 ms pass.
    lastRefresh_ = now;
    forcedTick_ = 0;
    return 1;
}

void CMemWatcher::PrepareView() {
    OWindow* window = OWindow::Main();
    if (!textView_ && xPanel_Make(&textView_, kTextLook, window)) textView_->SetVisible(GetMemStatsVisible(), 0);
    SetPosition(CPointF(320, 465), 0, 0);
    SetSize(CPoint16(kCells, 20), 0);
    SetVisible(1, 0);
    SetPriority(kViewPriority);
}

void CMemWatcher::Measure(int64_t* held, int64_t* allocated) const {
    *held = 0;
    *allocated = 0;
    for (const WatchedPool& watched : pools_) {
        *held += std::max<int64_t>(0, PoolBytesInUse(watched.pool));
        PoolWalkEntry entry;
        while (PoolNextUsedBlock(watched.pool, &entry) > 0) *allocated += entry.size;
    }
}

void CMemWatcher::RefreshStats() {
    numPools_ = int64_t(pools_.size());
    Measure(&poolUse_, &allocated_);
    wasted_ = poolUse_ - allocated_;
    peakActivity_ = std::max(peakActivity_, poolUse_);
}

void CMemWatcher::ResetPeakBetweenActivities() {
    int64_t allocated = 0;
    Measure(&peakBetween_, &allocated);
}

void CMemWatcher::RefreshMap() {
    MemPool* pool = pools_.front().pool;
    lowest_ = UINTPTR_MAX;
    highest_ = 0;
    ForEachBlock(pool, [&](const PoolWalkEntry& block) {
        const auto address = reinterpret_cast<uintptr_t>(block.block);
        lowest_ = std::min(lowest_, address);
        highest_ = std::max(highest_, address + uintptr_t(std::max<int64_t>(0, block.size)));
    });
    std::fill(std::begin(map_), std::end(map_), kCellNone);
    if (highest_ <= lowest_) return; // no blocks: an empty map
    const uint64_t span = highest_ - lowest_;
    ForEachBlock(pool, [&](const PoolWalkEntry& block) {
        const uint64_t first = std::min<uint64_t>(kCells - 1, ToCells(reinterpret_cast<uintptr_t>(block.block) - lowest_, span));
        const uint64_t count = std::max<uint64_t>(1, ToCells(uint64_t(std::max<int64_t>(0, block.size)), span));
        const uint64_t end = std::min<uint64_t>(kCells, first + count);
        for (uint64_t cell = first; cell < end; ++cell) {
            uint8_t& c = map_[cell];
            if (!block.inUse) c = kCellFree;
            else if (c == kCellNone) c = kCellUsed;
            else if (c == kCellUsed) c = kCellUsedTwice;
            else if (c == kCellFree) c = kCellUsedAndFree;
        }
    });
}

std::string CMemWatcher::StatsText() const {
    const int32_t tempSize = int32_t(xTempBuffers_GetTotalSize());
    const int32_t tempUsed = int32_t(xTempBuffers_GetBytesUsed());
    char text[1024];
    int length = std::snprintf(
        text, sizeof text,
        "Num pools : %ld\rMem pool use : %ld\rMem allocated : %ld\rMem wasted : %ld\rPeak activity mem  : %ld\r"
        "Peak between activity : %ld\rNum Temp buffers total : %ld\rNum Temp buffers in use : %ld\r"
        "Temp buffers size : %ld\rTemp buffers used : %ld\rTemp buffers wasted : %ld\r",
        long(numPools_), long(poolUse_), long(allocated_), long(wasted_), long(peakActivity_), long(peakBetween_),
        long(xTempBuffers_GetNumTotal()), long(xTempBuffers_GetNumInUse()), long(tempSize), long(tempUsed),
        long(tempSize - tempUsed));
    std::string out(text, size_t(std::clamp(length, 0, int(sizeof text) - 1)));
    for (const WatchedPool& watched : pools_) out += "\nPool name : " + watched.name + "\r";
    return out;
}

void CMemWatcher::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& /*source*/,
                       const CClipRect& target) {
    if (!destination) return;
    const int16_t bits = destination->GetBitsPerPixel();
    if (bits != 8 && bits != 16 && bits != 24) return;
    const CRect16 view = CentredRect(GetPosition(), GetWidth(), GetHeight()).Offset(point.x, point.y);
    const CRect16 clip = FromClip(target).Intersect(CRect16(0, 0, destination->GetWidth(), destination->GetHeight()));
    const CRect16 bar(view.left, int16_t(view.bottom - kBarHeight), view.right, view.bottom);
    Fill(destination, bar.Intersect(clip), kWhite);
    // Runs of like cells are drawn as one rectangle of one-pixel lines.
    for (int start = 0; start < kCells;) {
        int end = start + 1;
        while (end < kCells && map_[end] == map_[start]) ++end;
        if (map_[start] != kCellNone) {
            const CRect16 run(int16_t(bar.left + start), bar.top, int16_t(bar.left + end), bar.bottom);
            Fill(destination, run.Intersect(bar).Intersect(clip), kCellColours[map_[start]]);
        }
        start = end;
    }
    sLong ceiling = 0;
    if (!xProfiles_GetLong("MEMCEILING", &ceiling)) xAssertFailed("xProfiles_GetLong(MEMCEILING,&lCeiling)", "CMemWatcher", __LINE__);
    if (ceiling > 0) {
        // The ceiling in the bar's scale of bytes per cell; without blocks it spans the bar.
        const uint64_t span = highest_ > lowest_ ? highest_ - lowest_ : 0;
        const int32_t length = span ? int32_t(std::min<uint64_t>(kCells, ToCells(uint64_t(ceiling), span))) : kCells;
        const int16_t middle = int16_t(view.top + (view.bottom - kBarHeight - view.top) / 2);
        const CRect16 marker(view.left, int16_t(middle - 1), int16_t(view.left + length), int16_t(middle + 1));
        Fill(destination, marker.Intersect(CRect16(bar.left, view.top, bar.right, bar.top)).Intersect(clip),
             kCeilingColour);
    }
}

bool ShowMemWatcher() {
    OWindow* window = OWindow::Main();
    if (!window || GetMemWatcher()) return false;
    auto* watcher = new (std::nothrow) CMemWatcher;
    if (!watcher) return false;
    OApplication* app = OApplication::Get();
    CPartFile* file = app ? app->GetPartFile() : nullptr;
    if (file && file->IsCacheEnabled()) watcher->AddPool("RAVO : cache block pool", file->GetHeap());
    watcher->SetPriority(kTopPriority);
    window->AddChild(watcher);
    SetMemStatsVisible(GetMemStatsVisible());
    return true;
}

void HideMemWatcher() { delete GetMemWatcher(); }

CMemWatcher* GetMemWatcher() { return xDiagnostics_State().memory; }

bool GetMemStatsVisible() {
    boolean state = 0;
    if (!xProfiles_GetBoolean("MEMSTATSVISIBLE", &state))
        xAssertFailed("xProfiles_GetBoolean(MEMSTATSVISIBLE,&bState)", "CMemWatcher", __LINE__);
    return state != 0;
}

void SetMemStatsVisible(bool visible) {
    if (!xProfiles_Set("MEMSTATSVISIBLE", boolean(visible ? 1 : 0)))
        xAssertFailed("xProfiles_Set(MEMSTATSVISIBLE,bState)", "CMemWatcher", __LINE__);
    CMemWatcher* watcher = GetMemWatcher();
    if (!watcher) return;
    // The bar goes with its text: hidden by itself, it would stay on the stage unrefreshed.
    watcher->SetVisible(visible ? 1 : 0, 0);
    if (OTextCView* text = watcher->GetTextView()) text->SetVisible(visible ? 1 : 0, 0);
}
