#include "engine/core/ActivityHooks.h"

#include "engine/core/CoreState.h"

void xPlatform_SetActivityHooks(CActivityHooks* hooks) { xCore_State().activityHooks = hooks; }

CActivityHooks* xPlatform_GetActivityHooks() { return xCore_State().activityHooks; }
