#include "engine/core/CurrentActivity.h"

namespace {
OActivity* g_currentActivity = nullptr;
} // namespace

void xActivity_SetCurrentView(OActivity* activity) { g_currentActivity = activity; }

OActivity* xActivity_GetCurrentView() { return g_currentActivity; }
