#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/core/BackgroundView.h"

class ODriver;

/// The 28-byte header of an activity chunk, in host order.
struct ActivityHeader {
    static constexpr uint32_t kSize = 28;
    uint32_t classId = 0;
    uint32_t objectId = 0;
    ChunkId backgroundId = kNullChunkId;
    ChunkId paletteId = kNullChunkId;
    uint32_t word16 = 0;
    uint32_t propertyBytes = 0;
    uint32_t word24 = 0;

    /// Reads the stored (big-endian) header; false when fewer than 28 bytes are given.
    static bool Parse(std::span<const uint8_t> bytes, ActivityHeader& out);
};

/// One 52-byte object record of an activity chunk, in host order (bytes 8-39 are not read).
struct ActivityObjectRecord {
    static constexpr uint32_t kSize = 52;
    uint32_t classId = 0;
    uint32_t objectId = 0;
    ChunkId partId = kNullChunkId;
    uint32_t word44 = 0;
    uint32_t propertyBytes = 0;

    static bool Parse(std::span<const uint8_t> bytes, ActivityObjectRecord& out);
};

/// One screen, world or game (class id 53): a background view read from an activity chunk,
/// with a palette and an optional tile grid, that owns its props as children, decides whether
/// it may be left and which objects it takes, and carries the hooks the game's activities fill.
class OActivity : public OBackgroundView {
public:
    static constexpr uint32_t kClassId = 53;

    /// Property family 53.
    enum : uint32_t {
        kPropValue1 = 1,
        kPropTiled = 2,
        kPropColumns = 3,
        kPropRows = 4,
        kPropTileWidth = 6,
        kPropTileHeight = 7,
        kPropCompactGrid = 99,
        kPropTileTable = 100,
    };
    /// Bytes of one tile record; its first 16-bit value is the tile number.
    static constexpr uint32_t kTileRecordSize = 12;

    OActivity(const char* name, uint32_t classId);
    ~OActivity() override;

    bool IsA(uint32_t classId) const override;
    bool HandleProperty(OPropertyMsg* msg, int32_t set) override;
    /// A tiled activity builds its tile table from the compact grid (unless the data gave one)
    /// and takes the size of its map.
    int32_t OnPropertiesLoaded() override;
    /// (0, 0, width, height): the activity's own rectangle starts at the origin.
    void GetBoundsRect(CRect16* rect) override;
    OView* HitTestPointDeep(const CPoint16& point) override;
    OView* HitTestPointAt(const CPoint16& point, OView* skipped) override;
    /// The props and other children (the window draws the background itself).
    void Draw(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) override;
    void DrawOutline(CDrawSurface* destination, CPoint16 point, const CClipRect& source, const CClipRect& target) {
        Draw(destination, point, source, target);
    }
    bool ReloadBackground() override;
    /// The activity's background load (LoadFromRAVO).
    bool LoadBackground(CPartFile* file, ChunkId id) override;
    bool LoadFromRAVO(CPartFile* file, ChunkId id) { return LoadBackground(file, id); }
    /// Clamps, or wraps horizontally when the view wraps; moves the view so that the background
    /// shows the new offset.
    bool ScrollTo(const CPointF& point, uint8_t relative) override;
    CPointF GetBackgroundSize() override;
    /// Plain: a copy of the source rectangle. Tiled: the tiles under the source rectangle (map
    /// coordinates), runs of consecutive tile numbers drawn as one piece, at their map places
    /// less the scroll offset.
    void DrawBackgroundRect(const CClipRect& source, CDrawSurface* destination, const CClipRect& target) override;

    /// Called when the activity has become the current one.
    virtual int32_t OnActivated() { return 1; }
    /// Empties the waiting snippets of every pipe of the application's sound process.
    virtual int32_t FlushSoundQueues();
    /// Whether an object made from the activity data becomes one of its children.
    virtual bool AcceptObject(OView* /*object*/) { return true; }
    /// Told of each object just before deferred deletion deletes it.
    virtual int32_t OnObjectDeleted(OObject* /*object*/) { return 1; }
    /// Whether the activity may be left now.
    virtual bool MayLeave() { return true; }
    virtual void OnDebugReset() {}
    virtual void OnDebugCode(uint32_t /*code*/) {}

    /// Reads the activity from the start of its chunk data: the header, the activity's own
    /// properties, the palette and the background. False (traced) when the data does not hold
    /// together: properties running past the data, or a tile grid that cannot be drawn.
    virtual bool ReadActivityData(CPartFile* file, ODriver* stream);

    CColorPalette& GetPalette() { return palette_; }
    ChunkId GetPaletteId() const { return paletteId_; }
    bool IsTiled() const { return tiled_ != 0; }
    int16_t GetColumns() const { return columns_; }
    int16_t GetRows() const { return rows_; }
    int16_t GetTileWidth() const { return tileWidth_; }
    int16_t GetTileHeight() const { return tileHeight_; }
    int32_t GetTileCount() const { return tileCount_; }
    int16_t GetValue1() const { return value1_; }
    /// The tile number of a map cell (its record's first 16-bit value); -1 outside the map.
    int32_t TileAt(int32_t row, int32_t column) const;
    bool HasCompactGrid() const { return !grid_.empty(); }

private:
    /// True when the tile fields make a grid that can be drawn; traces the reason otherwise.
    bool TileGridUsable();

    CColorPalette palette_;
    ChunkId paletteId_ = kNullChunkId;
    uint8_t tiled_ = 0;
    int16_t columns_ = 0;
    int16_t rows_ = 0;
    int16_t tileWidth_ = 32;
    int16_t tileHeight_ = 32;
    int32_t tileCount_ = 0;
    std::vector<uint8_t> grid_;
    std::vector<uint8_t> tiles_;
    int16_t value1_ = 1;
    /// Set by OnPropertiesLoaded when a tiled activity's grid is unusable.
    bool badGrid_ = false;
};
