#include "game/minigames/arcade/ArcadeToken.h"

void Arcade_Token::Respawn() {
    SetVisible(0, 0);
    SetVelocity(Vec3(), 0);
    SetPosition(CPointF(kParkedX, kParkedY), 0, 1);
}
