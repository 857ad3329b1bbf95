// The memory view: its refresh, its map of a pool's blocks and the bar it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/data/Memory.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/media/MemWatcher.h"
#include "engine/media/TextCView.h"
#include "tests/engine/media/WatcherFixture.h"

namespace vqt::test {
namespace {

/// A pool of its own with blocks of the given sizes, the ones marked freed again; all of them
/// variable blocks of one page, so that their places relative to each other are always alike.
class TestPool {
public:
    TestPool(const std::vector<size_t>& sizes, const std::vector<bool>& freed) : pool_(PoolCreate(0)) {
        for (size_t i = 0; i < sizes.size(); ++i) blocks_.push_back(PoolAllocBlock(pool_, sizes[i]));
        for (size_t i = 0; i < sizes.size(); ++i)
            if (freed[i]) PoolFreeBlock(std::exchange(blocks_[i], nullptr));
    }
    ~TestPool() { PoolDestroy(pool_); }
    MemPool* get() const { return pool_; }
    /// The bytes of the blocks still in use.
    int64_t UsedBytes() const {
        int64_t bytes = 0;
        for (void* block : blocks_)
            if (block) bytes += PoolBlockSize(block);
        return bytes;
    }

private:
    MemPool* pool_;
    std::vector<void*> blocks_;
};

class MemWatcherTest : public WatcherTest {
protected:
    void SetUp() override {
        WatcherTest::SetUp();
        xProfiles_Set("MEMSTATSVISIBLE", boolean(1));
    }
    /// A memory view over the pool on top of the stage.
    CMemWatcher* Watch(MemPool* pool) {
        auto* watcher = new CMemWatcher(pool);
        watcher->SetPriority(0x7FFFFFFF);
        window->AddChild(watcher);
        return watcher;
    }
    /// The rows of the stage under the view (455 to 474), shown at a depth with the view over
    /// a pool of known blocks and a ceiling of 9000 bytes.
    RgbImage Bar(int16_t depth) {
        if (depth != 16) {
            window->SetDepth(depth);
            window->SetDisplaySize(640, 480, depth);
            window->SetPalette(xGraphics_GlobalPalette());
        }
        xProfiles_Set("MEMCEILING", sLong(9000));
        OpenStages();
        SwitchTo(kHarbour);
        TestPool pool({400, 1000, 3000, 600, 2000, 700, 260}, {false, false, true, true, false, true, false});
        CMemWatcher* watcher = Watch(pool.get());
        Frames(4);
        delete watcher;
        const RgbImage stage = ToRgb(Shown());
        RgbImage bar{640, 20, {}};
        const auto first = stage.rgb.begin() + 455 * 640 * 3;
        bar.rgb.assign(first, first + 20 * 640 * 3);
        return bar;
    }
};

TEST_F(MemWatcherTest, RefreshesAtMostEvery250MsAndOnlyWhileItsKeyIsSet) {
    TestPool pool({300}, {false});
    CMemWatcher* watcher = Watch(pool.get());
    const uint32_t start = clock().TickCount();
    std::vector<uint32_t> refreshes;
    for (const uint32_t at : {0u, 100u, 300u}) {
        watcher->SetForcedTick(start + at);
        watcher->OnIdle();
        refreshes.push_back(watcher->GetLastRefresh() - start);
    }
    EXPECT_EQ(refreshes, (std::vector<uint32_t>{0, 0, 300}));
    ASSERT_NE(watcher->GetTextView(), nullptr);
    const std::string text = watcher->GetTextView()->GetTextPtr();
    EXPECT_EQ(text.substr(0, 14), "Num pools : 1\r");
    EXPECT_NE(text.find("\nPool name : Default pool\r"), std::string::npos);
    EXPECT_EQ(watcher->GetPosition().y, 465.0f);
    EXPECT_EQ(watcher->GetWidth(), 640);

    // With the key clear nothing is refreshed, but the time is stamped.
    xProfiles_Set("MEMSTATSVISIBLE", boolean(0));
    PoolAllocBlock(pool.get(), 500);
    watcher->SetForcedTick(start + 600);
    watcher->OnIdle();
    EXPECT_EQ(watcher->GetLastRefresh(), start + 600);
    EXPECT_EQ(watcher->GetTextView()->GetTextPtr(), text);

    // The tick count wraps: 512 ms after 0xFFFFFF00 is 0x100, a refresh is due.
    for (const uint32_t at : {0xFFFFFF00u, 0x100u}) {
        watcher->SetForcedTick(at);
        watcher->OnIdle();
    }
    EXPECT_EQ(watcher->GetLastRefresh(), 0x100u);
}

TEST_F(MemWatcherTest, EmptyAndOneBlockPoolsMapSafely) {
    TestPool empty({}, {});
    CMemWatcher* watcher = Watch(empty.get());
    watcher->OnIdle();
    EXPECT_TRUE(std::all_of(watcher->GetMap(), watcher->GetMap() + CMemWatcher::kCells,
                            [](uint8_t cell) { return cell == CMemWatcher::kCellNone; }));
    delete watcher;

    TestPool one({40}, {false});
    watcher = Watch(one.get());
    watcher->OnIdle();
    EXPECT_GE(std::count(watcher->GetMap(), watcher->GetMap() + CMemWatcher::kCells, CMemWatcher::kCellUsed), 1);
    delete watcher;
}

/// The number on the statistics line that starts with `label`.
long StatOf(const std::string& text, const std::string& label) {
    const size_t at = text.find(label + " : ");
    return at == std::string::npos ? -1 : std::stol(text.substr(at + label.size() + 3));
}

TEST_F(MemWatcherTest, MeasuresItsPoolsAndASwitchRestartsThePeaks) {
    OpenStages();
    TestPool pool({400, 1000, 3000}, {false, true, false});
    CMemWatcher* watcher = Watch(pool.get());
    watcher->OnIdle();
    std::string text = watcher->StatsText();
    const long use = StatOf(text, "Mem pool use");
    EXPECT_EQ(use, PoolBytesInUse(pool.get()));
    EXPECT_EQ(StatOf(text, "Mem allocated"), pool.UsedBytes());
    EXPECT_EQ(StatOf(text, "Mem wasted"), use - pool.UsedBytes());
    EXPECT_EQ(StatOf(text, "Peak activity mem "), use);

    // A switch: the activity peak starts again at 0, the one between activities at the use then.
    SwitchTo(kHarbour);
    text = watcher->StatsText();
    EXPECT_EQ(StatOf(text, "Peak activity mem "), 0);
    EXPECT_EQ(StatOf(text, "Peak between activity"), use);
    delete watcher;

    // The made view watches the default pool and the open part file's chunk cache, each once.
    app.GetPartFile()->SetCacheEnabled(true);
    app.GetPartFile()->CreateHeap();
    ASSERT_TRUE(ShowMemWatcher());
    GetMemWatcher()->OnIdle();
    text = GetMemWatcher()->StatsText();
    EXPECT_EQ(StatOf(text, "Num pools"), 2);
    EXPECT_EQ(text.substr(text.find('\n')), "\nPool name : Default pool\r\nPool name : RAVO : cache block pool\r");
}

class MemoryBarTest : public MemWatcherTest, public ::testing::WithParamInterface<int16_t> {};

TEST_P(MemoryBarTest, TheBarOfAPoolOfKnownBlocksMatchesItsPicture) {
    ExpectMatchesGoldenImage("engine/media/memory_bar_" + std::to_string(GetParam()) + ".png", Bar(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Depths, MemoryBarTest, ::testing::Values(8, 16, 24));

} // namespace
} // namespace vqt::test
