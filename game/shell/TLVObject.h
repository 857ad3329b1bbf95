#pragma once
#include <cstdint>

#include "engine/core/ActivityProp.h"

/// The base of every prop the game defines ("TLV_Object", class id 1100): an optional shadow
/// drawn just below it and an optional overlay that takes over its draw order and its
/// collisions (both made from the entries its part names), a draw priority that grows with the
/// vertical position, one collision body for every hit test, a place in a chain of objects,
/// and the four properties of family 1100. Its state sound follows its place from left to
/// right.
class TLV_Object : public OActivityProp {
public:
    static constexpr uint32_t kClassId = 1100;
    /// The class of every vehicle: the head of a chain of followers.
    static constexpr uint32_t kVehicleClassId = 2000;
    /// Property family 1100: the two z biases (32 bits each), solid and listed (a byte each).
    enum : uint32_t { kPropZBias = 1, kPropOverlayZBias = 2, kPropSolid = 3, kPropListed = 4 };
    /// What the worlds and games call each frame while a moving object is shown.
    using FrameHook = bool (*)(TLV_Object* object);

    TLV_Object(const char* name = "TLV_Object", uint32_t classId = kClassId);
    /// Leaves its chain and deletes its shadow and overlay.
    ~TLV_Object() override;

    bool IsA(uint32_t classId) const override;
    /// Family 1100 stored or reported; every message then goes on to the engine prop.
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// Refresh, once the properties are loaded: the shadow, then the draw priority; 1.
    int32_t OnPropertiesLoaded() override;
    /// Objects of activity data load their part after their properties: the shadow their part
    /// names is made then (with the priority it needs).
    void OnPartLoaded() override;
    /// The shadow and the overlay take the state too, when their parts have more than one.
    void SetState(int32_t index) override;
    /// Hides the object first when it is to hide at the end of its animation.
    int32_t OnAnimationEnd() override;

    /// Euclidean distance from the object's position to the point.
    virtual double DistanceTo(const CPointF& point);
    /// Makes the shadow that part value 1 names, when there is none yet.
    virtual void CreateShadow();
    /// Makes (again) the overlay that part value 2 names.
    virtual void CreateOverlay();
    /// Told by game code that a hit test with `other` succeeded; answers what happened as bits
    /// that the caller reads (none here).
    virtual int32_t OnContact(TLV_Object* other);
    /// Whether the collision body overlaps the prop; never for the object itself.
    virtual bool HitsProp(OActivityProp* prop, CPoint16* out);
    /// Whether the collision bodies of the two objects overlap; never for the object itself.
    virtual bool HitsObject(TLV_Object* other, CPoint16* out);
    /// Whether the point lies in front of (below, on the stage) the overlay's base line, which
    /// the overlay part's values 1 to 3 describe; false without an overlay.
    virtual bool IsInFrontOfOverlay(const CPoint16& point);
    /// Priority 5 x (vertical position + z bias), taken from the overlay when there is one;
    /// the shadow one below.
    virtual void UpdateZOrder();

    /// Remove the child from its parent and the object's attached views and delete it.
    void DeleteShadow();
    void DeleteOverlay();
    /// Places the overlay again, after the object moved.
    void UpdateChildren();
    /// Moves the object out of its chain to directly behind `other`.
    void LinkAfter(TLV_Object* other);
    /// Leaves the chain, joining the neighbours.
    void Unlink();
    /// The first object of the chain, which carries the others (the object itself when it is
    /// in none, or when a vehicle leads the chain).
    TLV_Object* ChainHead();
    /// Whether the collision body meets the segment (a point when both ends are equal).
    bool HitsSegment(const CPoint16& a, const CPoint16& b);

    // Second names.
    void SetChildFrame(int32_t index) { SetState(index); }
    OActivityProp* GetGroundRef() const { return collisionBody_; }

    OActivityProp* GetShadow() const { return shadow_; }
    OActivityProp* GetOverlay() const { return overlay_; }
    OActivityProp* GetCollisionBody() const { return collisionBody_; }
    TLV_Object* GetPrevious() const { return previous_; }
    TLV_Object* GetNext() const { return next_; }
    uint8_t GetOverlayPlacement() const { return overlayPlacement_; }
    void SetOverlayPlacement(uint8_t fixedOffset) { overlayPlacement_ = fixedOffset; }
    FrameHook GetFrameHook() const { return frameHook_; }
    void SetFrameHook(FrameHook hook) { frameHook_ = hook; }
    void SetTouchHook(FrameHook hook) { SetFrameHook(hook); }
    int32_t GetZBias() const { return zBias_; }
    void SetZBias(int32_t bias) { zBias_ = bias; }
    int32_t GetOverlayZBias() const { return overlayZBias_; }
    void SetOverlayZBias(int32_t bias) { overlayZBias_ = bias; }
    uint8_t IsSolid() const { return solid_; }
    uint8_t IsListed() const { return listed_; }
    uint8_t GetHideAtAnimationEnd() const { return hideAtAnimationEnd_; }
    void SetHideAtAnimationEnd(uint8_t on) { hideAtAnimationEnd_ = on; }

private:
    class ChildProp;

    /// A new shadow or overlay from the entry of the part index, or null when the game's part
    /// file lacks it.
    ChildProp* MakeChild(uint16_t entry);
    /// A shadow or overlay that is being deleted (by its parent too) is forgotten.
    void ForgetChild(const OActivityProp* child);
    /// Deletes a shadow or overlay the object no longer holds.
    void DeleteChild(OActivityProp* child);
    /// The body after a child went: the overlay, else the shadow, else the object.
    void ResetCollisionBody();
    void PlaceOverlay();

    /// Both are ChildProps.
    OActivityProp* shadow_ = nullptr;
    OActivityProp* overlay_ = nullptr;
    OActivityProp* collisionBody_ = this;
    uint8_t overlayPlacement_ = 0;
    FrameHook frameHook_ = nullptr;
    int32_t zBias_ = 0;
    int32_t overlayZBias_ = 0;
    uint8_t solid_ = 0;
    uint8_t listed_ = 0;
    TLV_Object* previous_ = nullptr;
    TLV_Object* next_ = nullptr;
    uint8_t hideAtAnimationEnd_ = 0;
};
