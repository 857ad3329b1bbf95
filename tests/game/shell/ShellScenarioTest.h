#pragma once
// The whole program in a working folder of its own, on the generated game data ("TLVFMH.vqk").
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "game/shell/GameStart.h"
#include "tests/game/shell/SaveFiles.h"
#include "tests/support/GeneratedData.h"
#include "tests/support/Golden.h"
#include "tests/support/ScenarioRunner.h"

namespace vqt::test {

class ShellScenarioTest : public ScenarioTest {
protected:
    void SetUp() override {
        ScenarioTest::SetUp();
        ASSERT_TRUE(CopyGeneratedData(work.path())) << "no generated data in " << GeneratedDataFolder();
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
