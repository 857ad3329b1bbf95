#pragma once
// What the arcades' whole-program bots share: scripted keys and clicks, the current game of a
// class, the lines queued since the last look and the stage as presented.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Window.h"
#include "engine/media/MessageProcess.h"
#include "engine/media/MessageRecord.h"
#include "engine/media/Snippet.h"
#include "game/shell/TLVApp.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedMessages.h"
#include "tests/support/Png.h"

namespace vqt::test::arcade_bot {

constexpr int kLeft = 37, kRight = 39, kAlt = 18, kEsc = 27;

/// The current activity when it is a `Game`, else null.
template <class Game>
Game* Current() {
    OActivityManager* manager = GetActivityManager();
    OActivity* current = manager ? manager->GetCurrentActivity() : nullptr;
    return current && current->IsA(Game::kClassId) ? static_cast<Game*>(current) : nullptr;
}

inline void Script(const std::string& lines) {
    static_cast<plat::ScriptedMessages&>(plat::messages()).LoadScript(lines, OVQEngine::Instance()->GetMainWindow()->GetWindowId());
}

inline std::string Key(uint32_t at, const char* message, int code) {
    return std::to_string(at) + " " + message + " " + std::to_string(code) + " 0 0 0\n";
}

inline void Click(int x, int y) {
    const std::string at = " 0 0 " + std::to_string(x) + " " + std::to_string(y) + "\n";
    Script("0 WM_MOUSEMOVE" + at + "50 WM_MOUSEMOVE" + at + "100 WM_LBUTTONDOWN 1" + at.substr(2) + "150 WM_LBUTTONUP" + at);
}

/// Notes the lines that were queued since the last look (the queue's records as they stand).
inline void NoteSpokenLines(std::vector<const OMessageRecord*>& seen, std::string& log) {
    CTLVApp* app = CTLVApp::Get();
    OMessageProcess* messages = app ? app->GetMessageProcess() : nullptr;
    if (!messages) return;
    std::vector<const OMessageRecord*> now;
    for (int32_t i = 0; i < messages->QueueLength(); ++i) {
        const OMessageRecord* record = messages->QueuedAt(i);
        now.push_back(record);
        if (std::find(seen.begin(), seen.end(), record) != seen.end()) continue;
        const uint16_t voice = record->voice ? ChunkEntryOf(record->voice->cacheId) : 0;
        log += std::to_string(voice) + " " + record->caption + "\n";
    }
    seen = now;
}

inline RgbImage StagePicture() {
    const plat::Window* shown = plat::WindowById(OVQEngine::Instance()->GetMainWindow()->GetWindowId());
    return shown ? ToRgb(shown->Presented()) : RgbImage{};
}

} // namespace vqt::test::arcade_bot
