#include "game/world/TLVWorldActivity.h"

TLVWorld_Activity::TLVWorld_Activity(const char* name, uint32_t classId) : CTLVActivity(name, classId) {}

bool TLVWorld_Activity::IsA(uint32_t classId) const { return classId == kClassId || CTLVActivity::IsA(classId); }

CRect16 TLVWorld_Activity::GetVisibleRect() {
    const auto left = ClampToInt16(int32_t(GetScrollOffset().x));
    const auto top = ClampToInt16(int32_t(GetScrollOffset().y));
    return CRect16(left, top, ClampToInt16(left + GetStageWidth()), ClampToInt16(top + GetStageHeight()));
}

CRect16 TLVWorld_Activity::GetMapRect() {
    const CPointF size = GetBackgroundSize();
    return CRect16(0, 0, ClampToInt16(int32_t(size.x)), ClampToInt16(int32_t(size.y)));
}

bool TLVWorld_Activity::RectInMap(const CRect16& rect, int16_t offset) {
    CRect16 raised = rect;
    raised.top = ClampToInt16(int32_t(rect.top) - offset);
    return raised.Overlaps(GetMapRect());
}
