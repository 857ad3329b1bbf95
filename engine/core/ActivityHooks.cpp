#include "engine/core/ActivityHooks.h"

namespace {
CActivityHooks* g_activityHooks = nullptr;
}

void xPlatform_SetActivityHooks(CActivityHooks* hooks) { g_activityHooks = hooks; }

CActivityHooks* xPlatform_GetActivityHooks() { return g_activityHooks; }
