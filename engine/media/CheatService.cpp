#include "engine/media/CheatService.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Event.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "engine/media/Application.h"
#include "platform/Platform.h"

namespace {

constexpr uint32_t kKeyShift = 16;
constexpr uint32_t kKeyControl = 17;
constexpr uint32_t kKeyF1 = 112;

bool KeyHeld(uint32_t key) { return plat::input().AsyncKeyState(int32_t(key)) < 0; }

bool CheatsEnabled() {
    boolean on = 0;
    xProfiles_GetBoolean("CHEATSENABLED", &on);
    return on != 0;
}

} // namespace

OCheatService::OCheatService() : OProcess("OCheatService", kClassId) {
    SetEventMask(kEventKeyboard);
    resetTimer_.Start(kResetMs);
}

OCheatService::~OCheatService() {
    if (OApplication* app = OApplication::Get()) app->ForgetProcess(this);
}

bool OCheatService::AddCodeTable(const CCheatCode* table) {
    if (!table || std::find(tables_.begin(), tables_.end(), table) != tables_.end()) return false;
    tables_.push_back(table);
    for (const CCheatCode* entry = table; entry->keyword; ++entry)
        longest_ = std::max(longest_, std::strlen(entry->keyword));
    return true;
}

int32_t OCheatService::OnIdle() {
    if (resetTimer_.HasElapsed()) {
        typed_.clear();
        resetTimer_.Restart();
    }
    return 1;
}

void OCheatService::OnChar(uint32_t code) {
    if (code == 0 || code > 0xFF || !CheatsEnabled()) return;
    const unsigned char c = static_cast<unsigned char>(code);
    if (!std::isgraph(c) && c != ' ') return;
    if (typed_.size() <= longest_) typed_ += char(c);
    Match();
    resetTimer_.Restart();
}

void OCheatService::OnKeyDown(uint32_t key) {
    if (key != kKeyF1 || !KeyHeld(kKeyControl) || !KeyHeld(kKeyShift)) return;
    xProfiles_Set("CHEATSENABLED", boolean(CheatsEnabled() ? 0 : 1));
}

void OCheatService::Match() {
    if (typed_.empty()) return;
    for (const CCheatCode* table : tables_) {
        for (const CCheatCode* entry = table; entry->keyword; ++entry) {
            if (xStr_CompareNoCase(entry->keyword, typed_.c_str()) != 0) continue;
            if (entry->handler) {
                entry->handler();
                continue;
            }
            OActivityManager* manager = GetActivityManager();
            if (manager && !manager->IsSwitchPending() && manager->GetCurrentActivity())
                manager->GetCurrentActivity()->OnDebugCode(entry->code);
        }
    }
}
