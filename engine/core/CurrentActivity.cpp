#include "engine/core/CurrentActivity.h"

namespace {
OView* g_currentActivity = nullptr;
} // namespace

void xActivity_SetCurrentView(OView* activity) { g_currentActivity = activity; }

OView* xActivity_GetCurrentView() { return g_currentActivity; }
