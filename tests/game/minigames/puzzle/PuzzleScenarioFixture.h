#pragma once
// The whole program on the generated data with the world's and the puzzles' classes, and Bo's
// save with a puzzle level, for the scenarios that play a puzzle from its start.
#include <cstdint>
#include <map>
#include <string>

#include "game/minigames/puzzle/CGPuzzle.h"
#include "game/minigames/puzzle/PuzzleClasses.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {

class PuzzleScenarioFixture : public ShellScenarioTest {
protected:
    static constexpr int16_t kBo = 3;

    void SetUp() override {
        ShellScenarioTest::SetUp();
        RegisterClasses();
    }
    /// A fresh engine context for another run, with the classes registered again.
    void RenewGame() {
        RenewContext();
        RegisterClasses();
    }
    /// Eight empty slots but Bo's, who is at `level` of the world's puzzle, and the program set
    /// to start on {1, 0, startEntry}.
    void PrepareBo(uint16_t world, uint16_t level, uint16_t startEntry) {
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kBo] = StoredRecord("Bo").WorldWord(world, CPlayer::kLevels + CGPuzzle::kPuzzleActivity, level).bytes();
        PutSave(records);
        Ini("STARTACTIVITY=" + std::to_string(startEntry) + "\n");
    }
    /// Bo loaded as the playing player (in the vehicle when one is given); his record.
    static CPlayer* SignInBo(int vehicle = -1) {
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        player->Load(kBo);
        if (vehicle >= 0) player->SetSelectedVehicle(uint16_t(vehicle));
        CTLVApp::Get()->SetSaveSlot(kBo);
        return player;
    }

private:
    static void RegisterClasses() {
        xWorld_RegisterClasses();
        xPuzzle_RegisterClasses();
    }
};

} // namespace vqt::test
