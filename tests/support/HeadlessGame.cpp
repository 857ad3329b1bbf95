#include "tests/support/HeadlessGame.h"

#include <memory>

#include "engine/app/Engine.h"
#include "engine/core/ActivityManager.h"
#include "engine/core/Event.h"
#include "engine/core/RunLoop.h"
#include "engine/core/Window.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/media/Sound.h"
#include "game/shell/TLVApp.h"
#include "game/shell/TLVFactory.h"
#include "platform/Platform.h"
#include "platform/Window.h"

namespace vqt::test {

bool StartHeadlessGame(const HeadlessGameOptions& options) {
    xProfiles_Set("DIRECTDRAW", sLong(0));
    xProfiles_Set("FULLSCREEN", sLong(0));
    xProfiles_Set("NUMPIPES", sShort(11));
    if (options.saveFile) xProfiles_Set("USERFILE", options.saveFile);
    xPlatform_SetEngineExists(true);
    xPlatform_StartTimers();
    if (!OVQEngine::Startup()) return false;
    auto window = std::make_unique<OWindow>();
    window->SetDepth(16);
    window->SetDisplaySurface(new CDIBSurface);
    if (!window->Create(CRect16(0, 0, options.stageWidth, options.stageHeight), false, 0)) return false;
    plat::desktop().Find(window->GetWindowId())->Show(plat::SW_SHOW);
    OVQEngine::Instance()->SetMainWindow(std::move(window));
    if (xSound_Startup(11, 0, 0) != 0 || !CTLVApp::Create()) return false;
    CTLVApp* app = CTLVApp::Get();
    auto file = std::make_unique<CPartFile>();
    CPartFile* parts = file.get();
    if (!file->Open(options.partFile, 1)) return false;
    app->SetPartFile(std::move(file));
    app->Init();
    if (!CreateActivityManager()) return false;
    OActivityManager* manager = GetActivityManager();
    manager->Init(parts);
    manager->SetVariant(OActivityManager::kUnloadFirst);
    if (options.registerClasses) options.registerClasses();
    manager->AddFactory(new CTLVFactory);
    return true;
}

void StopHeadlessGame() {
    DestroyActivityManager();
    CTLVApp::Destroy();
    OVQEngine::Shutdown();
}

void SendEvent(uint32_t category, uint32_t type, intptr_t param, CPoint16 cursor) {
    xEvent event;
    event.category = category;
    event.type = type;
    event.param1 = param;
    event.cursor = cursor;
    DispatchAppEvent(&event, 0);
}

bool ShowActivity(uint16_t entry, void (*frame)()) {
    OActivityManager* manager = GetActivityManager();
    for (int i = 0; i < 10 && manager->IsSwitchPending(); ++i) frame();
    manager->RequestActivity(MakeChunkId(1, entry));
    for (int i = 0; i < 400 && manager->IsSwitchPending(); ++i) frame();
    return manager->GetCurrentId() == MakeChunkId(1, entry);
}

} // namespace vqt::test
