#pragma once
#include <cstdint>
#include <vector>

#include "engine/data/ChunkId.h"
#include "engine/graphics/PartBase.h"

class CPartFile;
struct CPartRecord;

/// An animation set as the part file stores it: the part record with its state list, the states
/// themselves (loaded when first shown unless all are asked for), and the common-block table
/// shared by the compressed frames of every state. Bands recolour the frames when the record
/// allows it.
///
/// The record may be shared with other parts through the chunk cache; what a part changes (its
/// common-block table, its recoloured images) is its own.
class CPart : public CPartBase {
public:
    CPart();
    /// Unloads the part.
    ~CPart() override;

    uint8_t CanRecolorA() override;
    void SetBandA(uint32_t x, uint8_t band, uint8_t force) override;
    uint8_t CanRecolorB() override;
    void SetBandB(uint32_t x, uint8_t band, uint8_t force) override;
    void SetBands(uint32_t x, uint8_t bandA, uint8_t bandB, uint8_t force) override;
    /// Loads the state when it has not been loaded, then makes it current; a newly current
    /// state takes the part's bands.
    void SetState(int32_t index) override;
    virtual void UnloadPart();
    void DeleteStates() override;
    void DrawCurrentFrame(CDrawSurface* dest, const CClipRect* sourceRect, const CClipRect* destRect,
                          uint32_t extra) override;

    /// Loads the part (through the chunk cache when asked): one state per entry of its list,
    /// the first (or, with loadAll, every) state loaded; 1 when loaded.
    int32_t SetPartID(CPartFile* partFile, ChunkId partId, uint8_t loadAll, uint8_t useCache);
    void GetPartID(ChunkId* out) const { *out = partId_; }
    ChunkId GetPartID() const { return partId_; }
    void GetChunkId(ChunkId* out) const { GetPartID(out); }
    CPartRecord* GetPartRecord() const { return partRecord_; }
    CPartFile* GetPartFile() const { return partFile_; }
    /// The common-block table the part's states draw with.
    uint8_t* GetCommonBlocks() const { return commonBlocks_; }
    /// Takes a new common-block table: the shared one from the cache when `shared` is set and
    /// the part cannot be recoloured, else a private copy.
    void ReloadCommonBlock(uint8_t shared);

    void PlayStateSound(int32_t index, uint8_t loop);
    void StopStateSound(int32_t index);
    /// Entry number of a state's sound (0 out of range) and the whole id.
    ChunkId GetStateSoundId(int32_t index) const;

    // The part values of the record (nothing / 0 without one): u8 at data 4 and 5, u16 at 6, 8
    // and 10, u32 at 12 and 16.
    void SetPartByte(int32_t n, uint8_t value);
    void SetPartWord(int32_t n, uint16_t value);
    void SetPartLong(int32_t n, uint32_t value);
    uint8_t GetPartByte(int32_t n) const;
    int16_t GetPartWord(int32_t n) const;
    int32_t GetPartOffset(int32_t n) const;
    uint8_t GetPropSoundValue() const { return GetPartByte(1); }

private:
    /// Recolours every state, or the current one, with a common-block table of the part's own.
    void Recolor(uint8_t a, uint8_t b, bool allStates);
    /// Loads state `index` from its own entry of the record.
    bool LoadStateAt(int32_t index);
    void ReleaseCommonBlocks();
    uint8_t* PartValue(size_t offset, size_t width) const;

    CPartRecord* partRecord_ = nullptr;
    CPartFile* partFile_ = nullptr;
    ChunkId partId_ = kNullChunkId;
    uint8_t fromCache_ = 0;
    uint8_t* commonBlocks_ = nullptr;
    /// How the table is held: 0 the record's own, 1 a cache reference, 2 a private copy.
    uint8_t commonBlocksHeld_ = 0;
    /// For each state in the list, its entry of the record's state list (entries whose state
    /// could not be made leave no state behind).
    std::vector<int32_t> entries_;
};
