#pragma once
#include <cstdint>

#include "engine/base/Point.h"
#include "engine/data/ChunkId.h"
#include "game/world/TLVWorldActivity.h"

/// The circus town ("WToon_Activity", class id 500): the driving world under its own name and
/// id, driven with the circus vehicle the player chose in the garage.
class WToon_Activity : public TLVWorld_Activity {
public:
    static constexpr uint32_t kClassId = 500;
    /// The town's block of the player record.
    static constexpr int kWorld = 0;
    /// Where a vehicle goes when the record holds no position of the town (0, 0).
    static constexpr CPoint16 kStartPosition{3672, 592};
    static constexpr int32_t kStartHeading = 12;

    /// What each circus vehicle (the garage's values 0 and 1) drives with.
    struct VehicleStart {
        uint16_t vehicle;
        ChunkId part;
        ChunkId light;
        float speed;
        float normalSpeed;
        float sirenSpeed;
    };
    /// The start of a vehicle value; null for a value that is not a circus vehicle.
    static const VehicleStart* FindVehicleStart(uint16_t vehicle);

    WToon_Activity(const char* name = "WToon_Activity", uint32_t classId = kClassId);
    bool IsA(uint32_t classId) const override;
    /// The chosen vehicle's part, the world's start, then the vehicle placed and fitted out.
    int32_t OnActivated() override;

    const CPoint16& GetStartPosition() const { return startPosition_; }
    int32_t GetStartHeading() const { return startHeading_; }

private:
    /// Puts the vehicle at the stored position (or the start) and gives it light, speed,
    /// shadow, variant and its first way point.
    void SetUpVehicle(const VehicleStart& start);

    CPoint16 startPosition_;
    int32_t startHeading_ = 0;
};
