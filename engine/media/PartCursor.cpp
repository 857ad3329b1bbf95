#include "engine/media/PartCursor.h"

#include "engine/media/Application.h"
#include "engine/media/MouseProcess.h"

OPartCursor::OPartCursor() : OActivityProp("OPartCursor", kClassId) {}

OPartCursor::~OPartCursor() {
    OApplication* app = OApplication::Get();
    OMouseProcess* mouse = app ? app->GetMouseProcess() : nullptr;
    if (mouse && mouse->GetCursorView() == this) mouse->ClearCursorView(0);
}

bool OPartCursor::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

void OPartCursor::SetPosition(const CPointF& point, uint8_t relative, uint8_t moveAttached) {
    const CPointF target = relative ? point : CPointF(point.x + offset_.x, point.y + offset_.y);
    OActivityProp::SetPosition(target, relative, moveAttached);
}

void OPartCursor::SetState(int32_t index) {
    OActivityProp::SetState(index);
    const CPointF hot = GetScaledHotSpot();
    offset_ = CPointF(-hot.x, -hot.y);
}
