#include "game/world/WorldBuckets.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "engine/base/Trace.h"
#include "engine/core/ActivityProp.h"
#include "game/shell/Hider.h"
#include "game/shell/Pushable.h"
#include "game/shell/TLVComplexObject.h"
#include "game/shell/TLVSimpleObject.h"

namespace {

/// Classes the buckets leave out whose own headers live with the characters.
constexpr uint32_t kCaptiveClassId = 2440;
constexpr uint32_t kConstraintClassId = 2450;

bool IsStill(const OActivityProp* prop) {
    return prop->IsA(TLVSimple_Object::kClassId) && !prop->IsA(Hider::kClassId) && !prop->IsA(kConstraintClassId);
}

bool IsMoving(const OActivityProp* prop) {
    return (prop->IsA(TLVComplex_Object::kClassId) || prop->IsA(Pushable::kClassId)) && !prop->IsA(kCaptiveClassId);
}

} // namespace

CRect16 CWorldBuckets::BoxOf(const OActivityProp* prop) {
    if (!prop->HasRightAngleRotation()) return CRect16();
    return CentredRect(prop->GetPosition(), prop->GetWidth(), prop->GetHeight());
}

CRect16 CWorldBuckets::FilingBoxOf(const OActivityProp* prop) {
    if (prop->HasRightAngleRotation()) return BoxOf(prop);
    const double turn = double(prop->GetRotation()) * std::numbers::pi / 180.0;
    const double c = std::abs(std::cos(turn)), s = std::abs(std::sin(turn));
    const double w = prop->GetWidth(), h = prop->GetHeight();
    auto side = [](double length) { return int16_t(std::clamp(std::ceil(length), 0.0, double(INT16_MAX))); };
    return CentredRect(prop->GetPosition(), side(w * c + h * s), side(w * s + h * c));
}

int CWorldBuckets::ColumnOf(int32_t x) { return std::clamp(x >> kCellShift, 0, kColumns - 1); }

int CWorldBuckets::RowOf(int32_t y) { return std::clamp(y >> kCellShift, 0, kRows - 1); }

bool CWorldBuckets::AddStill(OActivityProp* prop) {
    if (prop == nullptr || !IsStill(prop)) return false;
    Enter(still_, prop, "still");
    return true;
}

bool CWorldBuckets::AddMoving(OActivityProp* prop) {
    if (prop == nullptr || !IsMoving(prop)) return false;
    Enter(moving_, prop, "moving");
    return true;
}

void CWorldBuckets::Enter(Columns& columns, OActivityProp* prop, const char* table) {
    const CRect16 box = FilingBoxOf(prop);
    const Filed filed{prop, int16_t(RowOf(box.top)), int16_t(RowOf(box.bottom))};
    for (int c = ColumnOf(box.left); c <= ColumnOf(box.right); ++c) {
        std::vector<Filed>& cell = columns[size_t(c)];
        cell.push_back(filed);
        if (cell.size() > kCellTraceLimit && !tracedGrowth_) {
            tracedGrowth_ = true;
            xTracef("World buckets: %s column %d holds more than %u props\n", table, c, unsigned(kCellTraceLimit));
        }
    }
}

void CWorldBuckets::Remove(const OActivityProp* prop) {
    // By identity over every cell: the prop may have moved since it was filed, and a pushable
    // stands in the still and the moving tables at once.
    for (Columns* table : {&still_, &moving_})
        for (std::vector<Filed>& cell : *table) std::erase_if(cell, [&](const Filed& f) { return f.prop == prop; });
}

void CWorldBuckets::ClearMoving() {
    for (std::vector<Filed>& cell : moving_) cell.clear();
}

void CWorldBuckets::ClearAll() {
    ClearMoving();
    for (std::vector<Filed>& cell : still_) cell.clear();
}

void CWorldBuckets::QueryCells(PropList& result, int c0, int r0, int c1, int r1) const {
    ++queries_;
    if (c0 > c1 || r0 > r1) return;
    // A range reaching past the grid asks for its edge cells, as a coordinate beyond it does.
    c0 = std::clamp(c0, 0, kColumns - 1);
    c1 = std::clamp(c1, 0, kColumns - 1);
    r0 = std::clamp(r0, 0, kRows - 1);
    r1 = std::clamp(r1, 0, kRows - 1);
    found_.assign(result.begin(), result.end());
    std::sort(found_.begin(), found_.end(), std::less<>());
    for (int r = r0; r <= r1; ++r) {
        CollectRow(still_, r, c0, c1, result);
        CollectRow(moving_, r, c0, c1, result);
    }
}

void CWorldBuckets::CollectRow(const Columns& columns, int r, int c0, int c1, PropList& result) const {
    for (int c = c0; c <= c1; ++c) {
        for (const Filed& filed : columns[size_t(c)]) {
            if (r < filed.firstRow || r > filed.lastRow) continue;
            auto at = std::lower_bound(found_.begin(), found_.end(), filed.prop, std::less<>());
            if (at != found_.end() && *at == filed.prop) continue;
            found_.insert(at, filed.prop);
            result.push_back(filed.prop);
        }
    }
}

void CWorldBuckets::QueryRect(CPoint16 a, CPoint16 b, PropList& result) const {
    const int ca = ColumnOf(a.x), cb = ColumnOf(b.x);
    const int ra = RowOf(a.y), rb = RowOf(b.y);
    QueryCells(result, std::min(ca, cb), std::min(ra, rb), std::max(ca, cb), std::max(ra, rb));
}

void CWorldBuckets::QueryPoint(CPoint16 point, PropList& result) const {
    const int c = ColumnOf(point.x), r = RowOf(point.y);
    QueryCells(result, c, r, c, r);
}

bool CWorldBuckets::Holds(const OActivityProp* prop) const {
    for (const Columns* table : {&still_, &moving_})
        for (const std::vector<Filed>& cell : *table)
            for (const Filed& filed : cell)
                if (filed.prop == prop) return true;
    return false;
}
