#pragma once
#include <cstdint>

#include "engine/base/Rect.h"

class Fire;
class TLV_Object;

/// What the game's props ask of the driving world they stand in. The worlds live in a module
/// above this one, so a world answers through its game activity (CTLVActivity::GetWorldLink);
/// every other activity has none.
class CWorldLink {
public:
    virtual ~CWorldLink() = default;

    /// The part of the map the stage shows: the scroll origin and the size of the view.
    virtual CRect16 GetVisibleRect() = 0;
    /// A fire that is out asks to be lit again (the base world leaves it out).
    virtual void OnFireRelit(Fire* fire) = 0;
    /// Whether the rectangle, its top raised by `offset`, overlaps the world's map.
    virtual bool RectInMap(const CRect16& rect, int16_t offset) = 0;
    /// The player's vehicle, null while the world has none.
    virtual TLV_Object* GetVehicle() = 0;
    /// How far below the vehicle's position its ground point lies.
    virtual int16_t GetVehicleGroundOffset() = 0;
    /// Whether the prop is one of the world's mission targets (only the city has them).
    virtual bool IsMissionDestructible(const TLV_Object* prop) = 0;
    /// One more mission target was destroyed.
    virtual void OnMissionPropDestroyed() = 0;
};
