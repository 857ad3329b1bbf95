// The driving world's input: the driving modes and their step each frame (the sixteen absolute
// directions, the mouse twins, the exit drive), the key handler with the tuning keys, the
// information overlay's text, the press on the world and the pause of the world's clocks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/core/ActivityManager.h"
#include "engine/core/Cursor.h"
#include "engine/core/Event.h"
#include "engine/core/Window.h"
#include "engine/media/TextView.h"
#include "game/world/TLVWorldActivity.h"
#include "game/world/vehicles/VIsometric.h"
#include "game/world/vehicles/VehicleHeadings.h"
#include "platform/Platform.h"

namespace {

// Virtual-key codes.
constexpr uint32_t kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
constexpr uint32_t kKeyI = 'I', kKeyO = 'O', kF10 = 0x79;
constexpr uint32_t kAdd = 0x6B, kOemPlus = 0xBB, kSubtract = 0x6D, kOemMinus = 0xBD;
constexpr uint32_t kOemOpen = 0xDB, kOemClose = 0xDD, kOemSemicolon = 0xBA, kOemQuote = 0xDE;
constexpr uint32_t Pad(int n) { return 0x60u + uint32_t(n); }

constexpr ChunkId kLeaveTarget = MakeChunkId(1, 5);
constexpr float kSpeedStep = 25.0f, kMinSpeed = 100.0f, kMaxSpeed = 300.0f;
constexpr double kAccelerationStep = 0.005, kMinAcceleration = 0.005, kMaxAcceleration = 0.15;
constexpr double kDecelerationStep = 0.05, kMinDeceleration = 0.05, kMaxDeceleration = 0.25;
/// The exit drive: the approach point counts as reached within this distance, the door within
/// the second.
constexpr double kApproachReach = 25.0, kDoorReach = 60.0;

bool Held(uint32_t key) { return plat::input().AsyncKeyState(int32_t(key)) < 0; }

int16_t Round16(double v) {
    if (std::isnan(v)) return 0;
    return int16_t(std::clamp(std::lround(std::clamp(v, -1e9, 1e9)), -32768L, 32767L));
}

CPoint16 Rounded(const CPointF& point) { return CPoint16(Round16(point.x), Round16(point.y)); }

// ---- The sixteen absolute directions

/// One bit per direction key: the arrows, then keypads 1-9 (keypad 5 is never read).
enum : uint32_t { kBitDown = 1u, kBitRight = 2u, kBitUp = 4u, kBitLeft = 8u };
constexpr uint32_t PadBit(int n) { return 16u << (n - 1); }

struct Direction {
    /// The key sets that give it (exactly these keys held); 0 for none.
    uint32_t keys[2];
    int16_t dx;
    int16_t dy;
};

/// 10000 units away; across, 10000 x tan 22.5 degrees.
constexpr int16_t kFar = 10000, kNear = 4142;

constexpr Direction kDirections[16] = {
    {{PadBit(2), kBitDown}, 0, kFar},
    {{PadBit(2) | PadBit(3), 0}, kNear, kFar},
    {{PadBit(3), kBitDown | kBitRight}, kFar, kFar},
    {{PadBit(3) | PadBit(6), 0}, kFar, kNear},
    {{PadBit(6), kBitRight}, kFar, 0},
    {{PadBit(6) | PadBit(9), 0}, kFar, -kNear},
    {{PadBit(9), kBitRight | kBitUp}, kFar, -kFar},
    {{PadBit(8) | PadBit(9), 0}, kNear, -kFar},
    {{PadBit(8), kBitUp}, 0, -kFar},
    {{PadBit(7) | PadBit(8), 0}, -kNear, -kFar},
    {{PadBit(7), kBitUp | kBitLeft}, -kFar, -kFar},
    {{PadBit(4) | PadBit(7), 0}, -kFar, -kNear},
    {{PadBit(4), kBitLeft}, -kFar, 0},
    {{PadBit(1) | PadBit(4), 0}, -kFar, kNear},
    {{PadBit(1), kBitLeft | kBitDown}, -kFar, kFar},
    {{PadBit(1) | PadBit(2), 0}, -kNear, kFar},
};

/// The direction keys held now; the arrows and keypad 1 only while no heading goal turns the
/// vehicle.
uint32_t HeldDirectionKeys(bool goalActive) {
    uint32_t keys = 0;
    if (!goalActive) {
        const uint32_t arrows[4] = {kDown, kRight, kUp, kLeft};
        for (int i = 0; i < 4; ++i)
            if (Held(arrows[i])) keys |= 1u << i;
        if (Held(Pad(1))) keys |= PadBit(1);
    }
    for (int n = 2; n <= 9; ++n)
        if (n != 5 && Held(Pad(n))) keys |= PadBit(n);
    return keys;
}

/// The offset of the direction the held keys give; false for any other combination.
bool FindDirection(uint32_t keys, CPoint16* offset) {
    if (keys == 0) return false;
    for (const Direction& d : kDirections) {
        if (keys == d.keys[0] || keys == d.keys[1]) {
            *offset = CPoint16(d.dx, d.dy);
            return true;
        }
    }
    return false;
}

/// The vehicle's rounded position plus the direction of the held keys.
bool DirectionTarget(VIsometric& vehicle, CPoint16* target) {
    CPoint16 offset;
    if (!FindDirection(HeldDirectionKeys(vehicle.IsHeadingGoalActive() != 0), &offset)) return false;
    const CPoint16 at = Rounded(vehicle.GetPosition());
    *target = CPoint16(Round16(double(at.x) + offset.x), Round16(double(at.y) + offset.y));
    return true;
}

bool AnyDirectionKeyHeld() {
    for (const uint32_t key : {kLeft, kUp, kRight, kDown})
        if (Held(key)) return true;
    for (int n = 1; n <= 9; ++n)
        if (n != 5 && Held(Pad(n))) return true;
    return false;
}

// ---- Steps shared by the modes

/// Left alone turns one way, Right alone the other; both or neither stop turning.
void TurnByArrows(VIsometric& vehicle) {
    const bool goal = vehicle.IsHeadingGoalActive() != 0;
    const bool left = !goal && Held(kLeft);
    const bool right = !goal && Held(kRight);
    if (left && !right) vehicle.TurnKeyNeg();
    else if (right && !left) vehicle.TurnKeyPos();
    else vehicle.TurnKeyUp();
}

void DriveBySpace(VIsometric& vehicle) {
    if (Held(CTLVActivity::kKeySpace)) vehicle.DriveKeyPos();
    else vehicle.DriveKeyNeg();
}

void DriveByLatch(VIsometric& vehicle, int32_t latch) {
    if (latch == TLVWorld_Activity::kLatchDrive) vehicle.DriveKeyPos();
    else if (latch == TLVWorld_Activity::kLatchStop) vehicle.DriveKeyNeg();
}

bool InMotion(const VIsometric& vehicle) {
    return vehicle.GetDriveState() == VIsometric::kMoving || vehicle.GetDriveState() == VIsometric::kMovingToTarget;
}

/// A new tuning value is kept only strictly between 0 and 1; anything else becomes 1.
float TuningValue(double value) { return value > 0.0 && value < 1.0 ? float(value) : 1.0f; }

// ---- The overlay

struct ModeHelp {
    int32_t mode;
    int32_t key;
    const char* text;
};

constexpr ModeHelp kModeHelp[] = {
    {10, 1, "Move the mouse for the vehicle to follow\rPress TAB to show/hide the cursor\r"},
    {9, 2,
     "Move the mouse for the vehicle to turn\rPress and hold SPACE to go forward, release to stop\rPress TAB to "
     "show/hide the cursor"},
    {7, 3,
     "Press and hold LEFT ARROW to turn left\rPress and hold RIGHT ARROW to turn right\rOr move the mouse for the "
     "vehicle to turn\rPress SPACE to go forward and stop"},
    {8, 3,
     "Press and hold LEFT ARROW to turn left\rPress and hold RIGHT ARROW to turn right\rOr move the mouse for the "
     "vehicle to turn\rPress SPACE to go forward and stop"},
    {5, 4,
     "Press and hold LEFT ARROW to turn left\rPress and hold RIGHT ARROW to turn right\rPress and hold SPACE to go "
     "forward, release to stop"},
    {4, 5,
     "Press and hold LEFT ARROW to turn left\rPress and hold RIGHT ARROW to turn right\rPress and hold UP ARROW to "
     "accelerate\rPress and hold DOWN ARROW to decelerate"},
    {6, 6, "Press and hold ARROW or NUMPAD key(s) to move vehicle in absolute direction"},
    {0, 7,
     "Press and hold LEFT ARROW to turn left\rPress and hold RIGHT ARROW to turn right\rOr move the mouse for the "
     "vehicle to turn\rPress and hold SPACE to go forward, release to stop"},
    {1, 7,
     "Press and hold LEFT ARROW to turn left\rPress and hold RIGHT ARROW to turn right\rOr move the mouse for the "
     "vehicle to turn\rPress and hold SPACE to go forward, release to stop"},
    {2, 8,
     "Press and hold ARROW or NUMPAD key(s) to turn vehicle to absolute direction\rOr move the mouse for the "
     "vehicle to turn\rPress and hold SPACE to go forward, release to stop"},
    {3, 8,
     "Press and hold ARROW or NUMPAD key(s) to turn vehicle to absolute direction\rOr move the mouse for the "
     "vehicle to turn\rPress and hold SPACE to go forward, release to stop"},
};

const ModeHelp* FindModeHelp(int32_t mode) {
    for (const ModeHelp& help : kModeHelp)
        if (help.mode == mode) return &help;
    return nullptr;
}

/// Formats into a bounded buffer: the length, cut to what fits (always terminated).
template <class... Args>
size_t Print(char* buffer, size_t size, const char* format, Args... args) {
    if (size == 0) return 0;
    const int n = std::snprintf(buffer, size, format, args...);
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return std::min(size_t(n), size - 1);
}

} // namespace

// ---- Fields and the world's hooks ---------------------------------------------------------------

void TLVWorld_Activity::WatchDrivingKeys() {
    for (uint32_t key = '1'; key <= '8'; ++key) WatchKey(key);
    for (const uint32_t key : {kKeyI, kKeyO, kAdd, kOemPlus, kSubtract, kOemMinus, kOemOpen, kOemClose,
                               kOemSemicolon, kOemQuote, kF10})
        WatchKey(key);
}

void TLVWorld_Activity::SetInfoLine(int line, const char* text) {
    char* target = line == 0 ? infoLine1_ : line == 1 ? infoLine2_ : nullptr;
    if (!target) return;
    std::snprintf(target, kInfoLineSize, "%s", text ? text : "");
}

void TLVWorld_Activity::SetExitDrive(const CPoint16& approach, int32_t heading, OActivityProp* door,
                                     OActivityProp* second) {
    exitApproach_ = approach;
    exitHeading_ = heading;
    exitDoor_ = door;
    exitSecond_ = second;
}

void TLVWorld_Activity::ForgetExitProp(const OActivityProp* prop) {
    if (prop && exitDoor_ == prop) exitDoor_ = nullptr;
    if (prop && exitSecond_ == prop) exitSecond_ = nullptr;
}

void TLVWorld_Activity::OnStep(int32_t /*index*/) { DriveVehicle(); }

void TLVWorld_Activity::Pause() {
    actionTimer_.Pause();
    stopTimer_.Pause();
    keyTimer_.Pause();
    CTLVActivity::Pause();
    // The screen buttons on the stage rest with the world's other props under a panel.
    for (int32_t i = 0; i < screenButtons_.Count(); ++i) screenButtons_.GetAt(i)->Suspend(0);
}

void TLVWorld_Activity::Resume() {
    if (IsPanelShown(-1)) return;
    actionTimer_.Resume();
    stopTimer_.Resume();
    keyTimer_.Resume();
    CTLVActivity::Resume();
    for (int32_t i = 0; i < screenButtons_.Count(); ++i) screenButtons_.GetAt(i)->Resume(0);
}

void TLVWorld_Activity::OnMousePress() {
    if (actionTimer_.paused == 0 && actionTimer_.HasElapsed()) DoVehicleAction();
}

// ---- The input step -----------------------------------------------------------------------------

CPoint16 TLVWorld_Activity::MouseTarget() const {
    plat::WinPoint cursor = plat::input().CursorPos();
    if (OWindow* window = OWindow::Main()) cursor = plat::input().ScreenToClient(window->GetWindowId(), cursor);
    const CPointF& offset = GetScrollOffset();
    return CPoint16(Round16(double(cursor.x) + double(offset.x)), Round16(double(cursor.y) + double(offset.y)));
}

void TLVWorld_Activity::HideCursorWhileDriving() {
    if (!IsPanelShown(-1) && xCursor_HiddenState() != -1) xCursor_Show(false);
}

void TLVWorld_Activity::DriveVehicle() {
    // A key held in a mouse twin takes the mode back to its keys.
    if (drivingMode_ == 1 && (Held(kLeft) || Held(kRight))) drivingMode_ = 0;
    else if (drivingMode_ == 3 && AnyDirectionKeyHeld()) drivingMode_ = 2;
    else if (drivingMode_ == 8 && (Held(kLeft) || Held(kRight))) drivingMode_ = 7;
    // The driving keys keep the key timer counting.
    if (AnyDirectionKeyHeld() || Held(kKeySpace)) keyTimer_.Resume();
    StepDrivingMode();
    UpdateInfoText();
}

void TLVWorld_Activity::StepDrivingMode() {
    if (drivingMode_ == kMissionDoneMode) {
        UnwatchKey(kKeyAlt);
        UnwatchKey(kKeyCtrl);
        SetCursorMode(0);
    }
    auto* vehicle = dynamic_cast<VIsometric*>(vehicle_);
    if (!vehicle) return;
    VIsometric& v = *vehicle;
    CPoint16 target;
    switch (drivingMode_) {
    case 0:
    case 5:
        HideCursorWhileDriving();
        TurnByArrows(v);
        DriveBySpace(v);
        break;
    case 1:
    case 3:
    case 9:
        DriveBySpace(v);
        v.SteerToTarget(MouseTarget());
        break;
    case 2:
        DriveBySpace(v);
        HideCursorWhileDriving();
        if (DirectionTarget(v, &target)) v.SteerToTarget(target);
        else v.TurnKeyUp();
        break;
    case 4: {
        HideCursorWhileDriving();
        TurnByArrows(v);
        const bool goal = v.IsHeadingGoalActive() != 0;
        const bool up = !goal && Held(kUp);
        const bool down = !goal && Held(kDown);
        if (up && !down) v.DriveKeyPos();
        else if (down && !up) v.DriveKeyNeg();
        else v.DriveKeyUp();
        break;
    }
    case 6:
        HideCursorWhileDriving();
        if (DirectionTarget(v, &target)) v.SetTarget(target);
        else v.StopKeys();
        break;
    case 7:
        HideCursorWhileDriving();
        TurnByArrows(v);
        DriveByLatch(v, spaceLatch_);
        break;
    case 8: {
        target = MouseTarget();
        DriveByLatch(v, spaceLatch_);
        if (!v.GetSteerToTarget() && !v.IsHeadingGoalActive() &&
            CanMoveTo(v.GetPosition(), CPointF(target.x, target.y), 1, 1))
            v.SetSteerToTarget(1);
        if (spaceLatch_ == kLatchDrive) {
            v.SetTarget(target);
            if (!InMotion(v) && !v.IsHeadingGoalActive()) v.SteerToTarget(target);
        } else {
            v.SteerToTarget(target);
        }
        break;
    }
    case 10:
        // The pointer waits while the vehicle turns in place toward free space: a target set
        // each frame restarts the turn's timer, so the turn would never end. Self-steering,
        // which that escape switches off, comes back once the way to the pointer is free.
        if (v.IsHeadingGoalActive()) break;
        target = MouseTarget();
        if (!v.GetSteerToTarget() && CanMoveTo(v.GetPosition(), CPointF(target.x, target.y), 1, 1))
            v.SetSteerToTarget(1);
        v.SetTarget(target);
        break;
    case kNoDriving:
        StepExitDrive();
        break;
    case kMissionDoneMode:
        if (InMotion(v)) v.Halt();
        break;
    default:
        break; // no such mode: nothing drives
    }
}

void TLVWorld_Activity::StepExitDrive() {
    auto* vehicle = dynamic_cast<VIsometric*>(vehicle_);
    // Once the garage is asked for, the drive is over: the world is about to be left.
    if (!vehicle || exitRequested_) return;
    VIsometric& v = *vehicle;
    CPoint16 door = exitApproach_;
    if (exitDoor_ && exitSecond_) {
        exitDoor_->SetState(1);
        exitSecond_->SetVisible(1, 1);
        const CPoint16 at = Rounded(exitDoor_->GetPosition());
        const CPointF point = exitDoor_->GetFramePoint(exitDoor_->GetState(), exitDoor_->GetCurrentFrame());
        door = CPoint16(Round16(double(at.x) + point.x), Round16(double(at.y) + point.y));
    }
    const CPoint16 at = Rounded(v.GetPosition());
    const CPoint16 goal = exitFlag_ ? door : exitApproach_;
    const double vx = double(goal.x) - at.x, vy = double(goal.y) - at.y;
    const double length = std::sqrt(vx * vx + vy * vy);
    // The heading, not the state: a vehicle of state group 1 must reach its goal too.
    const int32_t h = v.Heading();
    if (!exitFlag_) {
        if (length > kApproachReach) {
            const int32_t d = xHeading_Nearest(float(vx), float(vy)) - h;
            if ((d > 1 && d < 16) || d <= -16) {
                v.TurnKeyNeg();
            } else if ((d > -16 && d < -1) || d >= 16) {
                v.TurnKeyPos();
            } else {
                v.TurnKeyUp();
                v.DriveKeyPos();
            }
            return;
        }
        if (InMotion(v)) v.StopKeys();
    }
    const int32_t d = xVehicle_HeadingOf(exitHeading_) - h;
    if ((d > 0 && d < 16) || d <= -16) {
        v.TurnKeyNeg();
        return;
    }
    if ((d < 0 && d > -16) || d >= 16) {
        v.TurnKeyPos();
        return;
    }
    v.TurnKeyUp();
    if ((exitFlag_ && length < kDoorReach) || !v.IsOnScreen()) {
        exitFlag_ = 0;
        exitRequested_ = 1;
        v.Halt();
        if (OActivityManager* manager = GetActivityManager()) manager->RequestActivity(kLeaveTarget);
    } else {
        exitFlag_ = 1;
        v.SetTouchHook(nullptr); // it drives through whatever stands in the doorway
        v.DriveKeyPos();
    }
}

// ---- Keys and the mouse ------------------------------------------------------------------------

void TLVWorld_Activity::OnKey(uint32_t key) {
    auto* vehicle = dynamic_cast<VIsometric*>(vehicle_);
    const int32_t mode = drivingMode_;
    switch (key) {
    case kKeySpace:
        if (mode == 7 || mode == 8) {
            stopTimer_.Resume();
            keyTimer_.Resume();
            if (spaceLatch_ == kLatchStop) {
                spaceLatch_ = kLatchDrive;
            } else if (spaceLatch_ == kLatchDrive) {
                stopTimer_.Restart();
                spaceLatch_ = kLatchStop;
            }
        }
        break;
    case '1': drivingMode_ = 10; break;
    case '2': drivingMode_ = 9; break;
    case '3':
        if (mode != 7 && mode != 8) {
            drivingMode_ = 7;
            stopTimer_.Restart();
            spaceLatch_ = kLatchStop;
        }
        break;
    case '4': drivingMode_ = 5; break;
    case '5': drivingMode_ = 4; break;
    case '6': drivingMode_ = 6; break;
    case '7':
        if (mode != 0 && mode != 1) drivingMode_ = 0;
        break;
    case '8':
        if (mode != 2 && mode != 3) drivingMode_ = 2;
        break;
    case kKeyI:
        if (infoView_) {
            if (infoView_->IsShownThroughParents()) {
                infoView_->SetVisible(0, 1);
            } else {
                infoView_->SetVisible(1, 1);
                UpdateInfoText();
            }
            infoView_->Invalidate();
        }
        break;
    case kKeyO: CycleInfoColour(); break;
    case kAdd:
    case kOemPlus:
        if (vehicle) vehicle->SetSpeed(std::min(vehicle->GetTopSpeed() + kSpeedStep, kMaxSpeed));
        break;
    case kSubtract:
    case kOemMinus:
        if (vehicle) vehicle->SetSpeed(std::max(vehicle->GetTopSpeed() - kSpeedStep, kMinSpeed));
        break;
    case kOemOpen:
        if (vehicle)
            vehicle->SetAccelerationStep(
                TuningValue(std::max(double(vehicle->GetAccelerationStep()) - kAccelerationStep, kMinAcceleration)));
        break;
    case kOemClose:
        if (vehicle)
            vehicle->SetAccelerationStep(
                TuningValue(std::min(double(vehicle->GetAccelerationStep()) + kAccelerationStep, kMaxAcceleration)));
        break;
    case kOemSemicolon:
        if (vehicle)
            vehicle->SetDecelerationStep(
                TuningValue(std::max(double(vehicle->GetDecelerationStep()) - kDecelerationStep, kMinDeceleration)));
        break;
    case kOemQuote:
        if (vehicle)
            vehicle->SetDecelerationStep(
                TuningValue(std::min(double(vehicle->GetDecelerationStep()) + kDecelerationStep, kMaxDeceleration)));
        break;
    case kF10:
        if ((mode == 1 || mode == 3 || mode == 8 || mode == 9 || mode == 10) && !IsPanelShown(-1))
            xCursor_Show(xCursor_HiddenState() != 0);
        break;
    default:
        break;
    }
    CTLVActivity::OnKey(key);
}

void TLVWorld_Activity::OnWorldMouseMove(const xEvent& /*event*/) {
    const bool turning = Held(kLeft) || Held(kRight);
    if (drivingMode_ == 0 && !turning) drivingMode_ = 1;
    else if (drivingMode_ == 2 && !AnyDirectionKeyHeld()) drivingMode_ = 3;
    else if (drivingMode_ == 7 && !turning) drivingMode_ = 8;
}

// ---- The overlay -------------------------------------------------------------------------------

size_t TLVWorld_Activity::FormatInfoText(char* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    char speed[kInfoLineSize * 2] = "";
    if (const auto* vehicle = dynamic_cast<const VIsometric*>(vehicle_)) {
        const double top = double(vehicle->GetTopSpeed());
        Print(speed, sizeof speed,
              "Current vehicle speed: %3d pixels/sec\rMax vehicle speed: %3d pixels/sec (lower '-' / higher '+')\r"
              "Acceleration: %.1lf %% (lower '[' / higher ']')\rDeceleration: %.1lf %% (lower '<' / higher '>')\r",
              int(std::clamp(top * double(vehicle->GetThrottle()), -1e9, 1e9)), int(std::clamp(top, -1e9, 1e9)),
              double(vehicle->GetAccelerationStep()) * 100.0, double(vehicle->GetDecelerationStep()) * 100.0);
    }
    static constexpr char kHead[] =
        "Press I to hide/show this info, O to change the text color of this info\r%sPress T to hide/show target "
        "circle\rPress ALT or click mouse to shoot\r%s";
    char head[kInfoTextSize];
    Print(head, sizeof head, kHead, infoLine1_, speed);
    // The exit drive and a finished mission have no key and no help: their mode line is left out.
    if (const ModeHelp* help = FindModeHelp(drivingMode_))
        return Print(buffer, size, "%sDriving Mode %d (Press 1 - 8 to select mode)\r%s\r%s", head, int(help->key),
                     help->text, infoLine2_);
    return Print(buffer, size, "%s%s", head, infoLine2_);
}

void TLVWorld_Activity::UpdateInfoText() {
    auto* view = dynamic_cast<OTextView*>(infoView_);
    if (!view || !view->IsShownThroughParents()) return;
    char text[kInfoTextSize];
    FormatInfoText(text, sizeof text);
    view->SetText(text);
}
