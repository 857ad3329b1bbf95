#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/data/DrvMemory.h"
#include "engine/data/IniFiles.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "tests/engine/data/ProfileDump.h"
#include "tests/support/Environment.h"
#include "tests/support/Golden.h"
#include "tests/support/HeadlessTest.h"
#include "tools/builders/TempFolder.h"

namespace {

/// INI text served by a memory driver, as a chunk stream serves the part file's text.
class TextDriver {
public:
    explicit TextDriver(std::string text) : text_(std::move(text)) {
        driver_.AdoptMemory(text_.data(), text_.size(), text_.size());
    }
    ODriver* get() { return &driver_; }

private:
    std::string text_;
    ODrvMemory driver_;
};

int LoadText(const std::string& text, const char* section) {
    TextDriver driver(text);
    return xProfiles_LoadIniSection(driver.get(), section);
}

class IniFilesTest : public vqt::test::ProfileStoreTest {
protected:
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    /// The sections and entries of a parsed text, one line each.
    static std::string Parsed(const std::string& text) {
        TextDriver driver(text);
        CIniFile ini;
        ini.Attach(driver.get(), false);
        ini.Parse();
        std::string out;
        for (const CIniFile::Section& s : ini.Sections()) {
            out += "[" + s.name + "]";
            for (const CIniFile::Entry& e : s.entries) out += " <" + e.key + "=" + e.value + ">";
            out += "\n";
        }
        return out;
    }
};

// Every edge of the format, over a registry that holds some of the keys.
const std::string kEdgeIni = std::string() +
    "; engine settings\r\n"
    "FRAMERATE=99\r\n"                       // before any section: ignored
    "[VQT]\r\n"
    "Fullscreen = 0\r\n"                     // blanks around the equals sign
    "DIRECTDRAW=1\r\n"                       // the FULLSCREEN hook turns it off again
    "SOUNDENABLED=off\r\n"
    "CHEATSENABLED = ON\r\n"                 // a word after a blank
    "SHOWDXINITERROR=abc\r"                  // old-style line ends from here
    "VERBOSE=12abc\r"
    "MEMCEILING=99999999999\r"
    "HMCAPTIONCOLOR=0,0,255\r"
    "HMCAPTIONBACKCOLOR=255\r"
    "HMCAPTIONBORDERCOLOR= 1 ,\t2,3,4\r"
    "HMCAPTIONPOSITION=320, 425\r"
    "0DIRECTSOUND=0\r"                       // a line beginning with 0 is a comment
    "USERFILE=\n"                            // no value: the key keeps its value
    "no equals sign here\n"
    "=5\n"
    "STAGESIZE=1024x\n"                      // no height: the default stage
    "HMCAPTIONSIZE=300 , 50\n"
    "DISPLAYDEPTH=24\n"
    "PIXELFORMAT=2\n"                        // applied after DISPLAYDEPTH (table order)
    "PARTFILE=" + std::string(200, 'p') + "\n" +  // cut to 127 bytes
    std::string(300, ' ') + "TICKSPERSECOND=1\n" + // cut at 255 bytes: all blanks
    "LONGLINE=" + std::string(300, 'a') + "NUMPIPES=3\n" +
    std::string("SOUNDFLIPPED=1\0WARNPREVIOUSINSTANCE=1\n", 38) + // a NUL ends the line's text
    "[Other]\n"
    "SAMPLESIZE=8\n"
    "[vqt]\n"
    "Fullscreen=1\n"                         // the first section's entry wins
    "NUMCHANNELS=1\n"                        // found in the second section only
    "\tTEXTDIRECTION=1\n"                    // tabs stay part of the key
    "COMPANY_NAME=Changed\n"
    "PRODUCT_NAME=Later\n"
    "[ThisSectionNameIsLongerThanThirtyOneCharacters]\n"
    "QUICKDRAW=1\n"
    "[VQT\n"                                 // no closing bracket
    "IDLESPERSECOND=45";                     // the last line has no end

const std::string kEdgeRegistry = std::string() +
    "[Software\\Maker\\Game]\n"
    "FRAMERATE=dword:0000001e\n"
    "NUMPIPES=dword:00000010\n"
    "NUMCHANNELS=dword:5\n"
    "SNDENGINEFLAGS=\"77\"\n"
    "VQTAPPCLASS=\"A registry class name longer than thirty-one bytes\"\n"
    "VQTAPPNAME=\"RegistryApp\"\n"
    "DEFWINFONT=\"" + std::string(1100, 'f') + "\"\n" +
    "[Software\\Changed\\Later]\n"
    "VERSIONVISIBLE=dword:1\n";

TEST_F(IniFilesTest, EdgeFileOverRegistryMatchesGolden) {
    vqt::test::TempFolder folder(true);
    Write(folder / "edge.ini", std::string(kEdgeIni.data(), kEdgeIni.size()));
    registry().SetContents(kEdgeRegistry);
    ASSERT_EQ(xProfiles_Set("COMPANY_NAME", "Maker"), 1);
    ASSERT_EQ(xProfiles_Set("PRODUCT_NAME", "Game"), 1);
    ASSERT_EQ(xProfiles_Set("USERFILE", "kept.vqk"), 1);
    ASSERT_EQ(xProfiles_Set("STAGESIZE", "320x200"), 1);

    EXPECT_EQ(xProfiles_LoadIniFile("edge.ini", "VQT", -1), 1);
    // Among others: the registry path is fixed when the apply begins (VERSIONVISIBLE stays 0).
    vqt::test::ExpectMatchesGolden("ini_edge_apply.txt",
                                   vqt::test::DumpProfiles() + "---- trace\n" + traced());
}

TEST_F(IniFilesTest, LineEndsOfEveryKindParseAlike) {
    const std::string expected = "[A] <k=1> <j=2>\n[B] <x=3>\n";
    EXPECT_EQ(Parsed("[A]\nk=1\nj=2\n[B]\nx=3\n"), expected);
    EXPECT_EQ(Parsed("[A]\r\nk=1\r\nj=2\r\n[B]\r\nx=3\r\n"), expected);
    EXPECT_EQ(Parsed("[A]\rk=1\rj=2\r[B]\rx=3"), expected);
    EXPECT_EQ(Parsed("[A]\n\n\r\n\rk=1\r\r\nj=2\n[B]\nx=3"), expected) << "empty lines between";
    EXPECT_EQ(Parsed(""), "");
    EXPECT_EQ(Parsed("[A"), "[A]\n");
    EXPECT_EQ(Parsed("k=1\n[A]\n;k=2\n0k=3\n k = 4 \n=5\nk=\nk\n"), "[A] <k= 4>\n")
        << "the value keeps its leading blank";
}

TEST_F(IniFilesTest, OverlongLinesAndValuesAreCut) {
    const std::string value(200, 'v');
    EXPECT_EQ(Parsed("[A]\nk=" + value + "\n"), "[A] <k=" + std::string(127, 'v') + ">\n");
    EXPECT_EQ(Parsed("[A]\n" + std::string(260, ' ') + "k=1\nj=2\n"), "[A] <j=2>\n")
        << "the rest of an overlong line is not a line of its own";
    EXPECT_EQ(Parsed("[A]\nk=" + std::string(260, 'w') + "\n").size(), std::string("[A] <k=>\n").size() + 127);

    locale().SetDoubleByteCodePage(932, {{0x81, 0x9F}});
    xStr_InitLeadBytes();
    const std::string dbcs = "[A]\nk=" + std::string(126, 'd') + "\x81\x40" + "\n";
    EXPECT_EQ(Parsed(dbcs), "[A] <k=" + std::string(126, 'd') + ">\n") << "no half character";
    EXPECT_EQ(Parsed("[A\x81]]\nk\x81==1\n"), "[A\x81]] <k\x81==1>\n") << "trail bytes are no brackets or equals signs";
}

TEST_F(IniFilesTest, SectionsMatchWithoutCaseStarMatchesAllAndWordsAreNumbers) {
    TextDriver driver("[vqt]\nFRAMERATE=20\n[Other]\nFRAMERATE=21\nNUMPIPES=4\n[VQT]\nFRAMERATE=22\nNUMPIPES=5\n"
                      "[S]\na=on\nb=Off\nc=abc\nd= TRUE\ne=false \nf=-12x\ng= 7\nh=onion\n");
    CIniFile ini;
    ini.Attach(driver.get(), false);
    ini.Parse();
    EXPECT_TRUE(ini.HasSection("VQT"));
    EXPECT_TRUE(ini.HasSection("*"));
    EXPECT_FALSE(ini.HasSection("VQ"));
    EXPECT_FALSE(ini.HasSection(nullptr));
    char out[8];
    EXPECT_EQ(ini.GetString("VQT", "framerate", "d", out, sizeof out), 2);
    EXPECT_STREQ(out, "20") << "the first section of the name wins";
    EXPECT_EQ(ini.GetLong("VQT", "NUMPIPES", 0), 5) << "found in the second section of the name";
    EXPECT_EQ(ini.GetLong("*", "NUMPIPES", 0), 4) << "the first entry in any section";
    EXPECT_EQ(ini.GetString("Missing", "FRAMERATE", "dflt", out, sizeof out), 4);
    EXPECT_STREQ(out, "dflt");
    EXPECT_EQ(ini.GetString("VQT", "FRAMERATE", "x", out, 0), 0) << "no room: nothing written";
    const std::pair<const char*, int32_t> words[] = {{"a", 1}, {"b", 0}, {"c", 0}, {"d", 1}, {"e", 0},
                                                     {"f", -12}, {"g", 7}, {"h", 0}, {"missing", -5}};
    for (const auto& [key, value] : words) EXPECT_EQ(ini.GetLong("S", key, -5), value) << key;
}

TEST_F(IniFilesTest, RegistryComesFirstAndTheIniWins) {
    registry().SetContents(
        "[Software\\Maker\\Game]\nFRAMERATE=dword:0000001e\nVERBOSE=\"3\"\nNUMPIPES=dword:9\n"
        "PARTFILE=\"/reg/part.vqk\"\nBIG=\"" + std::string(1024, 'b') + "\"\n");
    ASSERT_EQ(xProfiles_Set("COMPANY_NAME", "Maker"), 1);
    ASSERT_EQ(xProfiles_Set("PRODUCT_NAME", "Game"), 1);
    EXPECT_EQ(LoadText("[S]\nNUMPIPES=4\n", "S"), 1);
    EXPECT_EQ(Value("FRAMERATE"), "30");
    EXPECT_NE(traced().find("*** Found key in registry - FRAMERATE - 30\n"), std::string::npos);
    EXPECT_NE(traced().find("*** Found key in registry - PARTFILE - /reg/part.vqk\n"), std::string::npos);

    CIniFile ini;
    ini.SetNames("", "Maker", "Game");
    char out[16] = "untouched";
    EXPECT_EQ(ini.GetString("S", "BIG", "dflt", out, sizeof out), 4) << "a text over 1023 bytes is not read";
    EXPECT_STREQ(out, "dflt");
    EXPECT_EQ(ini.GetString("S", "PARTFILE", "dflt", out, 8), 7);
    EXPECT_STREQ(out, "/reg/pa") << "copied within the destination";
    EXPECT_EQ(ini.GetLong("S", "PARTFILE", 5), 0);
}

TEST_F(IniFilesTest, ARegistryTextServesEveryValueTypeAndAnIniEntryOfTheSameKeyWins) {
    struct Row {
        const char* key;
        const char* registry;
        const char* ini;
        const char* fromRegistry;
        const char* fromIni;
    };
    const Row rows[] = {
        {"USERFILE", "reg.sav", "ini.sav", "\"reg.sav\"", "\"ini.sav\""}, // text
        {"SOUNDENABLED", "0", "1", "0", "1"},                                // boolean
        {"NUMCHANNELS", "5", "3", "5", "3"},                                 // short
        {"MEMCEILING", "70000", "80000", "70000", "80000"},                  // long
        {"LANGUAGE", "7", "9", "7", "9"},                                    // unsigned long
        {"SYSTEMIDLE", "on", "0", "1", "0"},                                 // boolean word
        {"HMCAPTIONCOLOR", "1,2,3", "4,5,6", "1,2,3,0", "4,5,6,0"},          // colour
        {"HMCAPTIONPOSITION", "10,20", "30,40", "10,20", "30,40"},           // point
        {"STAGESIZE", "800x600", "1024x768", "800x600", "1024x768"},         // custom (its hook)
    };
    std::string registryText = "[Software\\Maker\\Game]\n";
    std::string iniText = "[S]\n";
    for (const Row& r : rows) {
        registryText += std::string(r.key) + "=\"" + r.registry + "\"\n";
        iniText += std::string(r.key) + "=" + r.ini + "\n";
    }
    registry().SetContents(registryText);
    ASSERT_EQ(xProfiles_Set("COMPANY_NAME", "Maker"), 1);
    ASSERT_EQ(xProfiles_Set("PRODUCT_NAME", "Game"), 1);
    auto shown = [](const Row& r) {
        if (std::string(r.key) != "STAGESIZE") return Value(r.key);
        return std::to_string(xProfiles_Store().stageWidth) + "x" + std::to_string(xProfiles_Store().stageHeight);
    };
    EXPECT_EQ(LoadText("[S]\nOTHER=1\n", "S"), 1);
    for (const Row& r : rows) EXPECT_EQ(shown(r), r.fromRegistry) << r.key << " from the registry alone";
    EXPECT_EQ(LoadText(iniText, "S"), 1);
    for (const Row& r : rows) EXPECT_EQ(shown(r), r.fromIni) << r.key << " in both";
}

TEST_F(IniFilesTest, ApplyRunsHooksAndKeepsAbsentKeys) {
    ASSERT_EQ(xProfiles_Set("PARTFILE", "before.vqk"), 1);
    ASSERT_EQ(xProfiles_Set("STAGESIZE", "320x200"), 1);
    ASSERT_EQ(xProfiles_Set("HMCAPTIONCOLOR", rgbColor{9, 9, 9, 7}), 1);
    EXPECT_EQ(LoadText("[S]\nFULLSCREEN=1\nDIRECTDRAW=0\nHMCAPTIONCOLOR=255\n"
                                       "HMCAPTIONPOSITION=3\nDISPLAYDEPTH=16\n", "s"), 1);
    EXPECT_EQ(Value("PARTFILE"), "\"before.vqk\"");
    EXPECT_EQ(xProfiles_Store().stageWidth, 320) << "the hook got empty text and kept the size";
    EXPECT_EQ(Value("DIRTYRECTS"), "1");
    EXPECT_EQ(Value("HMCAPTIONCOLOR"), "255,0,0,7") << "missing numbers give 0; the fourth byte stays";
    EXPECT_EQ(Value("HMCAPTIONPOSITION"), "3,0");
    EXPECT_EQ(Value("PIXELFORMAT"), "1");
    EXPECT_EQ(LoadText("[S]\nSTAGESIZE=800,600\nPIXELFORMAT=565\n", "S"), 1);
    EXPECT_EQ(xProfiles_Store().stageWidth, 800);
    EXPECT_EQ(xProfiles_Store().stageHeight, 600);
    EXPECT_EQ(Value("PIXELFORMAT"), "565") << "from an INI file the number is the code";

    EXPECT_EQ(LoadText("[S]\nFRAMERATE=5\n", "T"), 0);
    EXPECT_EQ(Value("FRAMERATE"), "12");
    EXPECT_NE(traced().find("*** Warning - INI file section not found : [T]\n\n"), std::string::npos);
}

TEST_F(IniFilesTest, FilesAreFoundByPathThenInTheWindowsFolder) {
    vqt::test::TempFolder work(true);
    vqt::test::TempFolder config;
    const vqt::test::ScopedVariable windows("XDG_CONFIG_HOME", config.path().c_str()); // the Windows folder
    Write(work / "here.ini", "[VQT]\nFRAMERATE=7\n");
    Write(config / "there.ini", "[VQT]\nFRAMERATE=8\n");
    Write(config / "here.ini", "[VQT]\nFRAMERATE=9\n");

    EXPECT_EQ(xProfiles_LoadIniFile("here.ini", "VQT", -1), 1);
    EXPECT_EQ(Value("FRAMERATE"), "7");
    EXPECT_EQ(xProfiles_LoadIniFile("there.ini", "VQT", -1), 1);
    EXPECT_EQ(Value("FRAMERATE"), "8");
    EXPECT_EQ(xProfiles_LoadIniFile("here.ini", "VQT", 0), 1);
    EXPECT_EQ(Value("FRAMERATE"), "9");
    EXPECT_EQ(xProfiles_LoadIniFile("there.ini", "VQT", 1), 0);
    EXPECT_EQ(xProfiles_LoadIniFile("here.ini", "Nope", 1), 0);
    EXPECT_EQ(xProfiles_LoadIniFile("none.ini", "VQT", -1), 0);
    EXPECT_EQ(xProfiles_LoadIniFile(nullptr, "VQT", -1), 0);
    EXPECT_EQ(Value("FRAMERATE"), "9");
    const std::string expected =
        "\n*** Information - INI file opened : [here.ini]\n"
        "\n*** Information - INI file opened : [there.ini]\n"
        "\n*** Information - INI file opened : [here.ini]\n"
        "\n*** Information - INI file opened : [here.ini]\n"
        "*** Warning - INI file section not found : [Nope] (File : here.ini)\n\n"
        "Error opening : none.ini\n";
    EXPECT_EQ(traced(), expected);
}

TEST_F(IniFilesTest, DriversAreReadToTheirEnd) {
    // A stretch of a larger stream, as the part file serves its text chunk.
    TextDriver whole("[S]\nFRAMERATE=1\n" "[S]\nNUMPIPES=3\n" "[S]\nSAMPLESIZE=4\n");
    ODriver stretch;
    ASSERT_EQ(stretch.Attach(whole.get(), 16, 15), DRV_OK);
    EXPECT_EQ(xProfiles_LoadIniSection(&stretch, "*"), 1);
    EXPECT_EQ(Value("FRAMERATE"), "12");
    EXPECT_EQ(Value("NUMPIPES"), "3");
    EXPECT_EQ(Value("SAMPLESIZE"), "16");
    EXPECT_EQ(xProfiles_LoadIniSection(nullptr, "*"), 0);

    // A file much larger than the driver's buffer.
    vqt::test::TempFolder work(true);
    std::string big;
    for (int i = 0; i < 2000; ++i) big += "; comment line " + std::to_string(i) + "\r\n";
    Write(work / "big.ini", big + "[VQT]\r\nFRAMERATE=33");
    EXPECT_EQ(xProfiles_LoadIniFile("big.ini", "VQT", 1), 1);
    EXPECT_EQ(Value("FRAMERATE"), "33");
}

} // namespace
