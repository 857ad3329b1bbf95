#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "game/shell/TLVActivity.h"

class Navigation_Prop;
class OActivityProp;
class Vehicle_Select_Button;
class Vehicle_Select_Drive;

/// The garage ("VehicleSelect_Activity", class id 310): the player picks one of six vehicles,
/// two a world, the second locked until the world's mission 2 was finished once, and drives
/// off. Going to a world is a sequence: the navigation buttons fade (500 ms), the world's
/// picture plays, the vehicle drives out with its engine looping on pipe 3, the screen fades
/// (1500 ms, the engine's volume following) and only then the world is requested. The screen
/// fade starts at the latest 5 s after go, so missing art never strands the player. Back to
/// the sign-in and to a certificate screen leave at once.
class VehicleSelect_Activity : public CTLVActivity {
public:
    static constexpr uint32_t kClassId = 310;
    static constexpr int kVehicles = 6;
    static constexpr int kLines = 24;
    static constexpr int32_t kButtonFadeMs = 500;
    static constexpr int32_t kScreenFadeMs = 1500;
    /// The latest the screen fade starts after go.
    static constexpr uint32_t kLeaveTimeoutMs = 5000;
    static constexpr uint32_t kHintMs = 10000;
    static constexpr int32_t kEngineRate = 11025;
    /// Object ids of the world pictures (circus town, zoo, city).
    static constexpr uint32_t kFirstPictureId = 10;
    static constexpr ChunkId kFadePart = MakeChunkId(2, 1139);

    VehicleSelect_Activity(const char* name = "VehicleSelect_Activity", uint32_t classId = kClassId);
    ~VehicleSelect_Activity() override;

    bool IsA(uint32_t classId) const override;
    int32_t OnIdle() override;
    int32_t OnActivated() override;
    int32_t FlushSoundQueues() override;
    bool AcceptObject(OView* object) override;
    bool MayNavigate(uint16_t target) override;
    void OnButtonHover(uint32_t objectId) override;
    void OnKey(uint32_t key) override;

    /// Selects the vehicle of the button (values above 5 are ignored); with `speak` the go
    /// button flashes and the vehicle's name is spoken.
    void SelectVehicle(Vehicle_Select_Button* button, uint16_t value, bool speak);
    void SpeakLine(int n);
    /// Shows the fade prop at the current fade frame and starts the screen fade (once).
    void StartScreenFade();
    Vehicle_Select_Drive* FindDriveProp(uint16_t value) const;

    /// The fade frame for the screen fade's elapsed time: 255 at the start, 0 at its end.
    static int32_t ScreenFadeFrame(uint32_t elapsedMs);
    /// The fade frame for the button fade's elapsed time: 0 at the start, 255 at its end.
    static int32_t ButtonFadeFrame(uint32_t elapsedMs);

    int32_t GetSelectedValue() const { return selectedValue_; }
    Vehicle_Select_Button* GetSelectedButton() const { return selectedButton_; }
    Navigation_Prop* GetGoButton() const { return goButton_; }
    const std::vector<Vehicle_Select_Button*>& GetButtons() const { return buttons_; }
    OActivityProp* GetFadeProp() const { return fadeProp_; }
    /// The world picture that the leave sequence shows for the world; null when the data has none.
    OActivityProp* GetWorldPicture(int world) const;
    ChunkId GetEngineSound() const { return engineSound_; }
    int32_t GetFadeFrame() const { return fadeFrame_; }
    uint8_t IsLeaving() const { return leaving_; }
    uint8_t IsDriving() const { return driving_; }
    const CTimerRec& GetButtonFade() const { return buttonFade_; }
    const CTimerRec& GetScreenFade() const { return screenFade_; }
    void SetPictureVariant(int variant) { pictureVariant_ = variant & 1; }

private:
    /// One world's go destination from the go button's target; -1 for none.
    static int WorldOf(uint16_t target);
    void ButtonFadeStep();
    void ScreenFadeStep();
    void DriveStep();
    void LockUpgrades();
    /// The three navigation buttons (those there are).
    std::vector<Navigation_Prop*> NavigationButtons() const;
    void StartLeaving(uint16_t target);

    int32_t selectedValue_ = -1;
    Vehicle_Select_Button* selectedButton_ = nullptr;
    Navigation_Prop* goButton_ = nullptr;
    Navigation_Prop* backButton_ = nullptr;
    Navigation_Prop* certificateButton_ = nullptr;
    std::vector<Vehicle_Select_Button*> buttons_;
    std::vector<Vehicle_Select_Drive*> drives_;
    std::vector<OActivityProp*> pictures_[3];
    OActivityProp* fadeProp_ = nullptr;
    ChunkId engineSound_;
    int pictureVariant_ = 0;
    uint8_t leaving_ = 0;
    uint8_t driving_ = 0;
    uint8_t screenFadeStarted_ = 0;
    int32_t fadeFrame_ = 255;
    CTimerRec buttonFade_;
    CTimerRec screenFade_;
    CTimerRec leaveTimer_;
};
