#pragma once
// The whole program in a working folder of its own, on the generated game data ("TLVFMH.vqk").
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "game/shell/GameStart.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/Golden.h"
#include "tests/support/ScenarioRunner.h"

namespace vqt::test {

class ShellScenarioTest : public ScenarioTest {
protected:
    /// The folder of the generated data files, made once a test program (the generator takes
    /// seconds in the checked trees); each case works on copies of its own. Empty when the
    /// generator failed.
    static const std::string& GeneratedData() {
        static const TempFolder folder;
        static const std::string path =
            std::system((std::string(SYNTHETIC_TOOL) + " " + (folder / "TLVFMH.vqk")).c_str()) == 0 ? folder.path() : "";
        return path;
    }
    void SetUp() override {
        ScenarioTest::SetUp();
        const std::string& data = GeneratedData();
        ASSERT_FALSE(data.empty()) << "the generator failed";
        std::filesystem::copy(data, work.path());
        Ini();
    }
    /// The engine's INI file: windowed, then `lines`.
    void Ini(const std::string& lines = "") { std::ofstream(work / "VQT.ini") << "[VQT]\nFULLSCREEN=0\n" << lines; }
    /// The save file holding these records by slot.
    void PutSave(const std::map<int, Bytes>& records) { WriteFileBytes(work / "TLVSave.vqk", ToString(SaveFileOf(records))); }
    /// For a screen loaded without the game object: its props find no game part file for the
    /// art and sounds that the game itself loads, and say so.
    void AllowScreenWithoutTheGame() {
        reports.AllowTrace("*** Missing art");
        reports.AllowTrace("non existent snippet");
        reports.AllowBox("VQT : Missing Snippet");
    }
    /// A run of the game's four hooks, a frame each `msPerFrame`.
    static Scenario Game(uint32_t msPerFrame = 10) {
        Scenario s;
        s.hooks = {VQAppPreInit, VQAppInit, VQAppStart, VQAppEnd};
        s.msPerFrame = msPerFrame;
        return s;
    }
};

} // namespace vqt::test
