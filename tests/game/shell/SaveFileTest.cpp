// The save file: its bytes, a round trip, damaged and foreign files, and saves cut or failed at
// every change they make to the disc.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/data/Profiles.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/FakeFiles.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/StoredRecord.h"
#include "tools/builders/TempFolder.h"

namespace vqt::test {
namespace {

constexpr const char* kSave = "TLVSave.vqk";
constexpr const char* kKept = "TLVSave-kept-1.vqk";
constexpr size_t kHeader = 1352;

/// The names of the eight slots as loaded, joined by '|'.
std::string LoadNames(CPlayer& player) {
    std::string names;
    for (int s = 0; s < 8; ++s) {
        player.Load(s);
        names += (s ? "|" : "") + std::string(player.GetName());
    }
    return names;
}

/// The file with the chunk headers' two times zeroed, for the chunks of a new file's layout.
std::string MaskTimes(std::string file) {
    for (size_t at = 570; at + kHeader <= file.size(); at += kHeader + 372)
        std::fill_n(file.begin() + ptrdiff_t(at + 320), 8, '\0');
    return file;
}

class SaveFileTest : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        xProfiles_Set("USERFILE", kSave);
        files = &FakeFiles::Install();
    }
    std::string Saved() const { return files->Get(kSave); }
    void Put(const Bytes& file) { files->Put(kSave, ToString(file)); }

    FakeFiles* files = nullptr;
};

TEST_F(SaveFileTest, ANewFileHoldsTheSavedSlotsInTheirLayout) {
    CPlayer player;
    ASSERT_TRUE(player.Save(3));
    ASSERT_EQ(Saved().size(), 2294u);
    ExpectMatchesGolden("game/shell/save_slot3.vqk", MaskTimes(Saved()));
    EXPECT_EQ(files->Names(), std::vector<std::string>{kSave}) << "nothing is left beside it";
    const auto chunks = SlotChunks(kSave);
    EXPECT_EQ(chunks[3].size(), kHeader + 372) << "chunk {1, 0, 4}";

    for (int s = 0; s < 8; ++s) ASSERT_TRUE(player.Save(s));
    ASSERT_EQ(Saved().size(), 14362u);
    ExpectMatchesGolden("game/shell/save_eight_slots.vqk", MaskTimes(Saved()));
    EXPECT_TRUE(dialogs().Boxes().empty());
}

TEST_F(SaveFileTest, ARecordComesBackWithItsPositionsResetAndWithoutAFileANewPlayerLoads) {
    plat::UseHeadless(); // the POSIX files, in a folder of the test's own
    TempFolder folder;
    const std::string name = folder / kSave;
    xProfiles_Set("USERFILE", name.c_str());
    ChunkFileBuilder b;
    const uint8_t game = b.AddIndex("game", 8, 25);
    b.AddChunk(game, StoredRecord("Ann").Raw(69, {0x5A}), {.entry = 1});
    b.AddChunk(game, StoredRecord("Old"), {.entry = 6, .created = 88});
    ASSERT_TRUE(b.WriteFile(name));
    const auto before = SlotChunks(name);

    CPlayer player;
    player.SetName("Bo");
    player.SetWorldPosition(CPoint16(5, 6), 1);
    player.IncCounter(13);
    player.SetExtraWord(3, 0x0102);
    ASSERT_TRUE(player.Save(5));
    const auto chunks = SlotChunks(name);
    EXPECT_EQ(GetLe32(chunks[5], 320), 88u) << "the creation time of the chunk it replaced";
    EXPECT_EQ(chunks[0], before[0]);

    CPlayer other;
    EXPECT_EQ(other.Load(5), SaveSlotState::Valid);
    PlayerRecord expected = player.Record();
    expected.world[1][0] = 150; // the stored position gives way to the default
    expected.world[1][1] = 2100;
    EXPECT_EQ(EncodePlayerRecord(other.Record()), EncodePlayerRecord(expected));
    EXPECT_EQ(other.Load(0), SaveSlotState::Valid);
    EXPECT_STREQ(other.GetName(), "Ann");
    EXPECT_EQ(other.Record().pad, 0) << "the pad byte is not taken from the file";

    std::remove(name.c_str());
    EXPECT_EQ(other.Load(5), SaveSlotState::Empty);
    EXPECT_EQ(EncodePlayerRecord(other.Record()), EncodePlayerRecord(CPlayer().Record()));
    EXPECT_TRUE(dialogs().Boxes().empty());
}

TEST_F(SaveFileTest, SavingOverASlotKeepsItsCreationTimeAndStampsTheNewModificationTime) {
    constexpr uint32_t kFirst = 1200000000, kLater = 1300000000;
    CPlayer player;
    clock().SetUnixTime(kFirst);
    ASSERT_TRUE(player.Save(3));
    ASSERT_TRUE(player.Save(5));
    const Bytes first = SlotChunks(kSave)[3];
    ASSERT_GE(first.size(), kHeader);
    EXPECT_EQ(GetLe32(first, 320), kFirst);
    EXPECT_EQ(GetLe32(first, 324), kFirst);

    clock().SetUnixTime(kLater);
    player.SetName("Bo");
    ASSERT_TRUE(player.Save(3));
    const auto chunks = SlotChunks(kSave);
    EXPECT_EQ(GetLe32(chunks[3], 320), kFirst) << "created when first saved";
    EXPECT_EQ(GetLe32(chunks[3], 324), kLater) << "modified by the second save";
    EXPECT_EQ(GetLe32(chunks[5], 324), kFirst) << "a slot not saved again keeps its time";
}

TEST_F(SaveFileTest, OnlySlotsZeroToSevenAreSaved) {
    CPlayer player;
    EXPECT_FALSE(player.Save(-1)) << "the slot of a run that skipped the sign-in";
    EXPECT_FALSE(player.Save(8));
    EXPECT_FALSE(files->Exists(kSave));
    EXPECT_NE(traced().find("*** Save file TLVSave.vqk, slot -1: there is no such slot; nothing is saved\n"),
              std::string::npos);
    EXPECT_TRUE(dialogs().Boxes().empty());
}

TEST_F(SaveFileTest, AFileThatCannotBeOpenedOrReadIsNeverReplaced) {
    const Bytes original = SaveFileOf({{0, StoredRecord("Ann")}});
    Put(original);
    CPlayer player;
    files->failReads = 1;
    EXPECT_FALSE(player.Save(1));
    files->failOpens = 1;
    EXPECT_FALSE(player.Save(1));
    EXPECT_FALSE(player.Save(1)) << "a file that did not open takes no save for the rest of the run, even once it opens";
    EXPECT_EQ(Saved(), ToString(original));
    EXPECT_NE(traced().find("*** Save file TLVSave.vqk, slot 1: not saved: it cannot be opened ("), std::string::npos);
    EXPECT_NE(traced().find("*** Save file TLVSave.vqk: it cannot be read\n"), std::string::npos);
    EXPECT_EQ(dialogs().Boxes().size(), 1u) << "told once";
}

/// On the disc itself: a link a user left under the new file's name, or under the save file's,
/// is replaced by the save, and what it names stays as it was.
class SaveFileOnDiscTest : public HeadlessTest {};

TEST_F(SaveFileOnDiscTest, ALinkWhereTheSaveWritesIsReplacedNeverWrittenThrough) {
    const TempFolder folder;
    const std::string save = folder / kSave, users = folder / "users-file";
    xProfiles_Set("USERFILE", save.c_str());
    for (const std::string& link : {save + ".new", save}) {
        SCOPED_TRACE(link);
        WriteFileBytes(users, "mine");
        std::filesystem::remove(save);
        std::filesystem::create_symlink(users, link);
        CPlayer player;
        EXPECT_TRUE(player.Save(1));
        EXPECT_EQ(ReadFileBytes(users), "mine");
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(save)));
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(save + ".new")));
    }
}

TEST_F(SaveFileTest, AnOlderRecordLoadsAsANewPlayerAndOnlyADeleteReplacesIt) {
    const Bytes original = SaveFileOf({{0, StoredRecord("Ann")}, {1, StoredRecord("Bo", 18).WorldWord(0, 9, 7)}});
    Put(original);
    const auto before = SlotChunks(kSave);
    CPlayer player;
    EXPECT_EQ(player.Load(1), SaveSlotState::Unreadable);
    EXPECT_EQ(EncodePlayerRecord(player.Record()), EncodePlayerRecord(CPlayer().Record()));
    player.SetName("Cy");
    EXPECT_FALSE(player.Save(1));
    EXPECT_EQ(Saved(), ToString(original));
    EXPECT_NE(traced().find("*** Save file TLVSave.vqk, slot 1: its record has version 18, not 19; only deleting "
                            "the player replaces it\n"),
              std::string::npos);

    EXPECT_TRUE(player.Delete(1));
    EXPECT_EQ(player.Load(1), SaveSlotState::Valid);
    EXPECT_STREQ(player.GetName(), "");
    EXPECT_EQ(SlotChunks(kSave)[0], before[0]);
    EXPECT_EQ(dialogs().Boxes().size(), 1u);
}

TEST_F(SaveFileTest, AFileUpToTheLargestSizeIsReadAndALargerOneRefused) {
    constexpr size_t kLargest = 4 << 20;
    for (const size_t size : {kLargest, kLargest + 1}) {
        Bytes file = SaveFileOf({{0, StoredRecord("Ann")}});
        file.resize(size);
        Put(file);
        CPlayer player;
        EXPECT_EQ(player.Load(0), size == kLargest ? SaveSlotState::Valid : SaveSlotState::Unreadable) << size;
    }
    EXPECT_NE(traced().find("it is far larger than a save file"), std::string::npos);
}

TEST_F(SaveFileTest, AFileWhoseMasterIndexWasMovedOutOfItsRoomReadsAsItIs) {
    // The chunk file's writer moves a master that grew past its room at offset 0 elsewhere and
    // leaves a redirect record there: a master of 12 entries grown by 5, as adding a 13th index
    // grows it.
    constexpr uint32_t kRoomOf12Entries = 14 * 12 + 14;
    const char* const names[] = {"Ann", "Bo", "Cy", "Di", "Ed", "Flo", "Gus", "Hal"};
    struct Case {
        const char* name;
        uint16_t masterCapacity;
        bool redirected;
    };
    const Case cases[] = {
        {"grown and moved", 17, true},
        {"grown twice and moved", 22, true},
        {"in its room", 12, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files = &FakeFiles::Install();
        CGameShellState::ResetForTest();
        dialogs().Clear();
        ChunkFileBuilder b;
        const uint8_t game = b.AddIndex("game", 8, 25);
        for (uint16_t s = 0; s < 8; ++s) b.AddChunk(game, StoredRecord(names[s]), {.entry = uint16_t(s + 1)});
        b.SetMasterCapacity(c.masterCapacity);
        if (c.redirected) b.RedirectMaster(kRoomOf12Entries);
        ChunkFileLayout layout;
        const Bytes file = b.Build(&layout);
        ASSERT_EQ(layout.masterOffset != 0, c.redirected);
        Put(file);

        CPlayer player;
        EXPECT_EQ(LoadNames(player), "Ann|Bo|Cy|Di|Ed|Flo|Gus|Hal");
        EXPECT_TRUE(dialogs().Boxes().empty()) << traced();
        EXPECT_EQ(files->Names(), std::vector<std::string>{kSave}) << "nothing is kept beside it";
        EXPECT_EQ(Saved(), ToString(file)) << "loading writes nothing";
        EXPECT_EQ(traced().find("*** Save file"), std::string::npos) << traced();
    }
}

/// A damaged, foreign or locked save file: the eight slots are loaded, then one is saved.
struct DamageCase {
    const char* name;
    Bytes file;
    std::string names;   ///< the names loaded, by slot
    int slot;            ///< the slot saved
    bool saved;
    bool kept;           ///< the file is kept beside
    const char* reason;  ///< traced
    bool readOnlyFile = false;
    bool readOnlyFolder = false;
};

TEST_F(SaveFileTest, WhatCanBeReadLoadsAndNoDamagedByteIsLost) {
    ChunkFileLayout layout;
    const Bytes sound =
        SaveFileOf({{0, StoredRecord("Ann")}, {1, StoredRecord("Bo")}, {2, StoredRecord("Cy")}}, &layout);
    const Bytes truncated(sound.begin(), sound.begin() + layout.chunkOffsets.at(ChunkIdOf(1, 2)) + 1000);
    ChunkFileBuilder text;
    text.AddChunk(text.AddIndex("text", 8, 1), std::string_view("app_props.txt"));
    Bytes badMaster = sound;
    PutBe32(badMaster, 8, 999);
    Bytes indexPastEnd = sound;
    PutBe32(indexPastEnd, 12 + 14 + 6, uint32_t(sound.size() + 10));
    const auto withSlot1 = [](Bytes record) { return SaveFileOf({{0, StoredRecord("Ann")}, {1, record}}); };

    const DamageCase cases[] = {
        {"empty file", {}, "|||||||", 2, true, false, "it is empty"},
        {"truncated file", truncated, "Ann|||||||", 3, true, true, "slot 1 cannot be carried into a new file"},
        {"not a chunk file", ToBytes("Hello, this is no save file."), "|||||||", 2, true, true,
         "it is not a save file"},
        {"foreign chunk file", text.Build(), "|||||||", 2, true, true, "it holds no player index"},
        {"bad master index", badMaster, "|||||||", 2, true, true, "its master index is damaged"},
        {"index past the end", indexPastEnd, "|||||||", 2, true, true, "index 1 lies outside the file"},
        {"start record alone", Bytes{0, 0, 0, 0, 'm', 'e', 't', 'a', 0, 0, 0, 0}, "|||||||", 2, true, true,
         "its master index is damaged"},
        {"header-only chunk", withSlot1({}), "Ann|||||||", 2, true, false, "its record has 0 bytes, not 372"},
        {"100-byte chunk", withSlot1(StoredRecord("Bo").Resize(100)), "Ann|||||||", 2, true, false,
         "its record has 100 bytes, not 372"},
        {"373-byte chunk", withSlot1(StoredRecord("Bo").Resize(373)), "Ann|||||||", 2, true, false,
         "its record has 373 bytes, not 372"},
        {"version 18", withSlot1(StoredRecord("Bo", 18)), "Ann|||||||", 2, true, false, "version 18, not 19"},
        {"version 20", withSlot1(StoredRecord("Bo", 20)), "Ann|||||||", 2, true, false, "version 20, not 19"},
        {"65-byte name", withSlot1(StoredRecord().Raw(4, Bytes(65, 'N'))), "Ann|||||||", 2, true, false,
         "does not end within 65 bytes"},
        // Entries 9 to 25 of the player index hold no player: the first and the last of them.
        {"entry after the slots", SaveFileOf({{0, StoredRecord("Ann")}, {8, StoredRecord("Bo")}}), "Ann|||||||", 2,
         true, true, "it holds more than the players' records"},
        {"last entry of the index", SaveFileOf({{0, StoredRecord("Ann")}, {24, StoredRecord("Bo")}}), "Ann|||||||", 2,
         true, true, "it holds more than the players' records"},
        {"read-only file", sound, "Ann|Bo|Cy|||||", 2, false, false, "the file cannot be written", true},
        {"read-only folder", sound, "Ann|Bo|Cy|||||", 2, false, false, "cannot be made", false, true},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        files = &FakeFiles::Install();
        CGameShellState::ResetForTest(); // the player is told of each file's trouble once a run
        dialogs().Clear();
        debug().Clear();
        Put(c.file);
        if (c.readOnlyFile) files->readOnly.insert(kSave);
        files->faults.readOnlyFolder = c.readOnlyFolder;
        const auto before = SlotChunks(kSave);

        CPlayer player;
        EXPECT_EQ(LoadNames(player), c.names);
        player.SetName("Di");
        EXPECT_EQ(player.Save(c.slot), c.saved);

        if (c.kept) {
            EXPECT_EQ(files->Get(kKept), ToString(c.file));
        } else if (!c.saved) {
            EXPECT_EQ(Saved(), ToString(c.file));
        } else {
            const auto after = SlotChunks(kSave);
            for (int s = 0; s < 8; ++s)
                if (s != c.slot) {
                    EXPECT_EQ(after[s], before[s]) << "slot " << s;
                }
        }
        if (c.saved) {
            EXPECT_EQ(player.Load(c.slot), SaveSlotState::Valid);
            EXPECT_STREQ(player.GetName(), "Di");
        }
        ASSERT_EQ(dialogs().Boxes().size(), 1u);
        EXPECT_NE(dialogs().Boxes()[0].text.find(kSave), std::string::npos);
        if (c.kept) {
            EXPECT_NE(dialogs().Boxes()[0].text.find(kKept), std::string::npos);
        }
        EXPECT_NE(traced().find(c.reason), std::string::npos) << traced();
    }
}

/// A save cut by a power loss or failed as on a full disc at each change it makes, or followed
/// by a power loss: after a restart the saved slot holds its old or its new chunk (the new one
/// when the save answered true), the others theirs, and a file that had to be kept is still in
/// place or kept whole beside.
TEST_F(SaveFileTest, ASaveCutOrFailedAnywhereLeavesTheOldOrTheNewSlotAndTheOthersAsTheyWere) {
    const std::map<int, Bytes> records = {{0, StoredRecord("Ann")}, {1, StoredRecord("Bo")}, {5, StoredRecord("Di")}};
    ChunkFileBuilder withText;
    const uint8_t game = withText.AddIndex("game", 8, 25);
    for (const auto& [slot, record] : records) withText.AddChunk(game, record, {.entry = uint16_t(slot + 1)});
    withText.AddChunk(withText.AddIndex("text", 8, 1), std::string_view("kept"));
    const Bytes sound = SaveFileOf(records), mustBeKept = withText.Build();
    for (const Bytes* file : {&sound, &mustBeKept}) {
        const Bytes& original = *file;
        const auto save = [&](FakeFiles::Faults faults) {
            files = &FakeFiles::Install();
            Put(original);
            files->faults = faults;
            CPlayer player;
            player.SetName("Cy");
            player.IncCounter(3);
            const PlayerRecordBytes before = EncodePlayerRecord(player.Record());
            const bool saved = player.Save(1);
            EXPECT_EQ(EncodePlayerRecord(player.Record()), before) << "the record in memory stays";
            return saved;
        };
        ASSERT_TRUE(save({}));
        const int changes = files->counts.changes;
        const int64_t written = files->counts.bytesWritten;
        const auto newChunks = SlotChunks(kSave);
        Put(original);
        const auto originalChunks = SlotChunks(kSave);
        ASSERT_NE(newChunks[1], originalChunks[1]);

        // The first plan cuts the power just after a save that went well: it must be on the disc.
        std::vector<FakeFiles::Faults> plans = {{}};
        for (int k = 1; k <= changes; ++k) plans.push_back({.cutAtChange = k});
        for (int k = 1; k <= changes; ++k) plans.push_back({.failChange = k});
        for (int64_t p = 0; p < written; p += 97) plans.push_back({.cutAtByte = p});
        for (const FakeFiles::Faults& plan : plans) {
            SCOPED_TRACE(testing::Message() << "cut at change " << plan.cutAtChange << ", byte " << plan.cutAtByte
                                            << ", failed change " << plan.failChange);
            const bool whole = &plan == &plans.front();
            EXPECT_EQ(save(plan), whole);
            files->Restart();
            const auto chunks = SlotChunks(kSave);
            EXPECT_TRUE(chunks[1] == newChunks[1] || (!whole && chunks[1] == originalChunks[1]));
            for (int s = 0; s < 8; ++s)
                if (s != 1) {
                    EXPECT_EQ(chunks[s], originalChunks[s]) << "slot " << s;
                }
            if (file == &mustBeKept && Saved() != ToString(original)) {
                EXPECT_EQ(files->Get(kKept), ToString(original));
            }
        }
    }
}

} // namespace
} // namespace vqt::test
