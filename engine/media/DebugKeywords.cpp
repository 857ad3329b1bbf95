#include "engine/media/DebugKeywords.h"

#include "engine/blit/ColorPalette.h"
#include "engine/core/Activity.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "engine/data/Profiles.h"
#include "engine/media/AssetWatcher.h"
#include "engine/media/CheatService.h"
#include "engine/media/DiagnosticsState.h"
#include "engine/media/MemWatcher.h"
#include "engine/media/MouseWatcher.h"
#include "engine/media/Sound.h"
#include "engine/media/TextCView.h"
#include "engine/media/VersionWatcher.h"
#include "platform/Platform.h"

namespace {

bool Flag(const char* key) {
    boolean on = 0;
    xProfiles_GetBoolean(key, &on);
    return on != 0;
}

void SwitchFlag(const char* key) { xProfiles_Set(key, boolean(Flag(key) ? 0 : 1)); }

/// The current activity when no switch is pending, else null.
OActivity* SettledActivity() {
    OActivityManager* manager = GetActivityManager();
    return manager && !manager->IsSwitchPending() ? manager->GetCurrentActivity() : nullptr;
}

/// The text colour that follows `colour` in the memory panel's cycle: grey 192, white, red,
/// green, blue, near black 12, grey 64, grey 127 and back to grey 192; any other colour goes to
/// grey 192.
uint32_t NextMemoryColour(uint32_t colour) {
    static constexpr uint32_t kCycle[] = {ColorWord(192, 192, 192), ColorWord(255, 255, 255), ColorWord(255, 0, 0),
                                          ColorWord(0, 255, 0),     ColorWord(0, 0, 255),     ColorWord(12, 12, 12),
                                          ColorWord(64, 64, 64),    ColorWord(127, 127, 127)};
    constexpr size_t n = sizeof kCycle / sizeof kCycle[0];
    for (size_t i = 0; i < n; ++i)
        if (kCycle[i] == colour) return kCycle[(i + 1) % n];
    return kCycle[0];
}

void Nothing() {}

void SwitchOutlines() {
    OView::ShowBounds() = OView::ShowBounds() ? 0 : 1;
    if (OActivityManager* manager = GetActivityManager())
        if (OActivity* activity = manager->GetCurrentActivity()) activity->Invalidate();
}

void SwitchDrawStats() {
    SwitchFlag("DRAWSTATSVISIBLE");
    if (OWindow* window = OWindow::Main()) window->SetDrawStatsVisible(Flag("DRAWSTATSVISIBLE"));
}

void RestoreVolume() {
    CDiagnosticsState& state = xDiagnostics_State();
    if (state.savedVolume < CDiagnosticsState::kNoSavedVolume) xSound_SetMasterVolume(state.savedVolume);
    state.savedVolume = CDiagnosticsState::kNoSavedVolume;
}

void MuteVolume() {
    xDiagnostics_State().savedVolume = xSound_GetMasterVolume();
    xSound_SetMasterVolume(0);
}

void SwitchCaptions() { SwitchFlag("HMCAPTIONS"); }

void SaveScreenDump() {
    if (OWindow* window = OWindow::Main()) window->SaveScreenDump();
}

void SwitchMemoryView() {
    if (!GetMemWatcher()) ShowMemWatcher();
    SetMemStatsVisible(!GetMemStatsVisible());
}

void SwitchMouseWatcher() {
    CMouseWatcher::Create();
    CMouseWatcher::SetVisible(!CMouseWatcher::IsVisible());
}

void SwitchActivityWatcher() {
    if (OActivityManager* manager = GetActivityManager()) manager->SwitchWatcher();
}

void SwitchAssetWatcher() {
    CAssetWatcher::Create();
    CAssetWatcher::SetVisible(!CAssetWatcher::IsVisible());
}

void SwitchVersionWatcher() {
    CVersionWatcher::Create();
    CVersionWatcher* watcher = CVersionWatcher::Get();
    OTextCView* view = watcher ? watcher->GetView() : nullptr;
    if (!view) return;
    SwitchFlag("VERSIONVISIBLE");
    view->SetVisible(Flag("VERSIONVISIBLE") ? 1 : 0, 0);
}

void CycleMemoryColour() {
    CDiagnosticsState& state = xDiagnostics_State();
    state.memoryTextColour = NextMemoryColour(state.memoryTextColour);
    CMemWatcher* watcher = GetMemWatcher();
    if (GetMemStatsVisible() && watcher && watcher->GetTextView())
        watcher->GetTextView()->SetTextColor(state.memoryTextColour);
}

sLong TraceLevel() {
    sLong level = 0;
    xProfiles_GetLong("VERBOSE", &level);
    return level;
}

void RaiseTraceLevel() {
    xProfiles_Set("VERBOSE", sLong(TraceLevel() + 1));
    plat::dialogs().Beep();
}

void LowerTraceLevel() {
    if (TraceLevel() > 0) xProfiles_Set("VERBOSE", sLong(TraceLevel() - 1));
    plat::dialogs().Beep();
}

void ResetActivity() {
    if (OActivity* activity = SettledActivity()) activity->OnDebugReset();
}

constexpr CCheatCode kKeywords[] = {
    {"+++pelkavuron", SwitchOutlines, 0},
    {"+++tamsolqui", Nothing, 0},
    {"+++brenfodix", SwitchDrawStats, 0},
    {"+++vakmirp", RestoreVolume, 0},
    {"+++gultrosh", MuteVolume, 0},
    {"+++nebolayk", SwitchCaptions, 0},
    {"+++quorfitsal", Nothing, 0},
    {"+++dwelmonatri", SaveScreenDump, 0},
    {"+++hopsanderk", Nothing, 0},
    {"+++yarbiteclosm", Nothing, 0},
    {"+++fendaplourix", Nothing, 0},
    {"+++trovinek", SwitchMemoryView, 0},
    {"+++caldoremba", SwitchMouseWatcher, 0},
    {"+++wimbelor", SwitchActivityWatcher, 0},
    {"+++zontrakile", SwitchAssetWatcher, 0},
    {"+++spudgarnel", SwitchVersionWatcher, 0},
    {"#", CycleMemoryColour, 0},
    {"+++lunifax", RaiseTraceLevel, 0},
    {"---lunifax", LowerTraceLevel, 0},
    {"+++pomeridu", ResetActivity, 0},
    {"+++kestarvon", Nothing, 0},
    {nullptr, nullptr, 0},
};

} // namespace

const CCheatCode* xDebug_KeywordTable() { return kKeywords; }

