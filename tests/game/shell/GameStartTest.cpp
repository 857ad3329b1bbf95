// The game's start-up hooks called in the test process over the headless platform: messages,
// profile defaults, the INI file and "app_props.txt", finding and opening the part file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/data/TempBuffers.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/media/Sound.h"
#include "game/shell/GameShellState.h"
#include "game/shell/GameStart.h"
#include "game/shell/TLVApp.h"
#include "tools/builders/ChunkFileBuilder.h"
#include "tests/support/Environment.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace {

using namespace vqt::test;

/// Every key of the registered tables as "NAME=value", in table order.
std::string DumpProfile() {
    std::string out;
    for (const t_sProfileKey* table : xProfiles_Store().tables) {
        for (const t_sProfileKey* key = table; key->name; ++key) {
            if (key->type == kProfileCustom) continue;
            std::string value;
            switch (key->type) {
            case kProfileString: value = static_cast<const char*>(key->value); break;
            case kProfileColor: {
                const auto* c = static_cast<const rgbColor*>(key->value);
                value = std::to_string(c->red) + "," + std::to_string(c->green) + "," + std::to_string(c->blue);
                break;
            }
            case kProfilePoint: {
                const auto* p = static_cast<const t_sPoint*>(key->value);
                value = std::to_string(p->first) + "," + std::to_string(p->second);
                break;
            }
            case kProfileShort: value = std::to_string(*static_cast<const int16_t*>(key->value)); break;
            case kProfileUShort: value = std::to_string(*static_cast<const uint16_t*>(key->value)); break;
            default:
                value = key->size == 1   ? std::to_string(*static_cast<const uint8_t*>(key->value))
                        : key->size == 2 ? std::to_string(*static_cast<const uint16_t*>(key->value))
                                         : std::to_string(*static_cast<const int32_t*>(key->value));
            }
            out += std::string(key->name) + "=" + value + "\n";
        }
    }
    const ProfileStore& s = xProfiles_Store();
    return out + "stage=" + std::to_string(s.stageWidth) + "x" + std::to_string(s.stageHeight) + "\n";
}

std::string Text(const char* key) {
    char text[1024] = {};
    xProfiles_GetString(key, text);
    return text;
}

/// A fresh profile store and message tables, in a working folder of its own with nothing in
/// the user's configuration folder.
class GameStartTest : public HeadlessTest {
protected:
    void TearDown() override {
        VQAppEnd();
        HeadlessTest::TearDown();
    }
    /// A part file whose text index holds "app_props.txt" with the text, and one data chunk.
    static ChunkFileBuilder PartFile(const char* props) {
        ChunkFileBuilder b;
        const uint8_t data = b.AddIndex("data", 8, 2);
        b.AddChunk(data, std::string_view("original"), {.entry = 1});
        if (props) b.AddChunk(b.AddIndex("text", 8, 1), std::string_view(props), {.name = "app_props.txt"});
        return b;
    }

    TempFolder work{true};
    ScopedVariable config{"XDG_CONFIG_HOME", work.path().c_str()};
    ScopedVariable roots{"DATAROOTS", ""};
};

TEST_F(GameStartTest, WithoutMessageFileAndIniTheProfileHoldsTheGameDefaults) {
    EXPECT_TRUE(VQAppPreInit());
    ExpectMatchesGolden("game/shell/profile_defaults.txt", DumpProfile());
    EXPECT_FALSE(CGameShellState::Get().iniRead);
    xTempBuffers_Preallocate(1000, 8);
    EXPECT_EQ(xTempBuffers_GetNumTotal(), 256);
}

TEST_F(GameStartTest, TheSoundStartFlagJoinsTheFlagsReadBefore) {
    xProfiles_Set("SNDENGINEFLAGS", sLong(1));
    VQAppPreInit();
    EXPECT_EQ(xProfiles_Long("SNDENGINEFLAGS"), 5);
}

TEST_F(GameStartTest, AMessageFileGivesItsTextsAndTheBuiltInTextsStandInForWhatItLacks) {
    // The game reads the list {2, 0, 1}: the list index is the second.
    ChunkFileBuilder good;
    const uint8_t utxt = good.AddIndex("utxt", 8, 1);
    good.AddChunk(good.AddIndex("clst", 8, 1), ChunkListData({ChunkIdOf(utxt, 1)}), {.entry = 1});
    good.AddChunk(utxt, TextRecords({{.text = u"Other.vqk"}}), {.entry = 1, .name = "APP_PARTFILE_NAME"});
    ChunkFileBuilder empty;
    empty.AddIndex("utxt", 8, 1);
    empty.AddIndex("clst", 8, 1);
    struct Case {
        const char* name;
        std::string bytes; ///< empty: no file
        const char* partFile;
    };
    const Case cases[] = {
        {"none", "", "TLVFMH.vqk"},
        {"one message", ToString(good.Build()), "Other.vqk"},
        {"not a chunk file", "RAVO is not here", "TLVFMH.vqk"},
        {"no messages", ToString(empty.Build()), "TLVFMH.vqk"},
    };
    for (const Case& c : cases) {
        RenewContext();
        std::remove("VQTMsg.vqk");
        if (!c.bytes.empty()) WriteFileBytes("VQTMsg.vqk", c.bytes);
        VQAppPreInit();
        EXPECT_EQ(Text("PARTFILE"), c.partFile) << c.name;
        EXPECT_EQ(Text("PATCHFILE"), "TLVCache.vqk") << c.name;
    }
}

TEST_F(GameStartTest, ThePartFilesSettingsWinOverTheIniFileWhenItHasThem) {
    struct Case {
        const char* name;
        const char* props; ///< null: no text index
        int16_t pipes;
    };
    const Case cases[] = {
        {"props", "[Any]\nNUMPIPES=12\n", 12},
        {"no app_props.txt", nullptr, 9},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(PartFile(c.props).WriteFile(work / "parts.vqk"));
        std::ofstream(work / "TLVFMH.ini") << "[FennmarkRovadu]\nPARTFILE=parts.vqk\nNUMPIPES=9\n";
        VQAppPreInit();
        EXPECT_TRUE(CGameShellState::Get().iniRead);
        EXPECT_TRUE(VQAppInit()) << c.name;
        EXPECT_EQ(xProfiles_Values().numPipes, c.pipes) << c.name;
        EXPECT_EQ(Text("USERFILE"), "TLVSave.vqk");
    }
}

TEST_F(GameStartTest, APartFileIsFoundOnACdromStandInOrTheStartEndsWithItsBox) {
    TempFolder drive;
    ASSERT_TRUE(PartFile(nullptr).WriteFile(drive / "TLVFMH.vqk"));
    WriteFileBytes(work / "broken.vqk", "not a chunk file");
    VQAppPreInit();
    static const xMessagePair kNamingThePath[] = {{"APP_ERR_CANTOPENPF", "Cannot open |1."}, {nullptr, nullptr}};
    xMessages_AddTable(kNamingThePath);
    struct Case {
        const char* partFile;
        const char* dataRoots;
        bool found;
        const char* box; ///< a file that is there but no part file is named as such, not asked for
    };
    const Case cases[] = {
        {"TLVFMH.vqk", drive.path().c_str(), true, ""},
        {"TLVFMH.vqk", "", false, "Cannot open TLVFMH.vqk."},
        {"broken.vqk", "", false, "The file \"broken.vqk\" is not a part file of the game; the game cannot start."},
    };
    for (const Case& c : cases) {
        dialogs().Clear();
        ScopedVariable dataRoots("DATAROOTS", c.dataRoots);
        xProfiles_Set("PARTFILE", c.partFile);
        xProfiles_Set("DIRECTDRAW", sLong(1));
        EXPECT_EQ(VQAppInit(), c.found) << c.partFile;
        if (c.found) {
            EXPECT_EQ(Text("PARTFILE"), drive / "TLVFMH.vqk");
            EXPECT_EQ(Text("DATAFILES"), drive.path() + "/");
            EXPECT_TRUE(dialogs().Boxes().empty());
            continue;
        }
        EXPECT_FALSE(xProfiles_Flag("DIRECTDRAW"));
        ASSERT_EQ(dialogs().Boxes().size(), 1u);
        EXPECT_EQ(dialogs().Boxes()[0].type, 0x1010u);
        EXPECT_EQ(dialogs().Boxes()[0].title, "Error");
        EXPECT_EQ(dialogs().Boxes()[0].text, c.box);
    }
}

TEST_F(GameStartTest, AStartWithoutTheEngineKeepsThePartFileWithItsPatchTracesTheFailedSetUpAndEndsClean) {
    ASSERT_TRUE(PartFile(nullptr).WriteFile(work / "parts.vqk"));
    ChunkFileBuilder patch;
    patch.AddChunk(patch.AddIndex("data", 8, 2), std::string_view("patched"), {.entry = 1});
    for (const bool withPatch : {true, false}) {
        std::remove((work / "TLVCache.vqk").c_str());
        if (withPatch) {
            ASSERT_TRUE(patch.WriteFile(work / "TLVCache.vqk"));
        }
        VQAppPreInit();
        xProfiles_Set("PARTFILE", "parts.vqk");
        EXPECT_FALSE(VQAppStart()) << "no activity manager";
        EXPECT_FALSE(CTLVApp::Create()) << "one game object";
        CPartFile* file = CTLVApp::Get()->GetPartFile();
        ASSERT_NE(file, nullptr);
        char bytes[16] = {};
        ASSERT_NE(file->GetChunk(ChunkIdOf(1, 1), bytes), nullptr);
        EXPECT_STREQ(bytes, withPatch ? "patched" : "original");
        EXPECT_NE(traced().find("*** Error - CTLVApp::Init could not make the game's processes\n"), std::string::npos);
        EXPECT_TRUE(VQAppEnd());
        EXPECT_EQ(CTLVApp::Get(), nullptr);
    }
    EXPECT_FALSE(VQAppEnd());
}

} // namespace
