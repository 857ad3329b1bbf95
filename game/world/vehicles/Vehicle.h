#pragma once
#include <cstdint>

#include "engine/data/ChunkId.h"
#include "game/shell/TLVComplexObject.h"

/// The base of every vehicle the player drives ("Vehicle", class id 2000): a moving object
/// that changes its animation state without restarting the animation, and that may carry one
/// prop of its own (a light) drawn just above it, with its scale, state and frame.
class Vehicle : public TLVComplex_Object {
public:
    static constexpr uint32_t kClassId = 2000;
    /// What an owner plugs into a vehicle (the world's event and view hooks): called with the
    /// vehicle; the answer is not read.
    using Callback = bool (*)(TLV_Object* vehicle);
    /// The ground distance after which a trail takes a new point.
    static constexpr float kTrailSpacing = 100.0f;

    Vehicle(const char* name = "Vehicle", uint32_t classId = kClassId);
    /// Deletes the attached prop.
    ~Vehicle() override;

    bool IsA(uint32_t classId) const override;
    /// The state on the attached prop and on the vehicle, each keeping its frame and the time
    /// already run, so that a new heading does not restart the animation.
    void SetState(int32_t index) override;
    /// The object's draw order, the attached prop one above.
    void UpdateZOrder() override;
    /// The vehicle at `priority`, the attached prop one above.
    virtual void SetDrawPriority(int32_t priority);

    /// Replaces the attached prop by one showing the part, placed at the anchor point with the
    /// vehicle's scale and state, shown and moving along; nothing without an open part file
    /// holding the chunk, and no prop when it cannot be made.
    void AttachProp(ChunkId part);
    /// Takes the attached prop out of the parent and deletes it.
    void DetachProp();
    /// The position plus the current frame's scaled anchor; nothing for a null pointer.
    void GetAnchorPoint(CPointF* out);

    OActivityProp* GetAttachedProp() const { return attached_; }
    float GetTrailSpacing() const { return trailSpacing_; }

protected:
    /// One above, held to 32 bits.
    static int32_t Above(int32_t priority) { return priority == INT32_MAX ? priority : priority + 1; }
    /// One below, held to 32 bits.
    static int32_t Below(int32_t priority) { return priority == INT32_MIN ? priority : priority - 1; }

private:
    float trailSpacing_ = kTrailSpacing;
    OActivityProp* attached_ = nullptr;
};
