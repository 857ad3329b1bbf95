#include "engine/graphics/Part.h"

#include <cstring>
#include <new>

#include "engine/base/Trace.h"
#include "engine/base/Unaligned.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/PartChunks.h"
#include "engine/graphics/State.h"

namespace {
enum : uint8_t { kTableOfRecord = 0, kTableCached = 1, kTablePrivate = 2 };
} // namespace

CPart::CPart() = default;

CPart::~CPart() { UnloadPart(); }

uint8_t CPart::CanRecolorA() { return partRecord_ != nullptr ? partRecord_->RecolorFlagA() : 0; }

uint8_t CPart::CanRecolorB() { return partRecord_ != nullptr ? partRecord_->RecolorFlagB() : 0; }

// ---- Loading --------------------------------------------------------------------------------

int32_t CPart::SetPartID(CPartFile* partFile, ChunkId partId, uint8_t loadAll, uint8_t useCache) {
    UnloadPart();
    CPartRecord* record = nullptr;
    if (useCache) {
        record = GetPart(partFile, partId);
        fromCache_ = record != nullptr ? 1 : 0;
    }
    if (record == nullptr) {
        record = LoadPart(partFile, partId);
    }
    if (record == nullptr) {
        return 0;
    }
    partRecord_ = record;
    partFile_ = partFile;
    partId_ = partId;
    commonBlocks_ = record->commonBlocks;
    commonBlocksHeld_ = kTableOfRecord;
    for (int32_t i = 0; i < record->StateCount(); ++i) {
        auto* state = new (std::nothrow) CState;
        if (state == nullptr) {
            xTrace("**** Error : CPart::SetPartID() could not load state\n");
            continue;
        }
        state->soundId = record->SoundId(i);
        state->commonBlocks = commonBlocks_;
        if (loadAll || i == 0) {
            state->Load(partFile, record->StateId(i), useCache);
        }
        const int32_t before = GetStateCount();
        AddState(state);
        if (GetStateCount() == before) {
            delete state;
            continue;
        }
        entries_.push_back(i);
    }
    SetState(0);
    return 1;
}

bool CPart::LoadStateAt(int32_t index) {
    CState* state = GetState(index);
    if (state == nullptr || partRecord_ == nullptr || size_t(index) >= entries_.size()) {
        return false;
    }
    state->commonBlocks = commonBlocks_;
    return state->Load(partFile_, partRecord_->StateId(entries_[size_t(index)]), fromCache_) != 0;
}

void CPart::SetState(int32_t index) {
    const int32_t old = GetCurrentIndex();
    if (CState* state = GetState(index); state != nullptr && state->stateId == kNullChunkId) {
        LoadStateAt(index);
    }
    CPartBase::SetState(index);
    if (GetCurrentIndex() != old && (bandA_ != 0 || bandB_ != 0)) {
        Recolor(bandA_, bandB_, false);
    }
}

void CPart::ReleaseCommonBlocks() {
    if (commonBlocksHeld_ == kTableCached) {
        ReleaseCommonBlock(partFile_, partId_, commonBlocks_);
    } else if (commonBlocksHeld_ == kTablePrivate) {
        FreeCommonBlock(partFile_, partId_, commonBlocks_);
    }
    commonBlocks_ = nullptr;
    commonBlocksHeld_ = kTableOfRecord;
}

void CPart::UnloadPart() {
    CPartBase::DeleteStates();
    ReleaseCommonBlocks();
    if (partRecord_ != nullptr) {
        if (fromCache_) {
            ReleasePartRef(partFile_, partId_, partRecord_);
        } else {
            ReleasePart(partFile_, partId_, partRecord_);
        }
    }
    partRecord_ = nullptr;
    partFile_ = nullptr;
    partId_ = kNullChunkId;
    fromCache_ = 0;
    entries_.clear();
}

void CPart::DeleteStates() { UnloadPart(); }

void CPart::ReloadCommonBlock(uint8_t shared) {
    if (partRecord_ == nullptr) {
        return;
    }
    ReleaseCommonBlocks();
    uint8_t* table = nullptr;
    if (shared && !CanRecolorA() && !CanRecolorB()) {
        table = GetCommonBlock(partFile_, partId_);
        commonBlocksHeld_ = table != nullptr ? kTableCached : kTableOfRecord;
    }
    if (table == nullptr) {
        table = LoadCommonBlock(partFile_, partId_);
        commonBlocksHeld_ = table != nullptr ? kTablePrivate : kTableOfRecord;
    }
    commonBlocks_ = table;
    // The states draw with the part's table; none may keep the one just given back.
    for (int32_t i = 0; i < GetStateCount(); ++i) {
        if (CState* state = GetState(i)) {
            state->commonBlocks = table;
        }
    }
}

// ---- Recolouring ----------------------------------------------------------------------------

void CPart::SetBandA(uint32_t, uint8_t band, uint8_t force) {
    if (!CanRecolorA() || band == 0 || (!force && band == bandA_)) {
        return;
    }
    bandA_ = band;
    Recolor(band, bandB_, true);
}

void CPart::SetBandB(uint32_t, uint8_t band, uint8_t force) {
    if (!CanRecolorB() || band == 0 || (!force && band == bandB_)) {
        return;
    }
    bandB_ = band;
    Recolor(bandA_, band, false);
}

void CPart::SetBands(uint32_t, uint8_t a, uint8_t b, uint8_t force) {
    if (!CanRecolorA() && !CanRecolorB()) {
        return;
    }
    if (!force && a == bandA_ && b == bandB_) {
        return;
    }
    bandA_ = a;
    bandB_ = b;
    Recolor(a, b, false);
}

void CPart::Recolor(uint8_t a, uint8_t b, bool allStates) {
    if (a == 0 && (b == 0 || partFile_ == nullptr)) {
        return;
    }
    ReloadCommonBlock(1);
    if (!allStates) {
        if (currentState_ != nullptr) currentState_->Recolor(a, b, nullptr);
        return;
    }
    for (int32_t i = 0; i < GetStateCount(); ++i) {
        if (CState* state = GetState(i)) {
            state->Recolor(a, b, nullptr);
        }
    }
}

// ---- Drawing and sound ----------------------------------------------------------------------

void CPart::DrawCurrentFrame(CDrawSurface* dest, const CClipRect* sourceRect, const CClipRect* destRect,
                             uint32_t extra) {
    if (currentState_ != nullptr) {
        currentState_->OnCopyFrameToSurface(dest, sourceRect, destRect, nullptr, extra);
    }
}

void CPart::PlayStateSound(int32_t index, uint8_t loop) {
    if (CState* state = GetState(index)) {
        state->PlaySound(loop);
    }
}

void CPart::StopStateSound(int32_t index) {
    if (CState* state = GetState(index)) {
        state->StopSound();
    }
}

ChunkId CPart::GetStateSoundId(int32_t index) const {
    if (partRecord_ == nullptr || index < 0 || size_t(index) >= entries_.size()) {
        return kNullChunkId;
    }
    return partRecord_->SoundId(entries_[size_t(index)]);
}

// ---- Part values ----------------------------------------------------------------------------

uint8_t* CPart::PartValue(size_t offset, size_t width) const {
    if (partRecord_ == nullptr || offset + width > partRecord_->dataSize) {
        return nullptr;
    }
    return partRecord_->Data() + offset;
}

namespace {
constexpr size_t kByteOffsets[] = {4, 5};
constexpr size_t kWordOffsets[] = {6, 8, 10};
constexpr size_t kLongOffsets[] = {12, 16};

template <size_t N>
bool Pick(const size_t (&offsets)[N], int32_t n, size_t* out) {
    if (n < 1 || size_t(n) > N) {
        return false;
    }
    *out = offsets[n - 1];
    return true;
}
} // namespace

void CPart::SetPartByte(int32_t n, uint8_t value) {
    size_t at = 0;
    if (Pick(kByteOffsets, n, &at)) {
        if (uint8_t* p = PartValue(at, 1)) *p = value;
    }
}

void CPart::SetPartWord(int32_t n, uint16_t value) {
    size_t at = 0;
    if (Pick(kWordOffsets, n, &at)) {
        if (uint8_t* p = PartValue(at, 2)) unaligned::Store16(p, value);
    }
}

void CPart::SetPartLong(int32_t n, uint32_t value) {
    size_t at = 0;
    if (Pick(kLongOffsets, n, &at)) {
        if (uint8_t* p = PartValue(at, 4)) unaligned::Store32(p, value);
    }
}

uint8_t CPart::GetPartByte(int32_t n) const {
    size_t at = 0;
    const uint8_t* p = Pick(kByteOffsets, n, &at) ? PartValue(at, 1) : nullptr;
    return p != nullptr ? *p : 0;
}

int16_t CPart::GetPartWord(int32_t n) const {
    size_t at = 0;
    const uint8_t* p = Pick(kWordOffsets, n, &at) ? PartValue(at, 2) : nullptr;
    return p != nullptr ? static_cast<int16_t>(unaligned::Load16(p)) : 0;
}

int32_t CPart::GetPartOffset(int32_t n) const {
    size_t at = 0;
    const uint8_t* p = Pick(kLongOffsets, n, &at) ? PartValue(at, 4) : nullptr;
    return p != nullptr ? static_cast<int32_t>(unaligned::Load32(p)) : 0;
}
