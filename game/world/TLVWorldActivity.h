#pragma once
#include <cstdint>

#include "game/shell/TLVActivity.h"
#include "game/shell/WorldLink.h"

/// The base of the driving worlds ("TLVWorld_Activity", class id 201), so far what the game's
/// props ask of it: the part of the map the stage shows, whether a rectangle lies on the map,
/// no vehicle yet and no fires to light again. The worlds fill in the rest.
class TLVWorld_Activity : public CTLVActivity, public CWorldLink {
public:
    static constexpr uint32_t kClassId = 201;

    TLVWorld_Activity(const char* name = "TLVWorld_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    CWorldLink* GetWorldLink() override { return this; }

    /// The scroll origin and the stage's size.
    CRect16 GetVisibleRect() override;
    void OnFireRelit(Fire* /*fire*/) override {}
    /// By overlap with the map (the background's size from the origin).
    bool RectInMap(const CRect16& rect, int16_t offset) override;
    TLV_Object* GetVehicle() override { return nullptr; }
    int16_t GetVehicleGroundOffset() override { return 0; }
    bool IsMissionDestructible(const TLV_Object* /*prop*/) override { return false; }
    void OnMissionPropDestroyed() override {}

    /// The whole map: the origin and the background's size.
    CRect16 GetMapRect();
};
