// Takes arbitrary bytes as the save file, loads every slot, then saves or deletes one (the first
// byte chooses) and loads every slot again. Nothing may read or write out of bounds, and every
// slot that was valid before, the saved one aside, must read the same afterwards.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "engine/data/Profiles.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/FakeFiles.h"

namespace {

using vqt::fuzz::Require;

constexpr const char* kSave = "TLVSave.vqk";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    plat::UseHeadless();
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    xProfiles_Set("USERFILE", kSave);
    vqt::test::FakeFiles& files = vqt::test::FakeFiles::Install();
    files.Put(kSave, std::string(reinterpret_cast<const char*>(data), size));

    CPlayer player;
    std::array<std::optional<PlayerRecordBytes>, SaveFileImage::kSlots> before;
    for (int s = 0; s < SaveFileImage::kSlots; ++s)
        if (player.Load(s) == SaveSlotState::Valid) before[s] = EncodePlayerRecord(player.Record());

    const int slot = size == 0 ? 0 : data[0] % SaveFileImage::kSlots;
    const bool deleting = size != 0 && (data[0] & 8) != 0;
    player.SetName("Fuzz");
    player.IncCounter(1);
    const bool saved = deleting ? player.Delete(slot) : player.Save(slot);
    const PlayerRecordBytes written = EncodePlayerRecord(player.Record());

    for (int s = 0; s < SaveFileImage::kSlots; ++s) {
        const SaveSlotState state = player.Load(s);
        if (s == slot && saved) {
            Require(state == SaveSlotState::Valid && EncodePlayerRecord(player.Record()) == written);
        } else if (before[s]) {
            Require(state == SaveSlotState::Valid && EncodePlayerRecord(player.Record()) == *before[s]);
        }
    }
    return 0;
}
