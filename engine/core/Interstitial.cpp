#include "engine/core/Interstitial.h"

#include <cstring>

#include "engine/blit/ColorPalette.h"
#include "engine/data/Profiles.h"
#include "engine/graphics/DirtyRects.h"
#include "engine/graphics/DrawSurface.h"

OInterstitial::OInterstitial(const char* name, uint32_t classId) : OView(name, classId) {
    SetEventMask(kEventMouse | kEventKeyboard);
    SetUserData(0x7FFF0000);
}

bool OInterstitial::IsA(uint32_t classId) const { return classId == kClassId || OView::IsA(classId); }

int32_t OInterstitial::HandleEvent(const xEvent& event) {
    if (event.type != kEvButtonDown && event.type != kEvKeyDown) return 1;
    if (finished_ || skipTest_() == 0) return 0;
    const int32_t answer = MayFinish();
    done_ = finished_ = answer != 0 ? 1 : 0;
    if (answer != 0) {
        xEvent doneEvent;
        doneEvent.category = kEventApplication;
        doneEvent.type = kEvDiscardInput;
        CreateEvent(doneEvent);
    }
    return 0;
}

void OInterstitial::Setup(uint32_t tag, CDrawSurface* target) {
    tag_ = tag;
    target_ = target;
    done_ = 0;
}

OBlankInterstitial::OBlankInterstitial() : OInterstitial("OInterstitial", OInterstitial::kClassId) {}

bool OBlankInterstitial::IsA(uint32_t classId) const {
    return classId == kClassId || OInterstitial::IsA(classId);
}

void OBlankInterstitial::Setup(uint32_t tag, CDrawSurface* target) {
    OInterstitial::Setup(tag, target);
    frames_ = xProfiles_Values().directDraw == 0 ? 1 : 0;
}

int32_t OBlankInterstitial::OnIdle() {
    CDrawSurface* target = GetTarget();
    if (IsDone() || !target) return 1;
    const int16_t width = target->GetWidth();
    const int16_t height = target->GetHeight();
    xDirtyRects_Add(CRect16(0, 0, width, height));
    uint8_t fill = 0;
    if (target->GetBitsPerPixel() == 8) {
        CColorPalette palette;
        target->GetPalette(&palette);
        for (int i = 0; i < 255; ++i) palette.SetEntry(i, CColorPalette::kRGBBlack);
        fill = uint8_t(palette.FindNearestColor(CColorPalette::kRGBBlack));
        target->SetPalette(&palette, 0);
    }
    target->LockSysSurface();
    if (uint8_t* pixels = target->Lock()) {
        const int32_t pitch = target->GetPitch();
        const size_t rowBytes = size_t(width) * size_t(target->GetBitsPerPixel() / 8);
        for (int16_t y = 0; y < height; ++y) std::memset(pixels + int64_t(y) * pitch, fill, rowBytes);
    }
    target->Unlock(0);
    target->UnlockSysSurface();
    if (++frames_ >= 2) SetDone(true);
    return 1;
}
