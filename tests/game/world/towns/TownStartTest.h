#pragma once
// The whole program started in one of the generated towns (or any start screen), for a player
// past the drive tutorial who drives the vehicle the case names, and the stage's colours read
// as the 16-bit display shows them.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "engine/core/ActivityManager.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"
#include "game/world/WorldClasses.h"
#include "game/world/towns/TownWorld.h"
#include "game/world/vehicles/VIsometric.h"
#include "tests/game/shell/ShellScenarioTest.h"
#include "tests/support/Png.h"
#include "tests/support/StartActivities.h"
#include "tools/builders/StoredRecord.h"

namespace vqt::test {

class TownStartTest : public ShellScenarioTest {
protected:
    static constexpr int16_t kSlot = 1;

    void SetUp() override {
        ShellScenarioTest::SetUp();
        xWorld_RegisterClasses();
    }
    /// A record of a later visit: the drive tutorial does not open.
    static StoredRecord PastTheTutorial(const char* name) {
        return StoredRecord(name).Counter(13, 1).Counter(14, 1).Counter(15, 1);
    }
    /// The save holds `record` in the test's slot (the others empty) and the run starts on `at`.
    void StartOn(const StartActivity& at, const StoredRecord& record) {
        std::map<int, Bytes> records;
        for (int slot = 0; slot < 8; ++slot) records[slot] = StoredRecord().bytes();
        records[kSlot] = record.bytes();
        PutSave(records);
        Ini("STARTACTIVITY=" + std::to_string(at.entry) + "\n");
    }
    /// On the run's first frame: the record is the player's, who drives `vehicle`.
    static void SignIn(uint16_t vehicle) {
        CPlayer* player = CTLVApp::Get()->GetPlayer();
        player->Load(kSlot);
        player->SetSelectedVehicle(vehicle);
        CTLVApp::Get()->SetSaveSlot(kSlot);
    }
};

/// The town on the stage once no switch is under way (null before), and its vehicle.
struct ShownTown {
    TownWorld* town = nullptr;
    VIsometric* vehicle = nullptr;
};
inline ShownTown TownOnStage() {
    OActivityManager* manager = GetActivityManager();
    auto* town = manager && !manager->IsSwitchPending() ? dynamic_cast<TownWorld*>(manager->GetCurrentActivity()) : nullptr;
    return {town, town ? dynamic_cast<VIsometric*>(town->GetVehicle()) : nullptr};
}

/// Whether the stage's pixel `at` shows the colour (red, green and blue packed low byte first).
inline bool ShowsColour(const RgbImage& image, size_t at, uint32_t rgb) {
    const int r = int(rgb & 0xFF), g = int(rgb >> 8 & 0xFF), b = int(rgb >> 16 & 0xFF);
    return std::abs(image.rgb[at * 3] - r) <= 8 && std::abs(image.rgb[at * 3 + 1] - g) <= 8 &&
           std::abs(image.rgb[at * 3 + 2] - b) <= 8;
}

} // namespace vqt::test
