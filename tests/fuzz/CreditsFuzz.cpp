// Takes arbitrary bytes as the credits script {12, 0, 31} and up to four text chunks it may
// name ({17, 0, 1} to {17, 0, 4}; a byte 0xFE 0xFE 0xFE 0xFE separates the pieces), then starts
// the credits and steps their scroll. Nothing may read out of bounds, no more than 20 lines may
// show, and a script of at most eight entries must end by itself.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/data/PartFile.h"
#include "game/shell/CreditsActivity.h"
#include "game/shell/GameShellState.h"
#include "game/shell/TLVApp.h"
#include "platform/headless/VirtualClock.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/synthetic/GameData.h"

namespace {

using vqt::fuzz::Require;

const std::string& ScratchPath() {
    static const vqt::fuzz::ScratchFile file("credits");
    return file.Path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput(&CGameShellState::ResetForTest);
    CGameShellState::Get().gameMessagesLoaded = true;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> pieces;
    for (size_t at = 0;;) {
        const size_t next = input.find("\xFE\xFE\xFE\xFE", at);
        pieces.push_back(input.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
        if (next == std::string_view::npos || pieces.size() == 5) break;
        at = next + 4;
    }
    GameData game;
    game.file.AddChunk(GameData::kChunkLists, pieces[0], {.entry = 31});
    for (size_t i = 1; i < pieces.size(); ++i)
        game.file.AddChunk(GameData::kMessages, pieces[i], {.entry = uint16_t(i)});
    if (!game.file.WriteFile(ScratchPath()) || !CTLVApp::Create()) return 0;
    auto file = std::make_unique<CPartFile>();
    if (file->Open(ScratchPath().c_str(), 1)) {
        CTLVApp::Get()->SetPartFile(std::move(file));
        auto credits = std::make_unique<Credits_Activity>();
        credits->OnActivated();
        auto& clock = static_cast<plat::VirtualClock&>(plat::clock());
        for (int step = 0; step < 2000 && !credits->HasEnded(); ++step) {
            clock.Advance(Credits_Activity::kStepMs + 1);
            credits->OnIdle();
            Require(credits->ShownLines().size() <= size_t(Credits_Activity::kLineViews));
        }
        Require(credits->HasEnded() || credits->ScriptCount() > 8);
    }
    CTLVApp::Destroy();
    return 0;
}
