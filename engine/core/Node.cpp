#include "engine/core/Node.h"

#include <algorithm>
#include <new>

#include "engine/core/ActivityHooks.h"

ONode::ONode(const char* name, uint32_t classId) : OObject(name, classId) {}

ONode::~ONode() {
    if (CActivityHooks* hooks = xPlatform_GetActivityHooks()) hooks->OnNodeDestroyed(this);
    if (parent_) parent_->RemoveChild(this);
    if (children_) {
        ONode::DestroyChildren();
        children_.reset();
    }
}

bool ONode::IsA(uint32_t classId) const { return classId == kClassId || OObject::IsA(classId); }

bool ONode::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return OObject::HandleProperty(msg, set);
    // Stored or reported directly: no resort flag, no notification.
    if (msg->id == kPropPriority) msg->Exchange(0, priority_, set);
    return true;
}

void ONode::DestroyChildren() {
    if (!children_) return;
    while (children_->Count() > 0) {
        // Out of the list first, so the child's own destructor finds nothing to remove.
        ONode* child = children_->RemoveLast();
        delete child;
    }
}

bool ONode::OnParentChanging(ONode* /*newParent*/) { return true; }
void ONode::OnPriorityChanged() {}
void ONode::OnParentChanged(ONode* /*newParent*/) {}
void ONode::OnChildAdded(ONode* /*child*/) {}
void ONode::OnChildRemoved(ONode* /*child*/) {}
ONode* ONode::GetParent() const { return parent_; }

bool ONode::AddChild(ONode* child) {
    if (!child || child == this || child->GetParent() == this) return false;
    if (!children_) {
        children_.reset(new (std::nothrow) CPtrList<ONode>);
        if (!children_) return false;
    }
    // Room first: a child must never carry a parent link without being in the list.
    if (!children_->ReserveOneMore()) return false;
    child->OnParentChanging(this);
    if (ONode* old = child->GetParent()) old->RemoveChild(child);
    child->sequence_ = ++nextSequence_;
    children_->Append(child);
    child->OnParentChanged(this);
    child->parent_ = this;
    OnChildAdded(child);
    resort_ = 1;
    return true;
}

bool ONode::RemoveChild(ONode* child) {
    if (!child || !children_) return false;
    if (children_->IndexOf(child) < 0) return false;
    // The child may take other children of this node away first (a view's attached views), so
    // its place is looked up again afterwards.
    child->OnParentChanging(nullptr);
    child->OnParentChanged(nullptr);
    child->parent_ = nullptr;
    const int32_t index = children_->IndexOf(child);
    if (index >= 0) children_->RemoveAt(index);
    OnChildRemoved(child);
    return true;
}

void ONode::SortChildren() {
    if (children_ && children_->Count() >= 2) {
        ONode** first = children_->Data();
        std::sort(first, first + children_->Count(), [](const ONode* a, const ONode* b) {
            if (a->priority_ != b->priority_) return a->priority_ < b->priority_;
            return a->sequence_ < b->sequence_;
        });
    }
    resort_ = 0;
}

void ONode::SetPriority(int32_t priority) {
    if (priority == priority_) return;
    priority_ = priority;
    if (parent_) parent_->resort_ = 1;
    OnPriorityChanged();
}
