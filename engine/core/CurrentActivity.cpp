#include "engine/core/CurrentActivity.h"

#include "engine/core/CoreState.h"

void xActivity_SetCurrentView(OActivity* activity) { xCore_State().currentActivity = activity; }

OActivity* xActivity_GetCurrentView() { return xCore_State().currentActivity; }
