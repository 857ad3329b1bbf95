// The generated game data as a whole: every chunk that a screen's data names is in the file, the
// start panels' level texts say their level, the button panels' board hides the scene behind it,
// and the message file beside it gives the game every message it knows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <set>
#include <string>
#include <vector>

#include "engine/base/ByteOrder.h"
#include "engine/core/Activity.h"
#include "engine/core/View.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/State.h"
#include "engine/media/TextView.h"
#include "game/minigames/puzzle/PuzzleTownValues.h"
#include "game/minigames/roundup/RoundUpTowns.h"
#include "game/shell/GameStart.h"
#include "tests/support/GeneratedData.h"
#include "tests/support/HeadlessTest.h"
#include "tools/synthetic/ScreenButtons.h"

namespace vqt::test {
namespace {

constexpr uint8_t kActivityIndex = 1;
/// A text view's stored text entry (family 70, id 1, a 16-bit value): {"utxt", 0, entry}.
constexpr uint32_t kTextFamily = 70, kTextEntry = 1, kShortType = 5;
constexpr uint32_t kPropertyHeader = 16;

std::string Named(ChunkId id) {
    return "{" + std::to_string(ChunkIndexOf(id)) + ", 0, " + std::to_string(ChunkEntryOf(id)) + "}";
}

class GeneratedDataTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ASSERT_TRUE(file.Open((GeneratedDataFolder() / kGeneratedPartFile).c_str(), 1));
    }
    void TearDown() override { file.Close(); }

    std::vector<uint8_t> Chunk(ChunkId id) {
        uint32_t size = 0, offset = 0;
        if (!file.GetChunkLocation(id, &size, &offset)) return {};
        std::vector<uint8_t> bytes(size);
        if (size > 0 && !file.GetChunk(id, bytes.data())) return {};
        return bytes;
    }

    /// Notes `id` as named by `by` when the file does not hold it.
    void Expect(ChunkId id, const std::string& by) {
        if (id != kNullChunkId && !file.ChunkExists(id)) missing.insert(Named(id) + " named by " + by);
    }

    /// A named part and the sounds of its states.
    void ExpectPart(ChunkId id, const std::string& by) {
        Expect(id, by);
        if (id == kNullChunkId || !file.ChunkExists(id) || !walkedParts.insert(id).second) return;
        CPart part;
        if (!part.SetPartID(&file, id, 1, 0)) {
            missing.insert(Named(id) + " (unreadable) named by " + by);
            return;
        }
        for (int32_t s = 0; s < part.GetStateCount(); ++s)
            Expect(part.GetStateSoundId(s), "state " + std::to_string(s) + " of part " + Named(id));
    }

    /// The text entries the text views among an object's properties name.
    void ExpectTexts(std::span<const uint8_t> properties, const std::string& by) {
        const uint8_t texts = file.FindDataIndex(Tag4("utxt"));
        for (size_t at = 0; at + kPropertyHeader <= properties.size();) {
            const uint32_t type = bytes::be32(properties, at), family = bytes::be32(properties, at + 4);
            const uint32_t id = bytes::be32(properties, at + 8), size = bytes::be32(properties, at + 12);
            if (family == kTextFamily && id == kTextEntry && type == kShortType && size == 2 &&
                at + kPropertyHeader + 2 <= properties.size()) {
                const uint16_t entry = bytes::be16(properties, at + kPropertyHeader);
                if (entry != 0 && entry != 0xFFFF) Expect(MakeChunkId(texts, entry), by);
            }
            at += kPropertyHeader + size;
        }
    }

    /// Every chunk the screen's data names: background, palette, the objects' parts with their
    /// sounds, and the text views' texts.
    void WalkScreen(ChunkId screen) {
        const std::vector<uint8_t> bytes = Chunk(screen);
        const std::string name = "screen " + Named(screen);
        ActivityHeader header;
        if (!ActivityHeader::Parse(bytes, header)) {
            missing.insert(name + " has no header");
            return;
        }
        Expect(header.backgroundId, name);
        Expect(header.paletteId, name);
        size_t at = ActivityHeader::kSize + header.propertyBytes;
        for (int n = 1; at + ActivityObjectRecord::kSize <= bytes.size(); ++n) {
            ActivityObjectRecord object;
            ActivityObjectRecord::Parse(std::span(bytes).subspan(at), object);
            const std::string by = "object " + std::to_string(n) + " (class " + std::to_string(object.classId) + ") of " + name;
            ExpectPart(object.partId, by);
            at += ActivityObjectRecord::kSize;
            const size_t end = std::min(bytes.size(), at + object.propertyBytes);
            ExpectTexts(std::span(bytes).subspan(at, end - at), by);
            at = end;
        }
    }

    CPartFile file;
    std::set<std::string> missing;
    std::set<ChunkId> walkedParts;
};

TEST_F(GeneratedDataTest, EveryChunkThatAScreensDataNamesIsInTheFile) {
    RavoIndex* screens = file.GetIndex(MakeChunkId(kActivityIndex, 0));
    ASSERT_NE(screens, nullptr);
    int walked = 0;
    const uint16_t capacity = screens->capacity;
    file.UnlockIndex(&screens);
    for (uint16_t e = 1; e <= capacity; ++e)
        if (file.ChunkExists(MakeChunkId(kActivityIndex, e))) {
            WalkScreen(MakeChunkId(kActivityIndex, e));
            ++walked;
        }
    EXPECT_GE(walked, 20) << "the screens of the game";
    EXPECT_GE(walkedParts.size(), 100u);
    std::string list;
    for (const std::string& m : missing) list += m + "\n";
    EXPECT_TRUE(missing.empty()) << missing.size() << " missing:\n" << list;
}

TEST_F(GeneratedDataTest, EveryChunkThatTheGameNamesByNumberOutsideTheScreensDataIsInTheFile) {
    const struct {
        const char* by;
        uint8_t index;
        std::vector<uint16_t> entries;
    } named[] = {
        {"a game screen's props by their part's sound value", 7, {13, 189, 190, 188, 158, 61, 98, 571, 821, 133, 834}},
        {"the circus race's barrels", 2, {271, 33, 34, 251}},
        {"the zoo race's obstacles", 2, {387, 33, 34, 271, 391}},
    };
    for (const auto& n : named)
        for (const uint16_t entry : n.entries) Expect(MakeChunkId(n.index, entry), n.by);
    std::string list;
    for (const std::string& m : missing) list += m + "\n";
    EXPECT_TRUE(missing.empty()) << missing.size() << " missing:\n" << list;
}

TEST_F(GeneratedDataTest, EveryPuzzleAndRoundUpStartPanelNamesItsLevel) {
    const struct {
        const char* game;
        const ChunkId* levelTexts;
    } games[] = {
        {"circus puzzle", puzzle_towns::kCircus.levelPictures},
        {"zoo puzzle", puzzle_towns::kZoo.levelPictures},
        {"city puzzle", puzzle_towns::kCity.levelPictures},
        {"circus round-up", round_up_towns::kCircus.levelTexts},
        {"zoo round-up", round_up_towns::kZoo.levelTexts},
        {"city round-up", round_up_towns::kCity.levelTexts},
    };
    for (const auto& g : games)
        for (int level = 1; level <= 3; ++level) {
            std::string text;
            EXPECT_TRUE(xText_ReadChunkText(&file, g.levelTexts[level - 1], kLanguageEnglishUs, &text)) << g.game;
            EXPECT_EQ(text, "Level " + std::to_string(level)) << g.game << ", level " << level;
        }
}

TEST_F(GeneratedDataTest, TheButtonPanelsBoardIsDrawnWhereverItStandsButItsRoundedCorners) {
    // Every panel lies on this board, drawn over the scene: a pixel it leaves clear shows the
    // scene through the panel, whichever pictures the panel draws over the board.
    constexpr int kCorner = 10;
    CPart board;
    ASSERT_EQ(board.SetPartID(&file, MakeChunkId(2, 349), 1, 0), 1);
    board.SetState(0);
    CState* frame = board.GetCurrentState();
    ASSERT_NE(frame, nullptr);
    const int width = frame->GetFrameWidth(), height = frame->GetFrameHeight();
    EXPECT_EQ(width, buttons::kPanelWidth);
    EXPECT_EQ(height, buttons::kPanelHeight);
    const auto inCorner = [&](int x, int y) {
        return (x < kCorner || x >= width - kCorner) && (y < kCorner || y >= height - kCorner);
    };
    int clear = 0;
    CRect16 where;
    for (int16_t y = 0; y < height; ++y)
        for (int16_t x = 0; x < width; ++x) {
            const CRect16 pixel(x, y, int16_t(x + 1), int16_t(y + 1));
            if (inCorner(x, y) || frame->HitTestRect(ToClip(pixel))) continue;
            where = clear++ == 0 ? pixel : where.Union(pixel);
        }
    EXPECT_EQ(clear, 0) << "clear pixels of the board within x " << where.left << "-" << where.right << " y "
                        << where.top << "-" << where.bottom << " (board coordinates)";
}

TEST_F(GeneratedDataTest, TheMessageFileBesideThePartFileGivesEveryMessageOfTheGame) {
    CPartFile messages;
    ASSERT_TRUE(messages.Open((GeneratedDataFolder() / "VQTMsg.vqk").c_str(), 1));
    xMessages_LoadUnicode(&messages, MakeChunkId(2, 1));
    messages.Close();
    const auto& loaded = xMessages_Context().loaded;
    int count = 0;
    for (const xMessagePair* pair = GameFallbackMessages(); pair->id; ++pair, ++count) {
        const auto same = [&](const MessagesContext::Loaded& m) { return m.id == pair->id; };
        const auto found = std::find_if(loaded.begin(), loaded.end(), same);
        ASSERT_NE(found, loaded.end()) << pair->id;
        EXPECT_EQ(found->text, pair->text) << pair->id;
    }
    EXPECT_EQ(loaded.size(), size_t(count));
}

} // namespace
} // namespace vqt::test
