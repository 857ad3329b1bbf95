#include "engine/core/Cursor.h"

#include <algorithm>

#include "engine/base/Trace.h"
#include "engine/core/ApplicationLink.h"
#include "engine/core/CoreState.h"
#include "engine/core/RunLoop.h"
#include "engine/core/WindowProcs.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/PixelSurface.h"
#include "platform/Platform.h"

CCursorState& CCursorState::Get() { return xCore_State().cursor; }

int32_t xCursor_HiddenState() { return CCursorState::Get().hiddenState; }

void xCursor_Show(bool show) {
    CCursorState& s = CCursorState::Get();
    const int32_t wanted = show ? 0 : -1;
    if (s.hiddenState == wanted) return;
    plat::input().ShowCursor(show);
    s.hiddenState = wanted;
}

plat::CursorImage xCursor_BuildImage(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch) {
    constexpr int kSize = plat::CursorImage::kSize;
    plat::CursorImage image;
    std::fill(std::begin(image.andMask), std::end(image.andMask), uint8_t(0xFF)); // see-through
    bool hotFound = false;
    const int32_t rows = pixels ? std::clamp(height, 0, kSize) : 0;
    const int32_t columns = pixels ? std::clamp(width, 0, kSize) : 0;
    for (int32_t y = 0; y < rows; ++y) {
        const uint8_t* row = pixels + int64_t(y) * pitch;
        for (int32_t x = 0; x < columns; ++x) {
            const uint8_t value = row[x];
            const uint8_t colour = value & 7;
            const int index = y * kSize / 8 + x / 8;
            const uint8_t bit = uint8_t(0x80 >> (x % 8));
            if (colour != 3 && colour != 4) image.andMask[index] &= uint8_t(~bit);
            if (colour == 2 || colour == 4) image.xorMask[index] |= bit;
            if ((value & 8) && !hotFound) {
                hotFound = true;
                image.hotX = x;
                image.hotY = y;
            }
        }
    }
    return image;
}

xCursor xCursor_CreateFromFrame(ChunkId frameId) {
    CApplicationLink* app = xApplication_Link();
    CPixelSurface surface;
    CDrawSurface* loaded = app ? xFrame_CreateSurface(app->GetPartFile(), frameId, &surface, 1) : nullptr;
    if (!loaded || surface.GetBitsPerPixel() != 8 || surface.GetWidth() < 1 || surface.GetHeight() < 1) {
        xTracef("xCursor_CreateFromFrame - no 8-bit frame {%d, %d, %d}\n", int(ChunkIndexOf(frameId)),
                int(ChunkSecondOf(frameId)), int(ChunkEntryOf(frameId)));
        return 0;
    }
    plat::CursorImage image;
    {
        CSurfaceLock lock(&surface);
        if (!lock.Pixels()) return 0;
        image = xCursor_BuildImage(lock.Pixels(), surface.GetWidth(), surface.GetHeight(), surface.GetPitch());
    }
    return plat::input().CreateCursor(image);
}

void xCursor_Destroy(xCursor cursor) {
    if (!cursor) return;
    plat::input().DestroyCursor(cursor);
    CCursorState& s = CCursorState::Get();
    if (s.current == cursor) s.current = 0; // the next xCursor_Set shows a cursor again
    if (s.previous == cursor) s.previous = 0;
}

xCursor xCursor_LoadArrow() { return plat::input().ArrowCursor(); }

void xCursor_Set(xCursor cursor) {
    CCursorState& s = CCursorState::Get();
    if (cursor == s.current) return;
    s.previous = plat::input().SetCursor(cursor);
    s.current = cursor;
}

int xCursor_PresentBox(const char* text, const char* title, uint32_t type, bool ask) {
    const bool wasHidden = xCursor_HiddenState() == -1;
    const xCursor before = CCursorState::Get().current;
    xCursor_Set(xCursor_LoadArrow());
    // Windows 95 may keep the pointer's display count below zero for other reasons: raise it
    // until the pointer shows.
    int32_t raised = 0;
    if (IsWindows95())
        while (plat::input().ShowCursor(true) < 0) ++raised;
    xCursor_Show(true);

    const std::string_view shown = text ? text : "";
    const std::string_view heading = title ? title : "";
    const int answer =
        ask ? plat::dialogs().Ask(shown, heading, type) : plat::dialogs().MessageBox(shown, heading, type);

    xPlatform_Link().Focus();
    xCursor_Set(before);
    if (wasHidden) {
        if (IsWindows95())
            for (; raised > 0; --raised) plat::input().ShowCursor(false);
        xCursor_Show(false);
    }
    return answer;
}
