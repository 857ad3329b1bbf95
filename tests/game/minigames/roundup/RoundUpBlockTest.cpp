// The round-ups' walls against their animals, on each generated map and each of its blocks: a
// step straight into a block is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/shell/StillProps.h"
#include "game/world/WorldBuckets.h"
#include "tests/game/minigames/roundup/RoundUpFixture.h"

namespace vqt::test {
namespace {

/// The boxes of the blocks of a round-up's map, as the world lists them.
std::vector<CRect16> Blocks(CRoundUpActivity* r) {
    std::vector<CRect16> out;
    const auto& list = r->GetList(TLVWorld_Activity::kBlockers);
    for (int32_t i = 0; i < list.Count(); ++i) {
        auto* block = dynamic_cast<TLV_Object*>(list.GetAt(i));
        if (block && block->IsA(Blocker::kClassId)) out.push_back(CWorldBuckets::BoxOf(block->GetCollisionBody()));
    }
    return out;
}

CPointF Middle(const CRect16& b) { return CPointF((b.left + b.right) / 2.0f, (b.top + b.bottom) / 2.0f); }

const Town kTowns[] = {kCircus, kZoo, kCity};

class RoundUpBlockTest : public RoundUpFixture {};

TEST_F(RoundUpBlockTest, AStepStraightIntoABlockIsRefusedAndOneAlongItsSideIsNot) {
    for (const Town& town : kTowns) {
        CRoundUpActivity* r = Start(town, 1);
        ASSERT_NE(r, nullptr);
        const std::vector<CRect16> blocks = Blocks(r);
        ASSERT_FALSE(blocks.empty()) << "the generated map has blocks";
        for (const CRect16& b : blocks) {
            SCOPED_TRACE(testing::Message() << "round-up " << town.entry << ", block at " << b.left << "," << b.top);
            const CPointF m = Middle(b);
            const int16_t x = int16_t(m.x), y = int16_t(m.y);
            const struct {
                CPoint16 from, to;
                bool free;
            } steps[] = {
                {{int16_t(b.left - 4), y}, {int16_t(b.left + 2), y}, false},           // right, across the left side
                {{int16_t(b.right + 3), y}, {int16_t(b.right - 3), y}, false},         // left, across the right side
                {{x, int16_t(b.top - 4)}, {x, int16_t(b.top + 2)}, false},             // down, across the top
                {{x, int16_t(b.bottom + 3)}, {x, int16_t(b.bottom - 3)}, false},       // up, across the bottom
                {{int16_t(b.left - 3), int16_t(b.top - 3)}, {int16_t(b.left + 3), int16_t(b.top + 3)}, false},
                {{x, int16_t(b.top - 1)}, {int16_t(x + 8), int16_t(b.top - 1)}, true}, // along the top
                {{x, b.bottom}, {int16_t(x - 8), b.bottom}, true},                     // along the bottom
                {{int16_t(b.left - 1), y}, {int16_t(b.left - 1), int16_t(y + 8)}, true}, // down the left side
                {{b.right, y}, {b.right, int16_t(y - 8)}, true},                       // up the right side
            };
            for (const auto& s : steps)
                EXPECT_EQ(r->CanMoveTo(s.from.x, s.from.y, s.to.x, s.to.y, 1), s.free)
                    << "from " << s.from.x << "," << s.from.y << " to " << s.to.x << "," << s.to.y;
        }
        Leave();
    }
}

} // namespace
} // namespace vqt::test
