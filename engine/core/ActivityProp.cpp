#include "engine/core/ActivityProp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "engine/base/Segment.h"
#include "engine/base/Trace.h"
#include "engine/blit/Blitter.h"
#include "engine/blit/ColorPalette.h"
#include "engine/core/Activity.h"
#include "engine/core/CurrentActivity.h"
#include "engine/data/TempBuffers.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/PartChunks.h"
#include "engine/graphics/SoundLink.h"
#include "engine/graphics/State.h"

namespace {

constexpr uint32_t kPaletteFlag = kAnimPropertyOffset + 28;
constexpr uint32_t kPaletteColours = kAnimPropertyOffset + 29;
constexpr float kVerticalDistanceFactor = 1.3333334f;

int16_t Trunc16(float v) { return static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f)); }

} // namespace

bool SegmentsIntersect(const int16_t a[4], const int16_t b[4]) {
    // Each segment is (x1, y1, x2, y2).
    return SegmentsMeet(a[0], a[1], a[2], a[3], b[0], b[1], b[2], b[3]);
}

OActivityProp::OActivityProp(const char* name, uint32_t classId) : OView(name, classId) {}

OActivityProp::~OActivityProp() = default;

bool OActivityProp::IsA(uint32_t classId) const { return classId == kClassId || OView::IsA(classId); }

bool OActivityProp::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (msg == nullptr || msg->family != kClassId) {
        return OView::HandleProperty(msg, set);
    }
    const bool store = set != 0;
    switch (msg->id) {
    case kPropLoadAllStates: msg->Exchange(0, loadAllStates_, set); break;
    case kPropLoadLater: msg->Exchange(0, loadLater_, set); break;
    case kPropDrawMode: {
        uint32_t mode = drawMode_;
        msg->Exchange(0, mode, set);
        if (store) SetDrawMode(mode);
        break;
    }
    case kPropBlendLevel: {
        uint16_t level = static_cast<uint16_t>(blendLevel_);
        msg->Exchange(0, level, set);
        if (store) SetBlendLevel(static_cast<int16_t>(level));
        break;
    }
    case kPropPixelHit: msg->Exchange(0, pixelHit_, set); break;
    case kPropStopSoundOnChange: msg->Exchange(0, stopSoundOnChange_, set); break;
    case kPropPlayStateSound: msg->Exchange(0, playStateSound_, set); break;
    default: break;
    }
    return true;
}

// ---- Part ---------------------------------------------------------------------------------

CState* OActivityProp::GetCurrentStateObject() const { return animSet_ ? animSet_->GetCurrentState() : nullptr; }

void OActivityProp::SetAnimSet(CPart* part) {
    if (part != animSet_.get()) {
        animSet_.reset(part);
    }
    if (animSet_) {
        animSet_->SetDrawMode(drawMode_);
    }
}

int32_t OActivityProp::SetPartID(CPartFile* partFile, ChunkId partId, uint8_t keepPlace, CColorPalette* /*palette*/) {
    if (loadLater_ == 1 && !laterLoaded_) {
        laterPartFile_ = partFile;
        laterPartId_ = partId;
        return 0;
    }
    if (animSet_ && animSet_->GetPartID() == partId) {
        return 0;
    }
    if (!animSet_) {
        auto* part = new (std::nothrow) CPart;
        if (part == nullptr) {
            xTrace("***** OActivityProp::SetPartID() allocation error\n");
            return 0;
        }
        SetAnimSet(part);
    }
    if (!animSet_->SetPartID(partFile, partId, loadAllStates_, 1) || GetCurrentStateObject() == nullptr) {
        return 0;
    }
    CState* state = GetCurrentStateObject();
    const int16_t w = static_cast<int16_t>(state->GetFrameWidth());
    const int16_t h = static_cast<int16_t>(state->GetFrameHeight());
    HandleSizeProperty(w, h);
    SetSize(CPoint16(w, h), 0);
    if (!keepPlace) {
        const CPointF hot = CurrentHotSpot();
        MoveBy(hot.x, hot.y, 1, 1);
    }
    const CPartRecord* record = animSet_->GetPartRecord();
    if (record != nullptr && record->HasProperty() && record->header[kPaletteFlag] != 0) {
        if (!palette_) palette_ = std::make_unique<CColorPalette>();
        uint32_t words[CColorPalette::kEntries];
        for (int i = 0; i < CColorPalette::kEntries; ++i) {
            const uint8_t* rgb = record->header + kPaletteColours + 3 * i;
            words[i] = ColorWord(rgb[0], rgb[1], rgb[2]);
        }
        palette_->SetEntries(words);
        if (palette_->GetUsedCount() > 0) {
            palette_->Build16BitTable();
        }
    } else {
        palette_.reset();
    }
    OnPartLoaded();
    return 1;
}

int32_t OActivityProp::LoadNow() {
    if (loadLater_ == 1 && !laterLoaded_) {
        laterLoaded_ = 1;
        return SetPartID(laterPartFile_, laterPartId_, 1, nullptr);
    }
    xTrace("ERROR: LoadNow use on a non-LoadLater ActivityProp !\n");
    return 0;
}

void OActivityProp::GetPartID(ChunkId* out) const {
    if (out != nullptr) *out = animSet_ ? animSet_->GetPartID() : kNullChunkId;
}

void OActivityProp::OnPartLoaded() {}

// ---- States and frames --------------------------------------------------------------------

int32_t OActivityProp::GetState() { return animSet_ ? animSet_->GetCurrentIndex() : -1; }

int32_t OActivityProp::GetFrameCount() { return animSet_ ? animSet_->GetFrameCount() : -1; }

int32_t OActivityProp::GetCurrentFrame() { return animSet_ ? animSet_->GetCurrentFrame() : -1; }

CPointF OActivityProp::CurrentHotSpot() const {
    CState* state = GetCurrentStateObject();
    if (state == nullptr) return {};
    const CPoint16 hot = state->GetHotSpot();
    return CPointF(hot.x, hot.y);
}

CPointF OActivityProp::GetHotSpot() {
    if (!animSet_) {
        xTrace("No animation set pointer\n");
        return {};
    }
    if (GetCurrentStateObject() == nullptr) {
        xTrace("No state pointer\n");
        return {};
    }
    return CurrentHotSpot();
}

void OActivityProp::HandleSizeProperty(int16_t w, int16_t h) {
    alignas(OPropertyMsg) uint8_t buffer[OPropertyMsg::kHeaderSize + 4] = {};
    auto* msg = reinterpret_cast<OPropertyMsg*>(buffer);
    msg->family = OView::kClassId;
    msg->id = OView::kPropSize;
    msg->size = 4;
    msg->Put(0, w);
    msg->Put(2, h);
    OView::HandleProperty(msg, 1);
}

bool OActivityProp::IsPartTurned() const {
    const int32_t turn = animSet_ ? ((animSet_->GetRotation() % 360) + 360) % 360 : 0;
    return turn == 90 || turn == 270;
}

void OActivityProp::FitToFrame(bool exchangeScales) {
    CState* state = GetCurrentStateObject();
    if (state == nullptr) return;
    const int16_t w = static_cast<int16_t>(state->GetFrameWidth());
    const int16_t h = static_cast<int16_t>(state->GetFrameHeight());
    const bool shown = IsShownThroughParents() && GetParent() != nullptr;
    if (shown) Invalidate();
    HandleSizeProperty(w, h);
    float sv = GetScaleV();
    float sh = GetScaleH();
    if (exchangeScales && IsPartTurned()) std::swap(sv, sh);
    SetSize(CPoint16(Trunc16(float(w) * sh), Trunc16(float(h) * sv)), 0);
    if (shown) Invalidate();
}

void OActivityProp::SetState(int32_t index) {
    if (!animSet_) return;
    const int32_t old = animSet_->GetCurrentIndex();
    const CPointF oldHot = CurrentHotSpot();
    const int32_t count = animSet_->GetStateCount();
    index = std::clamp(index, 0, std::max(0, count - 1));
    animSet_->SetState(index);
    if (index != old) StartStateSound(index, old);
    FitToFrame(false);
    if (!inAnimationEnd_) {
        const CPointF hot = CurrentHotSpot();
        MoveBy(hot.x - oldHot.x, hot.y - oldHot.y, 1, 1);
    }
}

void OActivityProp::SetStateAndHold(int32_t index) {
    if (!animSet_) return;
    SetState(index);
    animSet_->SetStateAndHold(animSet_->GetCurrentIndex());
}

void OActivityProp::SetStateAt(int32_t state, int32_t frame) {
    SetStateAndHold(state);
    if (frame >= 0) SetFrame(frame);
}

bool OActivityProp::ChangeState(int32_t index) {
    if (!animSet_ || index < 0 || index >= animSet_->GetStateCount() || index == GetState()) return false;
    SetState(index);
    return true;
}

void OActivityProp::UnloadState(int32_t index) {
    if (animSet_ && index >= 0 && index < animSet_->GetStateCount() && index != GetState()) {
        animSet_->UnloadState(index);
    }
}

void OActivityProp::SetFrame(int32_t frame) {
    CState* state = GetCurrentStateObject();
    if (state == nullptr || state->currentFrame == frame) return;
    const CPointF oldHot = CurrentHotSpot();
    state->SetFrame(frame);
    FitToFrame(false);
    const CPointF hot = CurrentHotSpot();
    MoveBy(hot.x - oldHot.x, hot.y - oldHot.y, 1, 1);
}

void OActivityProp::SyncAnimState() {
    CState* state = GetCurrentStateObject();
    if (state == nullptr || state->currentFrame < 0) return;
    const int32_t frame = state->currentFrame;
    state->currentFrame = -1; // so that the state counts its timing back to the frame shown
    state->SetFrame(frame);
}

void OActivityProp::QueueNextState(int32_t index) {
    if (animSet_) animSet_->SetNextState(index);
}

void OActivityProp::QueueState(int32_t index, int32_t times) {
    if (!animSet_) return;
    for (int32_t i = 0; i < times; ++i) animSet_->QueueState(index);
}

void OActivityProp::SetManualStep(uint8_t flag) {
    manualStep_ = flag;
    if (flag != 0) manualCommand_ = kManualNone;
}

void OActivityProp::SetManualCommand(uint8_t command, int32_t frame) {
    manualCommand_ = command;
    manualFrame_ = frame;
}

void OActivityProp::SetDrawMode(uint32_t mode) {
    drawMode_ = mode;
    if (animSet_) animSet_->SetDrawMode(mode);
    Invalidate();
}

void OActivityProp::SetTint(uint32_t colour, int16_t level) {
    tintColour_ = colour;
    tintLevel_ = level;
    if (animSet_) animSet_->SetTint(colour, level);
    Invalidate();
}

void OActivityProp::SetBlendLevel(int16_t level) {
    blendLevel_ = level;
    if (animSet_) animSet_->SetBlendLevel(level);
    Invalidate();
}

CPointF OActivityProp::GetFramePoint(int32_t state, int32_t frame) {
    CState* s = animSet_ ? animSet_->GetState(state) : nullptr;
    if (s == nullptr) return {};
    const CPoint16 offset = s->GetFrameOffset(frame);
    return CPointF(float(offset.x) * GetScaleH(), float(offset.y) * GetScaleV());
}

CPointF OActivityProp::GetScaledOffset() { return animSet_ ? GetFramePoint(animSet_->GetCurrentIndex(), -1) : CPointF{}; }

int32_t OActivityProp::QueryAnimSet() { return animSet_ ? std::max(0, animSet_->GetFrameRate()) : 0; }

// ---- Sound --------------------------------------------------------------------------------

uint16_t OActivityProp::GetStateSoundEntry(int32_t index) {
    return animSet_ ? ChunkEntryOf(animSet_->GetStateSoundId(index)) : 0;
}

void OActivityProp::GetStateSoundId(int32_t index, ChunkId* out) {
    if (out != nullptr) *out = animSet_ ? animSet_->GetStateSoundId(index) : kNullChunkId;
}

uint32_t OActivityProp::GetStateLong(int32_t state) {
    ChunkId id = kNullChunkId;
    GetStateSoundId(state, &id);
    return id;
}

void OActivityProp::StopStateSound() {
    if (animSet_) animSet_->StopStateSound(animSet_->GetCurrentIndex());
    attenuated_ = 0;
}

void OActivityProp::StartStateSound(int32_t newState, int32_t oldState) {
    if (!animSet_) return;
    if (stopSoundOnChange_ && oldState >= 0) animSet_->StopStateSound(oldState);
    CState* current = GetCurrentStateObject();
    if (current != nullptr && xSoundLink().IsPlaying(current->soundChannel)) current->StopSound();
    attenuated_ = 0;
    if (!playStateSound_) return;
    if (OView* parent = ParentView(); parent != nullptr && !parent->IsShownThroughParents()) return;
    if (IsVisible() && IsOnScreen()) animSet_->PlayStateSound(newState, soundLoop_);
}

CRect16 OActivityProp::Box() const {
    if (!HasRightAngleRotation()) return CRect16(0, 0, 1, 1);
    const CPointF& c = GetPosition();
    const int32_t left = int32_t(c.x - float(GetWidth()) / 2);
    const int32_t top = int32_t(c.y - float(GetHeight()) / 2);
    return CRect16(int16_t(left), int16_t(top), int16_t(left + GetWidth()), int16_t(top + GetHeight()));
}

bool OActivityProp::IsOnScreen() {
    OActivity* activity = xActivity_GetCurrentView();
    if (activity == nullptr) return false;
    // The stage shows the activity from its scroll offset: the activity's own coordinates that
    // lie at the stage's top-left corner.
    const int32_t ox = int32_t(activity->GetScrollOffset().x);
    const int32_t oy = int32_t(activity->GetScrollOffset().y);
    // A prop turned by other than quarter turns counts as the single point (0, 0).
    const CRect16 box = HasRightAngleRotation() ? Box() : CRect16();
    auto inX = [&](int32_t x) { return x >= ox && x < ox + kStageWidth; };
    auto inY = [&](int32_t y) { return y >= oy && y < oy + kStageHeight; };
    return (inX(box.left) || inX(box.right)) && (inY(box.top) || inY(box.bottom));
}

void OActivityProp::UpdateSound() {
    const int32_t index = GetState();
    CState* state = GetCurrentStateObject();
    if (index < 0 || state == nullptr) return;
    SoundChannel* channel = state->soundChannel;
    const uint16_t entry = GetStateSoundEntry(index);
    if (xSoundLink().IsPlaying(channel)) {
        if (entry == 0 || !IsShownThroughParents() || !IsOnScreen()) {
            StopStateSound();
            return;
        }
        const CPointF origin = xActivity_GetCurrentView()->GetScrollOffset();
        const float lx = origin.x + float(kStageWidth / 2);
        const float ly = origin.y + float(kStageHeight / 2);
        const CPointF& c = GetPosition();
        if (soundPan_) {
            const int32_t dx = int32_t(lx - c.x);
            const float half = float(kStageWidth / 2);
            if (dx < 0) {
                xSoundLink().SetBalance(channel, int32_t((half - float(-dx)) / half * 255.0f), 255);
            } else {
                xSoundLink().SetBalance(channel, 255, int32_t((half - float(dx)) / half * 255.0f));
            }
        }
        if (soundRange_ < 1000) {
            const float vy = (ly - c.y) * kVerticalDistanceFactor;
            const float vx = lx - c.x;
            const int32_t d = std::max(1, int32_t(std::sqrt(vy * vy + vx * vx)));
            if (d > soundRange_) {
                const float range = float(soundRange_);
                xSoundLink().SetVolume(channel, int32_t((1.0f - (float(d) - range) / range) * 255.0f));
                attenuated_ = 1;
            } else if (attenuated_) {
                // Back within range: full volume again.
                xSoundLink().SetVolume(channel, 255);
                attenuated_ = 0;
            }
        }
    } else if (entry != 0 && soundLoop_ && IsOnScreen() && IsShownThroughParents()) {
        StartStateSound(index, -1);
    }
}

// ---- Per-frame step -----------------------------------------------------------------------

int32_t OActivityProp::OnIdle() {
    Update();
    return 1;
}

void OActivityProp::Update() {
    CState* state = GetCurrentStateObject();
    if (animating_ && animSet_ && !IsSuspended() && state != nullptr) {
        const int32_t oldIndex = GetState();
        const int32_t oldFrame = state->currentFrame;
        const CPointF oldHot = CurrentHotSpot();
        int32_t result = 0;
        bool moved = false;
        bool run = true;
        if (!manualStep_) {
            result = animSet_->Step();
        } else {
            switch (manualCommand_) {
            case kManualStep:
                result = state->forward ? state->NextFrame() : state->PrevFrame();
                manualCommand_ = kManualNone;
                break;
            case kManualGoTo:
                state->SetFrame(manualFrame_);
                manualCommand_ = kManualNone;
                moved = true;
                break;
            case kManualGoToAndLeave:
                state->SetFrame(manualFrame_);
                manualCommand_ = kManualNone;
                manualFrame_ = 0;
                manualStep_ = 0;
                moved = true;
                break;
            default: run = false; break;
            }
        }
        if (run) {
            if (result == kStepRunEnd || result == kStepHeldEnd) {
                inAnimationEnd_ = 1;
                const int32_t goOn = OnAnimationEnd();
                inAnimationEnd_ = 0;
                if (!goOn) return;
            }
            if (moved || result == kStepForward || result == kStepBackward || result == kStepRunEnd) {
                CState* now = GetCurrentStateObject();
                if (now != nullptr && (GetState() != oldIndex || now->currentFrame != oldFrame)) {
                    FitToFrame(true);
                }
                const CPointF hot = CurrentHotSpot();
                if (hot.x != oldHot.x || hot.y != oldHot.y) {
                    MoveBy(hot.x - oldHot.x, hot.y - oldHot.y, 1, 0);
                }
            }
        }
    }
    UpdateSound();
}

int32_t OActivityProp::OnAnimationEnd() {
    if (animSet_ && animating_) {
        const int32_t frame = GetCurrentFrame();
        const int32_t index = GetState();
        animSet_->AdvanceQueue();
        if (GetState() != index || frame != 0) {
            FitToFrame(true);
        }
    }
    return 1;
}

void OActivityProp::Suspend(int32_t flag) {
    if (!IsSuspended() && animating_ && animSet_) {
        animSet_->Pause();
        CState* state = GetCurrentStateObject();
        if (state != nullptr && xSoundLink().IsPlaying(state->soundChannel)) StopStateSound();
    }
    OView::Suspend(flag);
}

void OActivityProp::Resume(int32_t flag) {
    if (IsSuspended() && animating_ && animSet_) {
        animSet_->Resume();
        CState* state = GetCurrentStateObject();
        if (state != nullptr && state->snippet != nullptr && soundLoop_ && IsOnScreen()) {
            StartStateSound(GetState(), -1);
        }
    }
    OView::Resume(flag);
}

int32_t OActivityProp::BeginDrag() {
    animating_ = 0;
    return 1;
}

int32_t OActivityProp::EndDrag() {
    animating_ = 1;
    return 1;
}

// ---- Drawing ------------------------------------------------------------------------------

void OActivityProp::Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source,
                         const CClipRect& target) {
    CState* state = GetCurrentStateObject();
    if (destination != nullptr && state != nullptr && target.Width() > 0 && target.Height() > 0) {
        CClipRect src = source;
        if (state->EffectiveMirrorX() && HasRightAngleRotation()) {
            src.left = static_cast<int16_t>(GetWidth() - source.right);
            src.right = static_cast<int16_t>(GetWidth() - source.left);
        }
        const float sv = GetScaleV();
        const float sh = GetScaleH();
        BltSettings& blt = BltContext();
        uint16_t* columns = nullptr;
        uint16_t* rows = nullptr;
        bool ready = true;
        if (sv != 1.0f || sh != 1.0f) {
            const int32_t shownW = GetWidth();
            const int32_t shownH = GetHeight();
            const int32_t frameW = state->GetFrameWidth();
            const int32_t frameH = state->GetFrameHeight();
            // The tables must cover every entry the source rectangle reaches.
            const int32_t tableW = std::max<int32_t>(shownW, src.right);
            const int32_t tableH = std::max<int32_t>(shownH, src.bottom);
            ready = shownW > 0 && shownH > 0 && frameW > 0 && frameH > 0 && src.left >= 0 && src.top >= 0;
            if (ready) {
                columns = static_cast<uint16_t*>(xTempBuffers_Get(uint32_t(tableW) * 2));
                rows = static_cast<uint16_t*>(xTempBuffers_Get(uint32_t(tableH) * 2));
                ready = columns != nullptr && rows != nullptr;
            }
            if (ready) {
                BltMakeScaleTable(columns, 0, shownW - 1, 0, frameW - 1);
                BltMakeScaleTable(rows, 0, shownH - 1, 0, frameH - 1);
                // Entries the view's size does not reach (a source rectangle past it) keep to
                // the frame's last column and row.
                std::fill(columns + shownW, columns + tableW, uint16_t(frameW - 1));
                std::fill(rows + shownH, rows + tableH, uint16_t(frameH - 1));
                blt.BltScaleOriginX = static_cast<int16_t>(int32_t(float(src.left) / sh));
                blt.BltScaleTableX = columns + src.left;
                blt.BltScaleTableY = rows + src.top;
                const CClipRect shown = src;
                src.left = static_cast<int16_t>(int32_t(float(shown.left) / sh));
                src.right = static_cast<int16_t>(src.left + int32_t(float(shown.Width()) / sh));
                src.top = static_cast<int16_t>(int32_t(float(shown.top) / sv));
                src.bottom = static_cast<int16_t>(src.top + int32_t(float(shown.Height()) / sv));
            }
        }
        if (ready) {
            state->drawMode = drawMode_;
            state->tintColour[0] = ColorRed(tintColour_);
            state->tintColour[1] = ColorGreen(tintColour_);
            state->tintColour[2] = ColorBlue(tintColour_);
            state->tintLevel = tintLevel_;
            state->blendLevel = blendLevel_;
            CColorPalette* palette = palette_.get();
            if (palette == nullptr) {
                palette = destination->OwnPalette() != nullptr ? destination->OwnPalette() : &xGraphics_GlobalPalette();
            }
            if (destination->GetBitsPerPixel() == 16 && !palette->Has16BitTable()) {
                palette->Build16BitTable();
            }
            state->OnCopyFrameToSurface(destination, &src, &target, palette, 0);
        }
        xTempBuffers_Release(&columns);
        xTempBuffers_Release(&rows);
        blt.BltScaleTableX = nullptr;
        blt.BltScaleTableY = nullptr;
    }
    OView::Draw(destination, point, source, target);
}

// ---- Hit tests ----------------------------------------------------------------------------

bool OActivityProp::PixelHit(const CPoint16& point) {
    CState* state = GetCurrentStateObject();
    if (state == nullptr) return true; // a part without a current state counts as a hit
    const CRect16 box = Box();
    return state->HitTestPointScaled(point, CPoint16(box.left, box.top), GetScaleH(), GetScaleV());
}

OView* OActivityProp::HitTestPoint(const CPoint16& point) {
    const CRect16 box = Box();
    switch (GetCursorMode()) {
    case kHitChildrenThenSelf: {
        if (!box.ContainsPoint(point.x, point.y)) return nullptr;
        OView* hit = HitTestPointDeep(point);
        if (hit != nullptr && hit != this) return hit; // a child answers as it comes
        if (!pixelHit_ || !animSet_) return hit;
        // A hidden prop catches nothing, whatever its pixels.
        if (!IsShownThroughParents()) return nullptr;
        return PixelHit(point) ? this : nullptr;
    }
    case kHitSelf:
        if (pixelHit_ && animSet_) return box.ContainsPoint(point.x, point.y) && PixelHit(point) ? this : nullptr;
        return OView::HitTestPoint(point);
    case kHitChildrenOnly: {
        OView* hit = HitTestPointDeep(point);
        return hit == this ? nullptr : hit;
    }
    default: return nullptr;
    }
}

OView* OActivityProp::HitTestPointAt(const CPoint16& point, OView* /*skipped*/) {
    if (!Box().ContainsPoint(point.x, point.y) || !pixelHit_ || GetCurrentStateObject() == nullptr) return nullptr;
    return PixelHit(point) ? this : nullptr;
}

bool OActivityProp::HitTestRect(const CRect16& rect) {
    const CRect16 box = Box();
    const CRect16 overlap = rect.Intersect(box);
    CState* state = GetCurrentStateObject();
    if (overlap.IsEmpty() || state == nullptr) return false;
    // Into the frame's own pixels.
    const float sh = GetScaleH();
    const float sv = GetScaleV();
    const int16_t left = int16_t(float(overlap.left - box.left) / sh);
    const int16_t top = int16_t(float(overlap.top - box.top) / sv);
    const int16_t right = int16_t(std::max<float>(left + 1, std::ceil(float(overlap.right - box.left) / sh)));
    const int16_t bottom = int16_t(std::max<float>(top + 1, std::ceil(float(overlap.bottom - box.top) / sv)));
    return state->HitTestRect(CClipRect(left, top, right, bottom));
}

bool OActivityProp::IntersectsView(OView* view) {
    if (view != nullptr && view->IsA(kClassId)) return IntersectsPropAt(static_cast<OActivityProp*>(view), nullptr);
    return OView::IntersectsView(view);
}

bool OActivityProp::IntersectsPropAt(OActivityProp* other, CPoint16* /*out*/) {
    if (other == nullptr) return false;
    if (!pixelHit_ && !other->pixelHit_) return OView::IntersectsView(other);
    const CRect16 a = Box();
    const CRect16 b = other->Box();
    if (!a.Overlaps(b)) return false;
    const bool mine = pixelHit_ && animSet_;
    const bool theirs = other->pixelHit_ && other->animSet_;
    if (mine && theirs) {
        CState* sa = GetCurrentStateObject();
        CState* sb = other->GetCurrentStateObject();
        if (sa == nullptr || sb == nullptr) return true;
        return sa->IntersectsState(ToClip(a), GetScaleH(), GetScaleV(), sb, ToClip(b), other->GetScaleH(),
                                   other->GetScaleV());
    }
    if (mine) return HitTestRect(b);
    if (theirs) return other->HitTestRect(a);
    return true; // pixel-tested without a part: the boxes decide
}

bool OActivityProp::IntersectsSegment(const CPoint32 segment[2], uint32_t /*unused*/, uint8_t* outside) {
    if (outside != nullptr) *outside = 1;
    const CRect16 box = Box();
    const int32_t ax = int16_t(segment[0].x), ay = int16_t(segment[0].y);
    const int32_t bx = int16_t(segment[1].x), by = int16_t(segment[1].y);
    if (!SegmentMeetsRect(ax, ay, bx, by, box)) return false;
    CState* state = GetCurrentStateObject();
    if (!pixelHit_ || state == nullptr) return true;
    CPoint16 found;
    uint8_t flag = 0;
    return state->HitTestSegment(CPoint16(int16_t(ax), int16_t(ay)), CPoint16(int16_t(bx), int16_t(by)),
                                 ToClip(box), GetScaleH(), GetScaleV(), &found, &flag);
}

bool OActivityProp::IntersectsSegment16(const CPoint16 segment[2], uint32_t unused, uint8_t* outside) {
    const CPoint32 wide[2] = {CPoint32(segment[0].x, segment[0].y), CPoint32(segment[1].x, segment[1].y)};
    return IntersectsSegment(wide, unused, outside);
}
