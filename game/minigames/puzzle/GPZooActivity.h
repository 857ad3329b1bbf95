#pragma once
#include <cstdint>

#include "game/minigames/puzzle/CGPuzzle.h"

class PBeam;

/// The track-turning puzzle of the zoo ("GPZoo_Activity"): the vehicle carries a spot light
/// that comes on when it reaches a person and, once the person is picked up, shines on for its
/// flight time with its sound; the people it lights on tiles joining the vehicle's start.
class GPZoo_Activity : public CGPuzzle {
public:
    static constexpr uint32_t kClassId = puzzle_towns::kZoo.classId;
    static constexpr int32_t kLightMadePriority = 30000;
    static constexpr int32_t kLightShownPriority = 17500;
    static constexpr int32_t kLightState = 3;

    GPZoo_Activity(const char* name = "GPZoo_Activity", uint32_t classId = kClassId);
    int32_t OnActivated() override;
    /// The light's hits, then the puzzle's frame.
    int32_t OnIdle() override;
    /// The light goes, then the puzzle stops.
    int32_t FlushSoundQueues() override;
    void Speak(int32_t line) override;
    void OnPersonReached(OActivityProp* person) override;
    void OnPersonRemoved(OActivityProp* person) override;

    PBeam* GetSpotLight() const { return light_; }

private:
    /// The light on the vehicle, made once; none (traced) without a vehicle or its art.
    void MakeSpotLight();
    void RemoveSpotLight();
    void TestLightHits();

    PBeam* light_ = nullptr;
};
