#include "engine/core/ClassFactory.h"

#include <algorithm>
#include <new>
#include <vector>

#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/CoreState.h"

namespace {

OActivity* MakeActivity() { return new (std::nothrow) OActivity("OActivity", OActivity::kClassId); }
OView* MakeProp() { return new (std::nothrow) OActivityProp("OActivityProp", OActivityProp::kClassId); }

std::vector<CClassRow>& Rows() { return xCore_State().classRows; }

const CClassRow* Find(uint32_t classId) {
    static const CClassRow kOwn[] = {
        {OActivity::kClassId, &MakeActivity, nullptr},
        {OActivityProp::kClassId, nullptr, &MakeProp},
    };
    const std::vector<CClassRow>& rows = Rows();
    auto registered = std::find_if(rows.begin(), rows.end(), [&](const CClassRow& r) { return r.classId == classId; });
    if (registered != rows.end()) return &*registered;
    auto own = std::find_if(std::begin(kOwn), std::end(kOwn), [&](const CClassRow& r) { return r.classId == classId; });
    return own != std::end(kOwn) ? own : nullptr;
}

} // namespace

void xClassFactory_Register(const CClassRow& row) {
    std::vector<CClassRow>& rows = Rows();
    auto same = std::find_if(rows.begin(), rows.end(), [&](const CClassRow& r) { return r.classId == row.classId; });
    if (same != rows.end()) {
        *same = row;
    } else {
        rows.push_back(row);
    }
}

OActivity* OClassFactory::CreateActivity(uint32_t classId) {
    const CClassRow* row = Find(classId);
    return row != nullptr && row->makeActivity != nullptr ? row->makeActivity() : nullptr;
}

OView* OClassFactory::CreateActivityProp(uint32_t classId) {
    const CClassRow* row = Find(classId);
    return row != nullptr && row->makeView != nullptr ? row->makeView() : nullptr;
}

bool OClassFactory::IsSupported(uint32_t classId) { return Find(classId) != nullptr; }
