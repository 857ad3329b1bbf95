#include <map>
#include <string>

#include "engine/blit/Blitter.h"
#include "engine/data/Profiles.h"
#include "tests/engine/blit/BlitFixture.h"

namespace {

class BltTablesTest : public blitmodel::BlitFixture {};

using Cells = std::map<std::string, const void*>;  // "table:src->dst" -> routine

const void* P(BltFunc f) { return reinterpret_cast<const void*>(f); }
const void* C(BltCompFunc f) { return reinterpret_cast<const void*>(f); }

/// The filled cells, written out from the table of routines (every other cell is null).
Cells ExpectedCells() {
    return {
        {"0:8->8", P(BltSolid_8bTo8b)}, {"0:8->16", P(BltSolid_8bTo16b)}, {"0:8->24", P(BltSolid_8bTo24b)},
        {"0:16->16", P(BltSolid_16bTo16b)}, {"0:16->24", P(BltSolid_16bTo24b)},
        {"1:8->8", P(BltSolidX_8bTo8b)}, {"1:8->16", P(BltSolidX_8bTo16b)}, {"1:8->24", P(BltSolidX_8bTo24b)},
        {"2:8->8", P(BltTrans_8bTo8b)}, {"2:8->16", P(BltTrans_8bTo16b)}, {"2:8->24", P(BltTrans_8bTo24b)},
        {"2:16->16", P(BltTrans_16bTo16b)},
        {"3:8->8", P(BltTransX_8bTo8b)}, {"3:8->16", P(BltTransX_8bTo16b)}, {"3:8->24", P(BltTransX_8bTo24b)},
        {"4:8->8", P(BltTinted_8bTo8b)}, {"4:8->16", P(BltTinted_8bTo16b)},
        {"5:8->16", P(BltTintedX_8bTo16b)},
        {"6:8->8", P(BltBlended_8bTo8b)}, {"6:8->16", P(BltBlended_8bTo16b)},
        {"7:8->16", P(BltBlendedX_8bTo16b)},
        {"8:8->8", P(BltSilhouette_8bTo8b)}, {"8:8->16", P(BltSilhouette_8bTo16b)},
        {"9:8->8", P(BltScaledSolid_8bTo8b)}, {"9:8->16", P(BltScaledSolid_8bTo16b)},
        {"9:16->16", P(BltScaledSolid_16bTo16b)},
        {"10:8->8", P(BltScaledSolidX_8bTo8b)}, {"10:8->16", P(BltScaledSolidX_8bTo16b)},
        {"11:8->8", P(BltScaledTrans_8bTo8b)}, {"11:8->16", P(BltScaledTrans_8bTo16b)},
        {"11:8->24", P(BltScaledTrans_8bTo24b)}, {"11:16->16", P(BltScaledTrans_16bTo16b)},
        {"12:8->8", P(BltScaledTransX_8bTo8b)}, {"12:8->16", P(BltScaledTransX_8bTo16b)},
        {"12:8->24", P(BltScaledTransX_8bTo24b)},
        {"13:8->16", P(BltScaledTinted_8bTo16b)}, {"14:8->16", P(BltScaledTintedX_8bTo16b)},
        {"15:8->16", P(BltScaledBlended_8bTo16b)}, {"16:8->16", P(BltScaledBlendedX_8bTo16b)},
        {"17:8->8", C(BltCompSolid_8bTo8b)}, {"17:8->16", C(BltCompSolid_8bTo16b)},
        {"17:8->24", C(BltCompSolid_8bTo24b)},
        {"18:8->8", C(BltCompSolidX_8bTo8b)}, {"18:8->16", C(BltCompSolidX_8bTo16b)},
        {"18:8->24", C(BltCompSolid_8bTo24b)},
        {"19:8->8", C(BltCompTrans_8bTo8b)}, {"19:8->16", C(BltCompTrans_8bTo16b)},
        {"19:8->24", C(BltCompTrans_8bTo24b)},
        {"20:8->8", C(BltCompTransX_8bTo8b)}, {"20:8->16", C(BltCompTransX_8bTo16b)},
        {"20:8->24", C(BltCompTransX_8bTo24b)},
        {"21:8->8", C(BltCompTinted_8bTo8b)}, {"21:8->16", C(BltCompTinted_8bTo16b)},
        {"22:8->16", C(BltCompTintedX_8bTo16b)},
        {"23:8->8", C(BltCompBlended_8bTo8b)}, {"23:8->16", C(BltCompBlended_8bTo16b)},
        {"24:8->16", C(BltCompBlendedX_8bTo16b)},
        {"25:8->8", C(BltCompBlended_8bTo8b)},
    };
}

const int kDepths[7] = {1, 2, 4, 8, 16, 24, 32};

TEST_F(BltTablesTest, EveryCellHoldsExactlyTheListedRoutine) {
    const Cells expected = ExpectedCells();
    Cells actual;
    for (int t = 0; t < 26; ++t) {
        for (int s = 0; s < 7; ++s) {
            for (int d = 0; d < 7; ++d) {
                const void* fn = t < 17 ? P(BltTables.plain[t][s][d]) : C(BltTables.comp[t - 17][s][d]);
                if (fn != nullptr) {
                    actual[std::to_string(t) + ":" + std::to_string(kDepths[s]) + "->" +
                           std::to_string(kDepths[d])] = fn;
                }
            }
        }
    }
    EXPECT_EQ(actual, expected);
    for (int s = 0; s < 7; ++s) {
        for (int d = 0; d < 7; ++d) {
            EXPECT_EQ(BltTables.plainSilhouetteX[s][d], nullptr);
            EXPECT_EQ(BltTables.compSilhouetteX[s][d], nullptr);
        }
    }
}

TEST_F(BltTablesTest, GettersReadTheirFamilyTablesAndMirroredPairs) {
    EXPECT_EQ(GetBltSolid(16, 24, 0), &BltSolid_16bTo24b);
    EXPECT_EQ(GetBltTrans(8, 16, 7), &BltTransX_8bTo16b);  // any non-zero value mirrors
    EXPECT_EQ(GetBltTinted(8, 8, 1), nullptr);
    EXPECT_EQ(GetBltBlended(8, 16, 1), &BltBlendedX_8bTo16b);
    EXPECT_EQ(GetBltSilhouette(8, 16, 0), &BltSilhouette_8bTo16b);
    EXPECT_EQ(GetBltSilhouette(8, 16, 1), nullptr);
    EXPECT_EQ(GetBltScaledTrans(8, 24, 1), &BltScaledTransX_8bTo24b);
    EXPECT_EQ(GetBltScaledTinted(8, 16, 1), &BltScaledTintedX_8bTo16b);
    EXPECT_EQ(GetBltCompSolid(8, 24, 1), &BltCompSolid_8bTo24b);
    EXPECT_EQ(GetBltCompTrans(8, 8, 1), &BltCompTransX_8bTo8b);
    EXPECT_EQ(GetBltCompTinted(8, 16, 1), &BltCompTintedX_8bTo16b);
    EXPECT_EQ(GetBltCompSilhouette(8, 8, 0), &BltCompBlended_8bTo8b);
    EXPECT_EQ(GetBltCompSilhouette(8, 8, 1), nullptr);
    // Depths outside the seven have no cell.
    EXPECT_EQ(GetBltSolid(12, 16, 0), nullptr);
    EXPECT_EQ(GetBltSolid(8, 15, 0), nullptr);
}

TEST_F(BltTablesTest, SelectorsApplyTheModeRules) {
    BltContext().BltBlendLevel = 0;
    EXPECT_EQ(GetBltFunc(8, 16, 3, 0), &BltTrans_8bTo16b);
    EXPECT_EQ(GetBltScaledFunc(8, 16, 3, 1), &BltScaledTransX_8bTo16b);
    EXPECT_EQ(GetBltCompFunc(8, 24, 3, 0), &BltCompTrans_8bTo24b);  // no blended 24-bit reader
    BltContext().BltBlendLevel = 128;
    EXPECT_EQ(GetBltFunc(8, 16, 3, 0), &BltBlended_8bTo16b);
    EXPECT_EQ(GetBltCompFunc(8, 24, 3, 0), nullptr);

    EXPECT_EQ(GetBltFunc(8, 16, 4, 1), nullptr);
    EXPECT_EQ(GetBltCompFunc(8, 8, 4, 1), nullptr);
    EXPECT_EQ(GetBltScaledFunc(8, 16, 4, 0), &BltScaledBlended_8bTo16b);
    EXPECT_EQ(GetBltCompFunc(8, 24, 0, 1), &BltCompSolid_8bTo24b);
    EXPECT_EQ(GetBltCompFunc(8, 8, 4, 0), &BltCompBlended_8bTo8b);
    EXPECT_EQ(GetBltCompFunc(8, 16, 4, 0), nullptr);
    EXPECT_EQ(GetBltFunc(8, 8, 2, 0), &BltTinted_8bTo8b);
    EXPECT_EQ(GetBltFunc(8, 16, 0, 1), &BltSolidX_8bTo16b);
    EXPECT_EQ(GetBltCompFunc(8, 16, 1, 1), &BltCompTransX_8bTo16b);

    for (int level : {0, 128}) {
        BltContext().BltBlendLevel = static_cast<int16_t>(level);
        for (int mode : {-1, 5, 100, -100}) {
            EXPECT_EQ(GetBltFunc(8, 16, mode, 0), nullptr);
            EXPECT_EQ(GetBltScaledFunc(8, 16, mode, 0), nullptr);
            EXPECT_EQ(GetBltCompFunc(8, 16, mode, 0), nullptr);
        }
    }
    // At level 0, mode 3 finds a routine wherever mode 1 has one.
    BltContext().BltBlendLevel = 0;
    for (int s : kDepths) {
        for (int d : kDepths) {
            for (uint8_t m : {0, 1}) {
                EXPECT_EQ(GetBltFunc(s, d, 3, m), GetBltFunc(s, d, 1, m));
                EXPECT_EQ(GetBltScaledFunc(s, d, 3, m), GetBltScaledFunc(s, d, 1, m));
                EXPECT_EQ(GetBltCompFunc(s, d, 3, m), GetBltCompFunc(s, d, 1, m));
            }
        }
    }
}

TEST_F(BltTablesTest, ProcessorQueryReadsTheProfileKeyOnce) {
    boolean saved = 0;
    xProfiles_GetBoolean("MMXAVAILABLE", &saved);
    xProfiles_Set("MMXAVAILABLE", boolean{1});
    EXPECT_TRUE(CpuHasMMX());
    xProfiles_Set("MMXAVAILABLE", boolean{0});
    EXPECT_TRUE(CpuHasMMX());  // fixed once asked
    BltContext() = BltSettings{};
    EXPECT_FALSE(CpuHasMMX());
    xProfiles_Set("MMXAVAILABLE", saved);
}

std::vector<uint16_t> Scale(int first, int last, int otherFirst, int otherLast, size_t room = 64) {
    std::vector<uint16_t> table(room, 0xEEEE);
    BltMakeScaleTable(table.data(), first, last, otherFirst, otherLast);
    size_t used = 0;
    while (used < room && table[used] != 0xEEEE) ++used;
    table.resize(used);
    return table;
}

TEST_F(BltTablesTest, ScaleTableWalksLikeALine) {
    EXPECT_EQ(Scale(0, 3, 0, 1), (std::vector<uint16_t>{0, 0, 1, 1}));
    EXPECT_EQ(Scale(0, 1, 0, 3), (std::vector<uint16_t>{0, 3}));
    EXPECT_EQ(Scale(0, 5, 0, 2), (std::vector<uint16_t>{0, 0, 1, 1, 2, 2}));
    EXPECT_EQ(Scale(-2, 3, 0, 5), (std::vector<uint16_t>{2, 3, 4, 5}));
    EXPECT_EQ(Scale(3, 0, 0, 3), (std::vector<uint16_t>{0, 1, 2, 3}));
    // Shrinking and enlarging: the ends land on both ends of the other axis, and the walk moves
    // monotonically.
    for (int len = 1; len < 40; ++len) {
        for (int other = 1; other < 40; ++other) {
            const auto t = Scale(0, len, 0, other);
            ASSERT_EQ(t.size(), static_cast<size_t>(len + 1));
            EXPECT_EQ(t.front(), 0);
            EXPECT_EQ(t.back(), other);
            for (size_t i = 1; i < t.size(); ++i) EXPECT_GE(t[i], t[i - 1]);
        }
    }
    // A zero extent gives one entry; a one-pixel image drawn wide reads its column 0 throughout.
    EXPECT_EQ(Scale(0, 0, 0, 9), (std::vector<uint16_t>{0}));
    EXPECT_EQ(Scale(5, 5, 0, 9), (std::vector<uint16_t>{0}));
    EXPECT_EQ(Scale(-3, -3, 0, 9), (std::vector<uint16_t>{0}));
    EXPECT_EQ(Scale(0, 5, 0, 0), (std::vector<uint16_t>(6, 0)));
    EXPECT_EQ(Scale(-2, 3, 4, 4), (std::vector<uint16_t>(4, 0)));
}

} // namespace
