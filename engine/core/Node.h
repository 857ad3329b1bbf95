#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Object.h"
#include "engine/core/PtrList.h"

class OProcess;

/// A tree node (class id 10): a parent link and an owned list of children kept in draw order
/// (ascending priority, ties in the order of adding). Lists are sorted lazily: adding a child
/// or changing a child's priority only sets the parent's resort flag.
class ONode : public OObject {
public:
    static constexpr uint32_t kClassId = 10;
    /// Property family 10: id 1 is the draw priority (32-bit).
    static constexpr uint32_t kPropPriority = 1;

    ONode(const char* name, uint32_t classId);
    /// Tells the activity manager, detaches from the parent, then deletes the children.
    ~ONode() override;

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;

    /// Deletes every child, the last first.
    virtual void DestroyChildren();
    /// Called on a child before it is listed in (or, with null, removed from) a parent.
    virtual bool OnParentChanging(ONode* newParent);
    virtual void OnPriorityChanged();
    /// Called on a child after it was listed in (or, with null, removed from) a parent.
    virtual void OnParentChanged(ONode* newParent);
    virtual void OnChildAdded(ONode* child);
    virtual void OnChildRemoved(ONode* child);
    virtual ONode* GetParent() const;

    /// Lists `child` last and makes this node its parent (moving it from another parent).
    /// False when it already is this node's child or the list cannot grow.
    bool AddChild(ONode* child);
    /// Takes `child` out of the list without deleting it; false when it is not a child.
    bool RemoveChild(ONode* child);
    /// Sorts the children by priority, then by the order in which they were added.
    void SortChildren();
    void SetPriority(int32_t priority);
    int32_t GetPriority() const { return priority_; }
    uint32_t GetSequence() const { return sequence_; }

    int32_t ChildCount() const { return children_ ? children_->Count() : 0; }
    ONode* ChildAt(int32_t index) const { return children_->At(index); }
    /// The child list, null until the first child is added.
    const CPtrList<ONode>* Children() const { return children_.get(); }
    bool HasChild(const ONode* child) const { return children_ && children_->Contains(child); }

    bool NeedsResort() const { return resort_ != 0; }
    void SetResort(bool on) { resort_ = on ? 1 : 0; }
    bool SortsGrandchildren() const { return sortGrandchildren_ != 0; }
    void SetSortGrandchildren(bool on) { sortGrandchildren_ = on ? 1 : 0; }

    /// This node as a process, or null when it is not one (the walks skip such nodes).
    OProcess* AsProcess() const { return asProcess_; }

protected:
    /// Set by OProcess to itself; lets the per-frame walks tell processes without a cast.
    OProcess* asProcess_ = nullptr;

private:
    ONode* parent_ = nullptr;
    int32_t priority_ = 0;
    uint32_t nextSequence_ = 0;
    uint32_t sequence_ = 0;
    std::unique_ptr<CPtrList<ONode>> children_;
    int32_t resort_ = 0;
    int32_t sortGrandchildren_ = 1;
};
