#pragma once
#include <cstdint>

#include "game/shell/TLVObject.h"

class CPartFile;
class OActivity;
class PBeam;

/// The zoo's spot-light beam ("PBeam", class 2310): made beside the vehicle for its fitting
/// (part, shift and sound by the selected-vehicle value), attached so that it moves and turns
/// with it, switched on by the action key. The owner takes it off the vehicle and out of the
/// world, and deletes it.
class CZooBeam {
public:
    CZooBeam() = default;
    CZooBeam(const CZooBeam&) = delete;
    CZooBeam& operator=(const CZooBeam&) = delete;
    ~CZooBeam() { Remove(); }

    /// Makes the beam in the world at the vehicle, in state 1, hidden until switched on; the
    /// hook gets each frame's lit props. False (and no beam) for a vehicle value without a
    /// fitting, or when the beam cannot be made.
    bool Make(OActivity& world, CPartFile* file, OActivityProp& vehicle, uint16_t vehicleValue, TLV_Object::FrameHook hook);
    /// Switches a hidden beam on in step with the vehicle; false when it is on already or there
    /// is none.
    bool SwitchOn();
    /// Detaches the beam from the vehicle, removes it from the world and deletes it.
    void Remove();

    PBeam* Get() const { return beam_; }

private:
    PBeam* beam_ = nullptr;
    OActivityProp* vehicle_ = nullptr;
    OActivity* world_ = nullptr;
};
