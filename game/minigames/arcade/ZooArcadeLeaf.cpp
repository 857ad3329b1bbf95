#include "game/minigames/arcade/ZooArcadeLeaf.h"

#include <cstdlib>

Zoo_Arcade_Leaf::Zoo_Arcade_Leaf(const char* name, uint32_t classId) : Arcade_BG_Item(name, classId) {
    waitClock_.Start(0);
}

bool Zoo_Arcade_Leaf::IsA(uint32_t classId) const { return classId == kClassId || Arcade_BG_Item::IsA(classId); }

int32_t Zoo_Arcade_Leaf::OnIdle() {
    if (!hasStart_) {
        startY_ = GetPosition().y;
        hasStart_ = 1;
    }
    if (GetPosition().y > kBottom) {
        GoBackUp();
    } else if (!falling_ && waitClock_.HasElapsed()) {
        falling_ = 1;
        SetVelocityXY(0.0f, float(kMinFallSpeed + std::rand() % kFallSpeedSpread), 0);
    }
    return Arcade_BG_Item::OnIdle();
}

void Zoo_Arcade_Leaf::Respawn() { SetVisible(0, 0); }

void Zoo_Arcade_Leaf::GoBackUp() {
    if (const int32_t frames = GetFrameCount(); frames > 0) SetFrame(std::rand() % frames);
    SetPosition(CPointF(GetPosition().x, startY_), 0, 1);
    SetVelocityXY(0.0f, 0.0f, 0);
    falling_ = 0;
    waitMs_ = kMinWaitMs + std::rand() % kWaitSpreadMs;
    waitClock_.Start(waitMs_);
}
