#pragma once
#include <cstdint>

#include "game/world/characters/Dweeble.h"

/// The loose animal of a round-up ("DRoundUp", class id 2500): it roams and shies from the
/// vehicle, heads back to the middle of the map near its edges, may not walk across the
/// vehicle's track (the round-up's move test refuses such steps) and, once the round-up has
/// caught it inside a loop of the track, plays its caught frame, retires and lets the round-up
/// check whether any animal is left.
class DRoundUp : public Dweeble {
public:
    static constexpr uint32_t kClassId = 2500;
    static constexpr int32_t kBumpMs = 250;
    static constexpr int32_t kCaughtFrame = 5;
    static constexpr int32_t kCaughtState = 12;
    static constexpr int32_t kBumpedState = 15;
    static constexpr ChunkId kBumpVoice = MakeChunkId(7, 189);

    DRoundUp(const char* name = "DRoundUp", uint32_t classId = kClassId);

    bool IsA(uint32_t classId) const override;
    /// Caught: the caught frame and the motion only. Else the character's step, out of any
    /// solid prop it ended in, the back kept to the bumping vehicle, and the bump's end
    /// (state 0).
    int32_t OnIdle() override;
    /// The caught frame's end: hidden, retired and the round-up's end check (once).
    int32_t OnAnimationEnd() override;
    /// 0 once caught (or held in states 12-14); 1 to anything but a vehicle (which starts an
    /// action); a vehicle bumps it: the voice once per bump, state 15, pushed (16) or, at the
    /// map's edge, refused (1).
    int32_t OnContact(TLV_Object* other) override;
    /// The caught animal keeps the draw priority the catch gave it.
    void UpdateZOrder() override;
    void SetActionFrames(uint8_t variant) override;
    void PickRandomHeading(int32_t state) override;
    /// In a round-up: to the middle near the map's edge or off the map, else a random step the
    /// round-up's move test allows.
    void ChooseHeading(int32_t state) override;
    /// In a round-up the edge and off-map rules first; false when every way is blocked and
    /// the heading is kept.
    bool SteerAlongHeading(int32_t state, OActivityProp* matchObject, int32_t extra = 0) override;

    /// The round-up's catch: the caught group, stopped on a standing frame, shadow hidden,
    /// drawn on top, marked caught.
    void Catch();
    bool IsCaught() const { return caught_ != 0; }
    bool IsBumped() const { return bumped_ != 0; }
    const DweebleStateTimer& GetBumpTimer() const { return bumpTimer_; }
    const OActivityProp* GetBumpingVehicle() const { return bumpingVehicle_; }
    /// Drops its hold on a vehicle that is going away.
    void ForgetProp(const OActivityProp* prop);

private:
    /// An animal the world finds inside a solid prop (placed there, or pushed or walked into
    /// it) is put out where the world says, and that place is its last accepted one.
    void LeaveSolid();
    CPointF CentreOffset(const CPointF& from);
    /// FindFreeDirection from `d`, then at half speed in the second mode; the heading found.
    bool FreeOrSlower(int32_t state, int32_t d, int32_t* heading);

    uint8_t bumped_ = 0;
    int32_t caughtFrame_ = kCaughtFrame;
    DweebleStateTimer bumpTimer_;
    OActivityProp* bumpingVehicle_ = nullptr;
    uint8_t caught_ = 0;
    uint8_t gone_ = 0;
};
