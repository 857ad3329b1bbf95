#include "engine/core/Process.h"

#include "platform/Platform.h"

namespace {
constexpr uint32_t kShiftKey = 16;
}

OProcess::OProcess(const char* name, uint32_t classId) : ONode(name, classId) {
    asProcess_ = this;
    timeStamp1_ = plat::clock().TickCount();
}

bool OProcess::IsA(uint32_t classId) const { return classId == kClassId || ONode::IsA(classId); }

bool OProcess::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (msg && msg->family == kClassId) return true; // the family has no properties
    return ONode::HandleProperty(msg, set);
}

void OProcess::Suspend(int32_t flag) {
    if (suspended_) return;
    suspended_ = 1;
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (OProcess* child = ChildAt(i)->AsProcess()) child->Suspend(flag);
}

void OProcess::Resume(int32_t /*flag*/) {
    if (!suspended_) return;
    suspended_ = 0;
    for (int32_t i = 0; i < ChildCount(); ++i)
        if (OProcess* child = ChildAt(i)->AsProcess()) child->Resume(1);
}

void OProcess::OnAppSuspend() { appSuspended_ = 1; }
void OProcess::OnAppResume() { appSuspended_ = 0; }
void OProcess::OnChar(uint32_t /*code*/) {}
void OProcess::OnKeyUp(uint32_t /*key*/) {}
void OProcess::OnKeyDown(uint32_t /*key*/) {}

int32_t OProcess::HandleEvent(const xEvent& event) {
    if (acceptsEvents_ != 1 || (event.category & eventMask_) == 0) return 1;
    if (event.type < kEvKeyDown || event.type > kEvAppResume) return 1;
    switch (event.type) {
    case kEvKeyDown:
    case kEvKeyUp:
    case kEvKeyRepeat: {
        const uint32_t key = uint32_t(event.param1 & 0xFF);
        if (key == kShiftKey) break;
        if (event.type == kEvKeyUp) OnKeyUp(key);
        else OnKeyDown(key);
        break;
    }
    case kEvChar:
        OnChar(uint32_t(event.param1));
        break;
    case kEvAppSuspend:
        OnAppSuspend();
        break;
    case kEvAppResume:
        OnAppResume();
        break;
    default:
        break;
    }
    return 1;
}

bool OProcess::IsSuspendedInChain() const {
    for (const OProcess* p = this; p;) {
        if (p->IsSuspended()) return true;
        ONode* parent = p->GetParent();
        p = parent ? parent->AsProcess() : nullptr;
    }
    return false;
}
