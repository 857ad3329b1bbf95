#pragma once
#include <cstdint>

#include "engine/base/Point.h"

class OActivityProp;

/// What a racing character asks of the road race it stands in: the race's world, its vehicle,
/// scroll and width, its live list, and the drops and effects its hits make.
class CRaceCourse {
public:
    virtual ~CRaceCourse() = default;

    /// World index of the race (0 circus town, 1 zoo, 2 city).
    virtual uint16_t GetRaceWorld() const = 0;
    /// The player's vehicle; null while there is none.
    virtual OActivityProp* GetRaceVehicle() = 0;
    /// The whole part of the scroll speed.
    virtual int32_t GetScrollSpeed() = 0;
    /// The window's origin on the background (whole pixels).
    virtual CPoint16 GetScrollOrigin() = 0;
    /// The width of the race's stage.
    virtual int32_t GetRaceWidth() = 0;

    virtual bool IsLive(OActivityProp* prop) = 0;
    virtual bool RetireObject(OActivityProp* prop, bool hide) = 0;
    virtual void RemoveObject(OActivityProp* prop) = 0;

    /// The race's effect where a racer was hit (the circus).
    virtual void MakeRacerEffect(const CPointF& at) = 0;
    /// The pickup and the random item a racer drops (the zoo).
    virtual void DropPickup(const CPointF& at) = 0;
    virtual void DropRandomItem(const CPointF& at) = 0;
};
