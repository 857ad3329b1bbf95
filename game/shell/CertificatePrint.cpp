// Printing a certificate: the page composed at 16 bits (5-5-5) from its frame, the awards,
// counts, name and pictures, printed as one landscape page.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "engine/base/Trace.h"
#include "engine/blit/ColorPalette.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/Window.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/ClipRect.h"
#include "engine/graphics/DIBSurface.h"
#include "engine/graphics/FrameImage.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/PackedDIBSurface.h"
#include "engine/graphics/Print.h"
#include "engine/media/TextDView.h"
#include "game/shell/CertificateActivity.h"
#include "game/shell/Player.h"
#include "game/shell/TLVApp.h"

namespace {

/// Holds the global 16-bit pixel format at a value until it goes.
class PixelFormatScope {
public:
    explicit PixelFormatScope(int16_t format) : saved_(xGraphics_PixelFormat()) { xGraphics_SetPixelFormat(format); }
    ~PixelFormatScope() { xGraphics_SetPixelFormat(saved_); }
    PixelFormatScope(const PixelFormatScope&) = delete;
    PixelFormatScope& operator=(const PixelFormatScope&) = delete;

private:
    int16_t saved_;
};

/// Draws the view where it stands, clipped to the page.
void DrawOnPage(OView& view, CDrawSurface* page) {
    const int32_t left = int32_t(view.GetLeft()), top = int32_t(view.GetTop());
    const int32_t right = left + view.GetWidth(), bottom = top + view.GetHeight();
    const int32_t clipLeft = std::max(left, 0), clipTop = std::max(top, 0);
    const int32_t clipRight = std::min<int32_t>(right, Certificate_Activity::kPageWidth);
    const int32_t clipBottom = std::min<int32_t>(bottom, Certificate_Activity::kPageHeight);
    if (clipLeft >= clipRight || clipTop >= clipBottom) return;
    const CClipRect target{int16_t(clipLeft), int16_t(clipTop), int16_t(clipRight), int16_t(clipBottom)};
    const CClipRect source{int16_t(clipLeft - left), int16_t(clipTop - top), int16_t(clipRight - left),
                           int16_t(clipBottom - top)};
    view.Draw(page, CPoint16(0, 0), source, target);
}

} // namespace

void Certificate_Activity::Print() {
    printed_ = false;
    if (xPrint_HasDefaultPrinter()) {
        const PixelFormatScope format(kPixelFormat555);
        CTLVApp* app = CTLVApp::Get();
        CDrawSurface* surface = app ? app->GetPrintSurface() : nullptr;
        if (!surface) {
            xTrace("Certificate_Activity::Print - no print surface: nothing printed\n");
        } else if (ComposePrintImage(surface)) {
            char jobName[256] = {};
            xMessages_Get("TLV_PRINTJOB_NAME", jobName, sizeof jobName);
            printed_ = xPrint_Surface(jobName, surface, OWindow::Main(), 0, 1, 1);
            if (!printed_) xTrace("Certificate_Activity::Print - the print job failed\n");
        }
        Invalidate();
    }
    CreateButtonPanel(kPanelPrint);
}

bool Certificate_Activity::ComposePrintImage(CDrawSurface* target) {
    auto page = std::make_unique<CDIBSurface>();
    auto frame = std::make_unique<CPackedDIBSurface>();
    if (!target || !page->Create(kPageWidth, kPageHeight, 16) || !frame->Create(kPageWidth, kPageHeight, 16)) {
        xTrace("Certificate_Activity::ComposePrintImage - the page cannot be made\n");
        return false;
    }
    CPartFile* file = GameFile();
    CDrawSurface* loaded = file && file->ChunkExists(kPageFrame) ? xFrame_CreateSurface(file, kPageFrame, frame.get(), 0)
                                                                 : nullptr;
    // A reader that made a surface of its own hands it over.
    std::unique_ptr<CDrawSurface> other(loaded != frame.get() ? loaded : nullptr);
    if (loaded) loaded->CopyToSurface(page.get(), CPoint16(0, 0), 0);
    else xTrace("Certificate_Activity::ComposePrintImage - the page's frame {9, 0, 12} is missing: left out\n");

    auto picture = [&](ChunkId art) {
        OActivityProp prop("OActivityProp", OActivityProp::kClassId);
        if (art != kNullChunkId && LoadArt(&prop, file, art, 0)) DrawOnPage(prop, page.get());
        return prop.GetPosition();
    };
    auto text = [&](const char* content, float x, float y, int16_t width, int16_t height, uint32_t style,
                    int32_t alignment) {
        std::unique_ptr<OTextDView> view(CreateTextDView(int16_t(x), int16_t(y), width, height, nullptr));
        if (!view) return;
        StyleText(view.get(), style);
        if (alignment >= 0) view->SetAlignment(alignment);
        view->SetText(content);
        DrawOnPage(*view, page.get());
    };
    char number[16];
    auto decimal = [&](int value) {
        std::snprintf(number, sizeof number, "%d", value);
        return number;
    };

    const bool mission2 = Count(2) != 0;
    picture(world_.specialAwards[0]);
    if (mission2) picture(world_.specialAwards[1]);
    for (const int16_t k : kAwardOrderForPage) {
        const uint16_t count = Count(k);
        const CPointF at = picture(AwardArt(k, count != 0));
        if (count) text(decimal(count), at.x - 55, at.y, 50, 25, 1, -1);
    }
    const CPlayer* player = Player();
    text(decimal(player ? player->GetBadgeCount(world_.world, 0) : 0), 550, 400, 50, 24, 1, 1);
    text(player ? player->GetName() : "", 360, 153, 400, 50, 2, -1);
    picture(RankPicture());
    if (mission2) picture(world_.mission2Picture);

    page->CopyToSurface(target, CPoint16(0, 0), 0);
    return true;
}
