#include "engine/core/ApplicationLink.h"

#include "engine/core/CoreState.h"

CApplicationLink* xApplication_Link() { return xCore_State().application; }

void xApplication_SetLink(CApplicationLink* link) { xCore_State().application = link; }
