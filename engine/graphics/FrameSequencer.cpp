#include "engine/graphics/FrameSequencer.h"

#include "engine/base/Trace.h"
#include "engine/graphics/DrawSurface.h"
#include "platform/Platform.h"

uint32_t CFrameSequencer::Now() { return plat::clock().TickCount(); }

uint32_t CFrameSequencer::PauseTick() {
    const uint32_t now = Now();
    return now != 0 ? now : 1;
}

CFrameSequencer::CFrameSequencer() : startTick(Now()) {}

CFrameSequencer::~CFrameSequencer() = default;

void CFrameSequencer::Recolor(uint8_t, uint8_t, uint8_t*) {}

void CFrameSequencer::OnFrameChanged() {}

void CFrameSequencer::ResetTiming() {
    startTick = Now();
    pauseTick = 0;
    changed = 1;
}

void CFrameSequencer::Reset() {
    frameRate = 15;
    framePeriod = 66;
    hold = 0;
    forward = 1;
    currentFrame = -1;
    previousFrame = -1;
    timed = 1;
    ResetTiming();
    loaded = 0;
}

uint32_t CFrameSequencer::Elapsed() const { return (pauseTick != 0 ? pauseTick : Now()) - startTick; }

int32_t CFrameSequencer::NextFrame() {
    previousFrame = currentFrame;
    int32_t result = kStepForward;
    if (currentFrame + 1 >= GetFrameCount()) {
        currentFrame = hold ? previousFrame : 0;
        result = kStepRunEnd;
    } else {
        ++currentFrame;
    }
    OnFrameChanged();
    return result;
}

int32_t CFrameSequencer::PrevFrame() {
    previousFrame = currentFrame;
    int32_t result = kStepBackward;
    if (currentFrame - 1 < 0) {
        currentFrame = hold ? previousFrame : GetFrameCount() - 1;
        result = kStepRunEnd;
    } else {
        --currentFrame;
    }
    OnFrameChanged();
    return result;
}

void CFrameSequencer::SetFrame(int32_t frame) {
    if (frame < 0 || frame >= GetFrameCount()) {
        xTrace("WARNING - SetFrame() call ignored, out of range\n");
        return;
    }
    previousFrame = currentFrame;
    currentFrame = frame;
    if (previousFrame == currentFrame) {
        return;
    }
    ResetTiming();
    OnFrameChanged();
}

int32_t CFrameSequencer::Step() {
    if (!timed) {
        return forward ? NextFrame() : PrevFrame();
    }
    const uint32_t elapsed = Elapsed();
    // Only Reset sets the period; a derived class that clears it steps nothing.
    const uint32_t period = framePeriod > 0 ? static_cast<uint32_t>(framePeriod) : 0;
    if (period == 0 || elapsed < period) {
        return kStepNoChange;
    }
    changed = 1;
    pauseTick = 0;
    startTick = Now() - elapsed % period;
    const uint32_t steps = elapsed / period;
    int32_t result = kStepNoChange;
    for (uint32_t i = 0; i < steps; ++i) {
        result = forward ? NextFrame() : PrevFrame();
        if (result == kStepRunEnd) {
            break;
        }
    }
    return result;
}

int32_t CFrameSequencer::SetRotation(int32_t degrees) {
    const int32_t angle = ((degrees % 360) + 360) % 360;
    if (angle % 90 == 0) {
        rotation = angle;
    }
    return angle / 90;
}

void CFrameSequencer::FitSurface(CDrawSurface* surface) {
    if (surface == nullptr) {
        return;
    }
    const int32_t width = GetFrameWidth();
    const int32_t height = GetFrameHeight();
    const int32_t depth = GetDepth();
    if (surface->GetWidth() == width && surface->GetHeight() == height && surface->GetBitsPerPixel() == depth) {
        return;
    }
    if (width != 0 && height != 0 && depth != 0) {
        surface->Create(static_cast<int16_t>(width), static_cast<int16_t>(height), static_cast<int16_t>(depth));
    }
}
