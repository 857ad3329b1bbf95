#include "engine/base/AppInstance.h"

#include "engine/base/BaseState.h"

CAppInstance& CAppInstance::Get() { return xBase_State().instance; }

void SetAppInstance(uintptr_t instance) { CAppInstance::Get().instance = instance; }
uintptr_t GetAppInstance() { return CAppInstance::Get().instance; }
void SetIconResourceId(uint16_t id) { CAppInstance::Get().iconResourceId = id; }
uint16_t GetIconResourceId() { return CAppInstance::Get().iconResourceId; }
plat::WindowId xPlatform_GetAppWindow() { return CAppInstance::Get().appWindow; }
