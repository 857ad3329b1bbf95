#pragma once
#include <cstdint>

class CPartFile;

/// A colour word: the bytes red, green, blue, 0 in memory; as a number blue * 65536 +
/// green * 256 + red. Equality of colours is equality of the whole word.
constexpr uint32_t ColorWord(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
constexpr uint8_t ColorRed(uint32_t c) { return uint8_t(c); }
constexpr uint8_t ColorGreen(uint32_t c) { return uint8_t(c >> 8); }
constexpr uint8_t ColorBlue(uint32_t c) { return uint8_t(c >> 16); }

/// Colour tables hold four-byte records: blue, green, red, then a fourth byte. The colour of a
/// record, and a colour stored as a record with its fourth byte.
constexpr uint32_t ColorOfRecord(const uint8_t* record) { return ColorWord(record[2], record[1], record[0]); }
inline void StoreColorRecord(uint8_t* record, uint32_t colour, uint8_t fourth) {
    record[0] = ColorBlue(colour);
    record[1] = ColorGreen(colour);
    record[2] = ColorRed(colour);
    record[3] = fourth;
}

/// Pixel format codes shared by surfaces, kernels and blitters.
enum PixelFormat : int16_t {
    kPixelFormat8 = 0,
    kPixelFormat555 = 1,
    kPixelFormat565 = 2,
    kPixelFormat24 = 3,
    kPixelFormat32 = 4,
};

/// Packing by truncation into the two 16-bit layouts; bit 15 of a 5-5-5 value is 0.
constexpr uint16_t PackColor555(uint32_t c) {
    return uint16_t(((ColorRed(c) & 0xF8) << 7) | ((ColorGreen(c) & 0xF8) << 2) | (ColorBlue(c) >> 3));
}
constexpr uint16_t PackColor565(uint32_t c) {
    return uint16_t(((ColorRed(c) & 0xF8) << 8) | ((ColorGreen(c) & 0xFC) << 3) | (ColorBlue(c) >> 3));
}
/// Packs in the layout of a format code: 2 is 5-6-5, every other code 5-5-5.
constexpr uint16_t PackColor16(uint32_t c, int16_t format) {
    return format == kPixelFormat565 ? PackColor565(c) : PackColor555(c);
}

/// Distance functions of the nearest-colour search (smaller is nearer).
using ColorDistanceFn = int32_t (*)(uint32_t a, uint32_t b);
/// Squared distance d0^2 + d1^2 + d2^2 over red, green and blue; never negative.
int32_t ColorDistance(uint32_t a, uint32_t b);
/// |d0| + |d1| + |d2|.
int32_t ColorDistanceSum(uint32_t a, uint32_t b);

/// 256 colour words with a used count, an optional 16-bit table packed in the current 16-bit
/// layout, a remap cache, two sets of per-index flags and a search range.
class CColorPalette {
public:
    static constexpr int kEntries = 256;

    // Named colours.
    static const uint32_t kRGBWhite;
    static const uint32_t kRGBBlack;
    static const uint32_t kRGBRed;
    static const uint32_t kRGBGreen;
    static const uint32_t kRGBBlue;
    static const uint32_t kRGBCyan;
    static const uint32_t kRGBMagenta;
    static const uint32_t kRGBYellow;
    static const uint32_t kRGBNearBlack;

    /// The engine's default colours, used count 256, bit 0 of set A and bit 255 of set B.
    CColorPalette();
    CColorPalette(const CColorPalette& other);
    CColorPalette& operator=(const CColorPalette& other);
    virtual ~CColorPalette();

    /// Clears the remap cache and the flag blocks; used count 256; search range 1..254.
    int Reset();
    /// 256 zero entries, used count 0, no 16-bit table (the blitters' palette before the first
    /// global palette is set).
    void Clear();
    /// Reset, then copies the other's first (used count) entries; repacks an existing table.
    void Assign(const CColorPalette& other);
    /// Reset, then takes 256 four-byte records in blue, green, red, x order.
    void SetFromColorTable(const uint8_t* records);
    /// Ignored outside 0..255; raises the used count past index; repacks its 16-bit entry.
    void SetEntry(int index, uint32_t colour);
    /// Takes 256 colour words; the used count stays as it is.
    void SetEntries(const uint32_t* words);
    uint32_t GetEntry(int index) const { return m_entries[index & 0xFF]; }
    const uint32_t* Entries() const { return m_entries; }
    /// Copies entry index into *out and returns out.
    uint32_t* GetPaletteEntry(uint32_t* out, int16_t index) const;

    int16_t GetUsedCount() const { return m_usedCount; }
    int16_t GetSearchFirst() const { return m_searchFirst; }
    int16_t GetSearchLast() const { return m_searchLast; }
    void SetSearchRange(int16_t first, int16_t last) {
        m_searchFirst = first;
        m_searchLast = last;
        Touch();
    }
    /// A number no other palette state shares: it changes whenever the entries or the search
    /// range change, so results derived from them can be remembered by it.
    uint32_t Generation() const { return m_generation; }

    void SetFlagA(int index, bool on);
    void SetFlagB(int index, bool on);
    bool GetFlagA(int index) const;
    bool GetFlagB(int index) const;

    /// Takes 1024 bytes (256 colour words as red, green, blue, 0); false when fewer are given.
    /// The chunk reader of the part file hands its data here.
    bool LoadFromBytes(const uint8_t* bytes, uint32_t size);
    /// Reads the 256 colour words of a palette chunk (1024 bytes as held in memory); false,
    /// the palette unchanged, when the chunk is missing or holds fewer bytes. The remap cache
    /// is dropped and the used count becomes 256; an existing 16-bit table is left as it was.
    bool LoadFromChunk(CPartFile* file, uint32_t chunkId);

    /// First index in first..last (0xFFFF/-1 = the search range) equal to colour, skipping
    /// exclude; -1 when none.
    int16_t FindExact(uint32_t colour, int16_t first = -1, int16_t last = -1, int16_t exclude = -1) const;
    /// Exact match first, else the entry of least distance; the lowest index wins a tie.
    int16_t FindNearest(ColorDistanceFn distance, uint32_t colour, int16_t first = -1, int16_t last = -1,
                        int16_t exclude = -1) const;
    int16_t FindNearestColor(uint32_t colour, int16_t first = -1, int16_t last = -1, int16_t exclude = -1) const {
        return FindNearest(ColorDistance, colour, first, last, exclude);
    }
    int16_t FindNearestColorSum(uint32_t colour, int16_t first = -1, int16_t last = -1,
                                int16_t exclude = -1) const {
        return FindNearest(ColorDistanceSum, colour, first, last, exclude);
    }
    int16_t FindNearestColorWeighted(uint32_t colour, int16_t first = -1, int16_t last = -1,
                                     int16_t exclude = -1) const {
        return FindNearestColorSum(colour, first, last, exclude);
    }

    /// Allocates the 16-bit table when absent and packs entries 0..used count - 1 in the
    /// current 16-bit layout; false when no memory can be had.
    bool Build16BitTable();
    void Free16BitTable();
    bool Has16BitTable() const { return m_table16 != nullptr; }
    /// The 16-bit table in the current layout, repacked first when the layout changed since it
    /// was packed; null when none was built.
    const uint16_t* Get16BitTable();
    /// The layout the table is packed in (meaningful while one exists).
    int16_t Table16Format() const { return m_table16Format; }

    /// Maps every index of this palette to an index of target: 0 -> 0, an exact colour before
    /// the nearest one, over the target's search range. table holds 256 bytes.
    bool BuildRemapTable(const CColorPalette& target, uint8_t* table, ColorDistanceFn distance) const;

    /// The remap cache: a derived table that is dropped whenever an entry changes.
    uint8_t* RemapCache() const { return m_remapCache; }
    void SetRemapCache(uint8_t* table256);

private:
    void Touch();
    void ClearRemapCache();
    void Pack16BitTable();
    void NormaliseRange(int16_t& first, int16_t& last) const;

    uint32_t m_entries[kEntries] = {};
    uint8_t* m_remapCache = nullptr;
    int16_t m_usedCount = 0;
    uint16_t* m_table16 = nullptr;
    int16_t m_table16Format = kPixelFormat555;
    uint8_t m_flagsA[32] = {};
    uint8_t m_flagsReserved[32] = {};
    uint8_t m_flagsB[32] = {};
    int16_t m_searchFirst = 1;
    int16_t m_searchLast = 254;
    uint32_t m_generation = 0;
};

/// The default colour table: 256 records of blue, green, red, 0.
const uint8_t* DefaultColorTable();
