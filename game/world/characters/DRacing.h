#pragma once
#include <cstdint>

#include "game/world/characters/Dweeble.h"

class CRaceCourse;

/// A character at the verge of a road race ("DRacing", class id 2480): it waits at the verge,
/// walks across when the vehicle comes near, runs when it is close or touched, and flies off
/// spinning when a shot hits it. Only the race's pool makes one; its routines, frames and
/// speeds are the circus race's or the zoo race's, by the race's world (the city's are the
/// zoo's).
class DRacing : public Dweeble {
public:
    static constexpr uint32_t kClassId = 2480;
    static constexpr uint16_t kZooWorld = 1;
    static constexpr uint16_t kCityWorld = 2;
    /// The city's crooks run as the zoo's monkeys do and drop once, their loot or a token.
    static bool DropsOnce(uint16_t world) { return world == kZooWorld || world == kCityWorld; }

    explicit DRacing(CRaceCourse* course);

    bool IsA(uint32_t classId) const override;
    /// A vehicle: state 9 when routed, and always a push (16). A shot: the hit (state 6) unless
    /// an action frame shows or (in the zoo) the item was dropped; answers 1. Else 0.
    int32_t OnContact(TLV_Object* other) override;
    void SetActionFrames(uint8_t variant) override;
    /// True when the target lies below the character, else the base test.
    bool HasPassedTarget() override;

    CRaceCourse* GetCourse() const { return course_; }
    int32_t GetSide() const { return side_; }
    void SetSide(int32_t side) { side_ = side; }
    uint8_t IsRunning() const { return running_; }
    void SetRunning(uint8_t on) { running_ = on; }
    uint8_t HasDropped() const { return dropped_; }
    void SetDropped(uint8_t on) { dropped_ = on; }
    uint8_t GetSideFlag() const { return sideFlag_; }
    void SetSideFlag(uint8_t on) { sideFlag_ = on; }

    // ---- Terms the routines share -----------------------------------------------------------
    /// Whether the point, in whole pixels, lies inside the race's window shrunk by 1.
    bool IsOnRaceStage(const CPointF& p);
    /// Not shown through its parents.
    bool IsHidden() const { return !IsShownThroughParents(); }
    /// Sets a target across the road in state `state` by the side; false when the side is
    /// undecided (the caller's fallback then runs).
    bool CrossBySide(int32_t state);
    /// A target the other way along the road.
    void Reverse();
    /// Leaves the race: retired and removed when still live, then state 0 (traced).
    void TakeOut();
    /// The vertical distance to the vehicle; false without one.
    bool VehicleGap(const CPointF& p, float* gap);
    float VehicleY();

private:
    CRaceCourse* course_;
    int32_t side_ = -1;
    uint8_t running_ = 0;
    uint8_t dropped_ = 0;
    uint8_t sideFlag_ = 0;
};

/// The routines of the racers, by state group (see DRacing).
void DRacing_CircusRoutine(Dweeble* d);
void DRacing_ZooRoutine(Dweeble* d);
/// The hit (states 6-8): the flight up and away and the end of its action.
void DRacing_HitRoutine(Dweeble* d);
