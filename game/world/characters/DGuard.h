#pragma once
#include "game/world/characters/AvoidMode.h"
#include "game/world/characters/Dweeble.h"

/// The character that watches an area ("DGuard", class id 2460): while its guard flag is set
/// and its patrol object gives a rectangle, it walks to places in that rectangle widened by its
/// margin and, standing inside, heads back toward the middle. Without a usable rectangle it
/// turns once into a plain walker. A vehicle's touch makes it keep its back to the vehicle for
/// 250 ms, as an avoider does.
class DGuard : public Dweeble {
public:
    static constexpr uint32_t kClassId = 2460;
    static constexpr int32_t kAvoidMs = 250;

    DGuard(const char* name = "DGuard", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// The character's step, then the avoid mode: back to the vehicle, and its end in state 0.
    int32_t OnIdle() override;
    /// Hidden: 0. A vehicle: the running state (acting, with a running routine) or held (not
    /// acting), avoid mode, pushed (16) or, near the map's edge, refused (1). Anything else
    /// starts an action (unless acting) and is refused.
    int32_t OnContact(TLV_Object* other) override;
    /// Action frames 7-9 for the second vehicle of the town's pair, else 7-8.
    void SetActionFrames(uint8_t secondVehicle) override;
    /// A patrol target in the widened rectangle, a step beside the guard when the way there is
    /// blocked; without a usable rectangle the guard becomes a plain walker.
    void PickRandomHeading(int32_t state) override;
    /// Inside the rectangle toward its middle; in a world the first free step of a random
    /// search, else toward the map's centre.
    void ChooseHeading(int32_t state) override;

    /// The prop whose rectangle is guarded (not owned).
    void SetPen(OActivityProp* patrolObject) { patrolObject_ = patrolObject; }
    OActivityProp* GetPen() const { return patrolObject_; }
    void SetMargin(int16_t margin) { margin_ = margin; }
    int16_t GetMargin() const { return margin_; }
    /// Drops every hold on a prop that is going away.
    void ForgetProp(const OActivityProp* prop);

    bool IsAvoiding() const { return avoid_.IsAvoiding(); }
    const DweebleStateTimer& GetAvoidTimer() const { return avoid_.GetTimer(); }
    const OActivityProp* GetAvoidedVehicle() const { return avoid_.GetVehicle(); }

private:
    /// Standing frame 11 when the part has more than eleven states.
    void StandOnPatrolFrame();
    /// Walking frames 1-3, standing frame 10, the default speeds and distances, state 0.
    void BecomeWalker();
    /// The world's way test with the top band open and the vehicle counted.
    bool IsWayOpen(const CPointF& from, const CPointF& to);
    /// A random direction whose look-ahead step the world lets pass; -1 when none does.
    int32_t FreeStepDirection(int32_t state, const CPointF& from);

    OActivityProp* patrolObject_ = nullptr;
    int16_t margin_ = 0;
    CAvoidMode avoid_{kAvoidMs};
    CCharacterWorld::Obstacles nearby_;
    CDynArray<int32_t> candidates_;
};
