#include "game/shell/TLVApp.h"

#include <new>

#include "engine/app/Startup.h"
#include "engine/base/Trace.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/RunLoop.h"
#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "engine/data/ChunkId.h"
#include "engine/data/Driver.h"
#include "engine/data/FileSearch.h"
#include "engine/data/IniFiles.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/data/TempBuffers.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/media/Host.h"
#include "engine/media/MouseProcess.h"
#include "engine/media/MusicProcess.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundProcess.h"
#include "engine/media/SysFont.h"
#include "game/shell/CounterPanel.h"
#include "game/shell/GameShellState.h"
#include "game/shell/Player.h"
#include "game/shell/TLVActivity.h"
#include "platform/Platform.h"

namespace {

constexpr int16_t kPrintWidth = 640;
constexpr int16_t kPrintHeight = 480;
constexpr int16_t kPrintDepth = 24;
constexpr ChunkId kHostPart = MakeChunkId(2, 13);
constexpr int32_t kHostPriority = 31000;
/// Off the stage.
constexpr float kParkedAt = -500.0f;
/// A sound range of 1000 or more: the host's state sounds do not fall off.
constexpr int16_t kHostSoundRange = 2000;

/// Takes a node that the main window holds off it and deletes it; one that the window no
/// longer holds went with it.
template <class T>
void DeleteFromMainWindow(T*& node) {
    OWindow* window = OWindow::Main();
    if (node && window && window->HasChild(node)) {
        window->RemoveChild(node);
        delete node;
    }
    node = nullptr;
}

bool KeyHeld(int32_t virtualKey) { return plat::input().AsyncKeyState(virtualKey) < 0; }

} // namespace

bool CTLVApp::Create() {
    CTLVApp*& app = CGameShellState::Get().app;
    if (app) return false;
    app = new (std::nothrow) CTLVApp;
    return app != nullptr;
}

bool CTLVApp::Destroy() {
    CTLVApp*& app = CGameShellState::Get().app;
    if (!app) return false;
    delete app;
    app = nullptr;
    return true;
}

CTLVApp* CTLVApp::Get() { return CGameShellState::Get().app; }

CTLVApp::CTLVApp() = default;

CTLVApp::~CTLVApp() {
    for (xCursor& cursor : cursors_) {
        xCursor_Destroy(cursor);
        cursor = 0;
    }
    for (std::unique_ptr<OSysFont>& font : fonts_) font.reset();
    if (counterPanel_) {
        counterPanel_->Release();
        if (ONode* parent = counterPanel_->GetParent()) parent->RemoveChild(counterPanel_);
        delete counterPanel_;
        counterPanel_ = nullptr;
    }
    DeleteFromMainWindow(host_);
    player_.reset();
    DeleteFromMainWindow(music_);
    while (snippets_.Count() > 0) {
        xSnippet_Unload(snippets_.PopBack());
        snippetIds_.PopBack();
    }
    printSurface_.reset();
    snippets_.Free();
    snippetIds_.Free();
}

int32_t CTLVApp::Init() {
    const int32_t result = OApplication::CreateProcesses();
    for (int i = 0; i < kFontCount; ++i) {
        if (fonts_[i]) continue;
        fonts_[i].reset(new (std::nothrow) OSysFont);
        if (!fonts_[i]) continue;
        fonts_[i]->SetSize(kFontSizes[i]);
        fonts_[i]->CreateFontByName("Arial");
    }
    if (!counterPanel_) MakeCounterPanel();
    if (GetMessageProcess() && !host_) MakeHost();
    if (!player_) player_.reset(new (std::nothrow) CPlayer);
    if (!music_ && OWindow::Main()) {
        // A child of the main window, so that its fades are stepped every frame.
        music_ = new (std::nothrow) OMusicProcess;
        if (music_) OWindow::Main()->AddChild(music_);
    }
    for (int i = 0; i < kCursorCount; ++i) cursors_[i] = xCursor_CreateFromFrame(kCursorFrames[i]);
    OView::DefaultClickMode() = OView::kClickClick;
    if (OMouseProcess* mouse = GetMouseProcess()) {
        mouse->SetCursors(cursors_[kCursorNormal], cursors_[kCursorHover]);
        systemCursorFlag = 0;
    }
    for (const ChunkId id : kGameSnippets) {
        if (FindSnippet(id)) continue;
        if (xSnippet* snippet = xSnippet_Load(GetPartFile(), id, nullptr)) AddSnippet(id, snippet);
    }
    if (OSoundProcess* sound = GetSoundProcess())
        for (const uint32_t pipe : kReservedPipes) sound->ReservePipe(pipe);
    printSurface_.reset(new (std::nothrow) CDIBSurface);
    if (printSurface_ && !printSurface_->Create(kPrintWidth, kPrintHeight, kPrintDepth)) {
        xTrace("CTLVApp::Init - the print surface cannot be made\n");
        printSurface_.reset();
    }
    return result;
}

void CTLVApp::MakeCounterPanel() {
    counterPanel_ = new (std::nothrow) CCounterPanel("Status_Bar", CCounterPanel::kClassId);
    if (!counterPanel_) return;
    LoadArt(counterPanel_, GetPartFile(), kCounterPanelArt, 1);
    counterPanel_->SetPosition(CPointF(CCounterPanel::kParked, CCounterPanel::kParked), 0, 1);
    counterPanel_->SetPriority(kCounterPanelPriority);
    if (OWindow* window = OWindow::Main()) window->AddChild(counterPanel_);
}

void CTLVApp::MakeHost() {
    OWindow* window = OWindow::Main();
    if (!window) return;
    host_ = new (std::nothrow) OHost("OHost", OHost::kClassId);
    if (!host_) return;
    host_->SetRoleName("Dispatcher");
    LoadArt(host_, GetPartFile(), kHostPart, 0);
    host_->SetPositionXY(kParkedAt, kParkedAt, 0, 1);
    host_->SetSoundPan(0);
    host_->SetSoundRange(kHostSoundRange);
    host_->SetPriority(kHostPriority);
    window->AddChild(host_);
}

void CTLVApp::ShowHost(bool show) {
    if (!host_) return;
    if (show) {
        host_->SetPosition(host_->GetHotSpot(), 0, 1);
    } else {
        host_->SetPositionXY(kParkedAt, kParkedAt, 0, 1);
    }
}

xSnippet* CTLVApp::FindSnippet(ChunkId id) const {
    for (int32_t i = snippetIds_.Count() - 1; i >= 0; --i)
        if (snippetIds_.GetAt(i) == id) return snippets_.GetAt(i);
    return nullptr;
}

bool CTLVApp::AddSnippet(ChunkId id, xSnippet* snippet) {
    if (!snippets_.Append(snippet)) {
        xSnippet_Unload(snippet);
        return false;
    }
    if (!snippetIds_.Append(id)) {
        xSnippet_Unload(snippets_.PopBack());
        return false;
    }
    return true;
}

CPartFile* GamePartFile() {
    OApplication* app = OApplication::Get();
    return app ? app->GetPartFile() : nullptr;
}

OSoundProcess* GameSoundProcess() {
    OApplication* app = OApplication::Get();
    return app ? app->GetSoundProcess() : nullptr;
}

bool IsSkipKeyDown() { return KeyHeld(0x20) || KeyHeld(0x1B); }

bool IsSkipKeyOrButtonDown() { return IsSkipKeyDown() || KeyHeld(0x04) || KeyHeld(0x02) || KeyHeld(0x01); }
