// Snippets from 'snip' chunks: the sound formats, the chunk cache and buffer reuse, the
// missing-snippet box, and damaged or unplayable chunks refused without a read past them.
#include "engine/media/Snippet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "engine/data/PartFile.h"
#include "tools/builders/PartBuilder.h"
#include "tools/builders/SnippetBuilder.h"
#include "tests/support/SoundFixture.h"

namespace vqt::test {
namespace {

class SnippetTest : public SoundTest {
protected:
    uint32_t Add(const SnipPlan& plan, const std::string& description = "a sound") {
        return parts_.AddSnippet(plan, description);
    }
    CPartFile* Open(bool cache) {
        file_ = std::make_unique<OpenedPartFile>(image_, cache);
        return file_->get();
    }
    static SnipPlan RawPlan(Bytes played, uint16_t bits = 8) {
        SnipPlan s;
        s.bits = bits;
        s.sound = std::move(played);
        return s;
    }

    ChunkFileBuilder image_;
    PartBuilder parts_{image_};
    std::unique_ptr<OpenedPartFile> file_;
};

TEST_F(SnippetTest, RawSoundsLoadWithTheirHeaderAndFormat) {
    struct Row {
        SnipPlan plan;
        Bytes memory; ///< the sound as loaded
        uint16_t bits, rate;
        uint8_t mono;
    };
    Row rows[] = {
        {RawPlan({0x80, 0xFF, 0x00, 0x10}), {0x80, 0xFF, 0x00, 0x10}, 8, 22050, 1}, // stored 0x00 0x7F 0x80 0x90
        {RawPlan(Pcm16({-2, 300, 7}), 16), Pcm16({-2, 300}), 16, 11025, 0},        // 16 bits as stored
        {RawPlan({1, 2, 3, 4}), {1, 2, 3, 4}, 8, 22050, 1},                         // no property record
    };
    rows[0].plan.loopMode = 0x4002;
    rows[0].plan.volume = 300;
    rows[0].plan.left = 10;
    rows[0].plan.mouthLevels = {5, 6, 7};
    rows[1].plan.channels = 2;
    rows[1].plan.rate = 11025;
    rows[1].plan.dataSize = 5; // bit 0 is cleared
    rows[2].plan.withProperty = false;
    std::vector<uint32_t> ids;
    for (const Row& row : rows) ids.push_back(Add(row.plan, "engine hum"));
    CPartFile* file = Open(false);
    for (size_t i = 0; i < ids.size(); ++i) {
        char name[256];
        xSnippet* s = xSnippet_Load(file, ids[i], name);
        ASSERT_NE(s, nullptr);
        EXPECT_STREQ(name, "engine hum");
        ASSERT_EQ(s->size, rows[i].memory.size()) << i;
        EXPECT_EQ(Bytes(s->data, s->data + s->size), rows[i].memory) << i;
        EXPECT_EQ(s->bits, rows[i].bits) << i;
        EXPECT_EQ(s->rate, rows[i].rate) << i;
        EXPECT_EQ(s->mono, rows[i].mono) << i;
        EXPECT_EQ(s->loopMode, rows[i].plan.loopMode) << i;
        EXPECT_EQ(s->volume, rows[i].plan.volume) << i;
        EXPECT_EQ(s->left, rows[i].plan.left) << i;
        EXPECT_EQ(s->lipSyncCount, rows[i].plan.mouthLevels.size()) << i;
        EXPECT_EQ(Bytes(s->data + s->size, s->data + s->size + s->lipSyncCount), rows[i].plan.mouthLevels) << "unconverted";
        xSnippet_Unload(s);
    }
}

TEST_F(SnippetTest, WaveAndMp3ImagesLoadWholeAndPlay) {
    Start(2);
    SnipPlan wave;
    wave.kind = 1;
    wave.sound = WaveFile(Pcm16(SineTone(500, 2205)), 1, 16, 22050);
    wave.mouthLevels = {1, 2};
    const uint32_t w = Add(wave);
    SnipPlan mp3;
    mp3.kind = 2;
    mp3.sound = Mp3File(SineTone(500, 11025), 1, 22050);
    const uint32_t m = Add(mp3);
    CPartFile* file = Open(true);
    for (const auto& [id, plan] : {std::pair{w, &wave}, std::pair{m, &mp3}}) {
        xSnippet* s = xSnippet_Load(file, id, nullptr);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->size, plan->sound.size());
        EXPECT_EQ(std::memcmp(s->data, plan->sound.data(), s->size), 0);
        EXPECT_EQ(s->volume, 511);
        EXPECT_EQ(s->left, 511);
        s->loopMode = 4;
        SoundChannel* ch = xSound_GetChannel(0);
        xSound_PlaySnippet(s, ch);
        EXPECT_TRUE(xSound_IsPlaying(ch)) << plan->kind;
        xSnippet_Unload(s);
        EXPECT_FALSE(xSound_IsPlaying(ch)) << "unloading ends its channels";
    }
}

TEST_F(SnippetTest, TheCacheSharesARecordUntilTheLastUnloadAndIsNeverWrittenInto) {
    const uint32_t a = Add(RawPlan(Bytes(100, 0x90)));
    const uint32_t b = Add(RawPlan(Bytes(10, 0x30)));
    CPartFile* file = Open(true);
    xSnippet* first = xSnippet_Load(file, a, nullptr);
    xSnippet* second = xSnippet_Load(file, a, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first);
    xSnippet_Unload(first);
    EXPECT_EQ(first->data[0], 0x90) << "still held by the second load";
    // Loading another chunk into a variable that holds the cached record leaves the record.
    xSnippet* variable = second;
    xSnippet* loaded = loadSnippet(&variable, file, b, 0, nullptr);
    EXPECT_NE(loaded, second);
    EXPECT_EQ(variable, loaded);
    EXPECT_EQ(loaded->size, 10u);
    EXPECT_EQ(file->AddChunkRef(a), nullptr) << "the variable's reference went back: the last one";
    xSnippet_Unload(variable);
    EXPECT_EQ(file->AddChunkRef(b), nullptr);
}

TEST_F(SnippetTest, AReusedRecordKeepsItsLargerBuffer) {
    const uint32_t big = Add(RawPlan(Bytes(40000, 0x11)));
    const uint32_t small = Add(RawPlan(Bytes(100, 0x22)));
    CPartFile* file = Open(false);
    xSnippet* voice = nullptr;
    ASSERT_NE(loadSnippet(&voice, file, big, 30000, nullptr), nullptr);
    uint8_t* buffer = voice->data;
    const uint32_t capacity = voice->capacity;
    EXPECT_GE(capacity, 40016u);
    EXPECT_EQ(loadSnippet(&voice, file, small, 30000, nullptr), voice);
    EXPECT_EQ(voice->data, buffer);
    EXPECT_EQ(voice->capacity, capacity);
    EXPECT_EQ(voice->size, 100u);
    EXPECT_EQ(voice->data[0], 0x22);
    xSnippet_Unload(voice);
}

TEST_F(SnippetTest, AMissingSnippetShowsItsBoxAndLoadsNothing) {
    Add(RawPlan({1}));
    CPartFile* file = Open(false);
    EXPECT_EQ(xSnippet_Load(file, MakeChunkId(parts_.SnippetIndex(), 9), nullptr), nullptr);
    ASSERT_EQ(dialogs().Boxes().size(), 1u);
    EXPECT_EQ(dialogs().Boxes()[0].text, "VQT : Missing Snippet {" + std::to_string(parts_.SnippetIndex()) + ", 0, 9}");
    EXPECT_EQ(dialogs().Boxes()[0].title, "Error");
    EXPECT_NE(traced().find("loadSnippet - non existent snippet (" + std::to_string(parts_.SnippetIndex()) + ",9)\n"),
              std::string::npos);
    xSnippet* kept = Raw({5});
    xSnippet* variable = kept;
    EXPECT_EQ(loadSnippet(&variable, file, MakeChunkId(parts_.SnippetIndex(), 9), 0, nullptr), kept);
    EXPECT_EQ(variable, kept);
}

TEST_F(SnippetTest, DamagedOrUnplayableChunksAreRefusedWithATrace) {
    const std::pair<const char*, std::function<void(SnipPlan&)>> cases[] = {
        {"header size beyond the chunk", [](SnipPlan& s) { s.dataSize = 12; }},
        {"mouth levels beyond the chunk", [](SnipPlan& s) { s.mouthCount = 1; }},
        {"image shorter than its mouth levels", [](SnipPlan& s) { s.kind = 2, s.mouthCount = 11; }},
        {"wave chunk beyond the image", [](SnipPlan& s) {
             s.kind = 1;
             s.sound = WaveFile(Bytes(10, 0x80), 1, 8, 22050);
             PutLe32(s.sound, 40, 11);
         }},
        {"wave of floating point", [](SnipPlan& s) {
             s.kind = 1;
             s.sound = WaveFile(Bytes(8, 0), 1, 16, 22050);
             PutLe16(s.sound, 20, 3);
         }},
        {"kind 3", [](SnipPlan& s) { s.kind = 3; }},
        {"12 bits", [](SnipPlan& s) { s.bits = 12; }},
        {"three channels", [](SnipPlan& s) { s.channels = 3; }},
    };
    std::vector<uint32_t> ids;
    for (const auto& [name, damage] : cases) {
        SnipPlan plan = RawPlan(Bytes(10, 0x80));
        damage(plan);
        ids.push_back(Add(plan));
    }
    std::vector<std::string> names;
    for (const auto& c : cases) names.push_back(c.first);
    // Raw data too short for its header.
    ids.push_back(image_.AddChunk(parts_.SnippetIndex(), Bytes(15, 0), {.entry = 60, .property = SnipProperty(RawPlan({}))}));
    names.push_back("no room for the header");
    CPartFile* file = Open(true);
    for (size_t i = 0; i < ids.size(); ++i) {
        debug().Clear();
        EXPECT_EQ(xSnippet_Load(file, ids[i], nullptr), nullptr) << names[i];
        EXPECT_NE(traced().find("loadSnippet - "), std::string::npos) << names[i];
        EXPECT_EQ(file->AddChunkRef(ids[i]), nullptr) << "nothing cached: " << names[i];
    }
    EXPECT_TRUE(dialogs().Boxes().empty());
}

} // namespace
} // namespace vqt::test
