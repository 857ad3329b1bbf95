#include "engine/blit/ColorPalette.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/data/Memory.h"
#include "engine/data/Profiles.h"

namespace {

// Red, green, blue as 0xRRGGBB for indices 0..137; 138..253 black, 254 white, 255 black.
constexpr uint32_t kDefaultRgb[138] = {
    0xFFFFFF, 0x000000, 0xB6FF92, 0x49DC00, 0x36A200, 0x206100, 0x63FF63, 0x00DD00,
    0x009100, 0x004B00, 0x21F021, 0x00AA00, 0x006A00, 0x003B00, 0x85EB20, 0x55AA00,
    0x377000, 0x1D3B00, 0xFFFF6D, 0xBFBF51, 0x90903D, 0x44441D, 0x97E200, 0x7BB900,
    0x588400, 0x2D4400, 0xF0F000, 0x939300, 0x646400, 0x3B3B00, 0xFFD8CD, 0xFFAA92,
    0xB37766, 0x6D493E, 0xFF9898, 0xFF4C4C, 0xAD2B2B, 0x5B1717, 0xC7B9BF, 0xB66A88,
    0x754458, 0x46172A, 0xB5FFFF, 0x00FFFF, 0x00B9B9, 0x006767, 0xAAFFFF, 0x87CBCB,
    0x5C8A8A, 0x395656, 0x99CCCC, 0x729898, 0x4E6969, 0x344646, 0xB3D9FF, 0x55AAFF,
    0x3973AD, 0x24486D, 0x8CD9FF, 0x00AAFF, 0x0077B3, 0x004161, 0x7995B6, 0x0055B6,
    0x003776, 0x001935, 0x75A3FF, 0x0055FF, 0x003DB9, 0x002061, 0x8787FF, 0x6262B9,
    0x4F4F96, 0x333361, 0xCACAFF, 0x7E7EFF, 0x4B4BE2, 0x303090, 0x9292FF, 0x4646FF,
    0x0000D9, 0x000064, 0xFFD9FF, 0xFFAAFF, 0xD169D1, 0x7F407F, 0xD6ADFF, 0xAA55FF,
    0x773BB3, 0x3D1E5B, 0xFFB5FF, 0xFF57FF, 0xD100D1, 0x5B005B, 0xBE9EFF, 0x7C3AFF,
    0x4100C5, 0x220067, 0xFDFDFD, 0xE1E1E1, 0x959595, 0x6C6C6C, 0xDADADA, 0x9E9E9E,
    0x787878, 0x4A4A4A, 0xBABABA, 0x7F7F7F, 0x525252, 0x212121, 0xFFDEF1, 0xF694DC,
    0xED4AC7, 0xE400B2, 0xFF56AD, 0xD63994, 0xAD1D7C, 0x850064, 0xB385FE, 0x8859D4,
    0x5D2DAB, 0x320181, 0x00FAFA, 0x00C0CB, 0x00869B, 0x004C6B, 0x1AB2FB, 0x1293E8,
    0x0A74D5, 0x0355C1, 0xE6E6E6, 0xB3B3B3, 0x797979, 0x4E4E4E, 0xAFAFAF, 0x888888,
    0x616161, 0x272727,
};

struct DefaultTable {
    uint8_t records[CColorPalette::kEntries * 4] = {};
    DefaultTable() {
        for (int i = 0; i < CColorPalette::kEntries; ++i) {
            uint32_t rgb = 0;
            if (i < 138) rgb = kDefaultRgb[i];
            else if (i == 254) rgb = 0xFFFFFF;
            StoreColorRecord(records + i * 4, ColorWord(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)), 0);
        }
    }
};

/// The current 16-bit layout: the pixel format code of the profile key PIXELFORMAT.
int16_t CurrentLayout() { return xProfiles_Values().pixelFormat == kPixelFormat565 ? kPixelFormat565 : kPixelFormat555; }

// One bit per index, the first index in the high bit of the first byte.
void SetFlagBit(uint8_t* block, int index, bool on) {
    if (index < 0 || index >= CColorPalette::kEntries) return;
    const uint8_t bit = uint8_t(128 >> (index % 8));
    if (on) block[index / 8] |= bit;
    else block[index / 8] &= uint8_t(~bit);
}

bool FlagBit(const uint8_t* block, int index) {
    return index >= 0 && index < CColorPalette::kEntries && (block[index / 8] & (128 >> (index % 8))) != 0;
}

// The entries a used count covers.
int UsedEntries(int16_t usedCount) { return std::clamp<int>(usedCount, 0, CColorPalette::kEntries); }

} // namespace

const uint8_t* DefaultColorTable() {
    static const DefaultTable table;
    return table.records;
}

const uint32_t CColorPalette::kRGBWhite = ColorWord(255, 255, 255);
const uint32_t CColorPalette::kRGBBlack = ColorWord(0, 0, 0);
const uint32_t CColorPalette::kRGBRed = ColorWord(255, 0, 0);
const uint32_t CColorPalette::kRGBGreen = ColorWord(0, 255, 0);
const uint32_t CColorPalette::kRGBBlue = ColorWord(0, 0, 255);
const uint32_t CColorPalette::kRGBCyan = ColorWord(0, 255, 255);
const uint32_t CColorPalette::kRGBMagenta = ColorWord(255, 0, 255);
const uint32_t CColorPalette::kRGBYellow = ColorWord(255, 255, 0);
const uint32_t CColorPalette::kRGBNearBlack = ColorWord(12, 12, 12);

int32_t ColorDistance(uint32_t a, uint32_t b) {
    const int32_t d0 = int32_t(ColorRed(a)) - ColorRed(b);
    const int32_t d1 = int32_t(ColorGreen(a)) - ColorGreen(b);
    const int32_t d2 = int32_t(ColorBlue(a)) - ColorBlue(b);
    return d0 * d0 + d1 * d1 + d2 * d2;
}

int32_t ColorDistanceSum(uint32_t a, uint32_t b) {
    return std::abs(int32_t(ColorRed(a)) - ColorRed(b)) + std::abs(int32_t(ColorGreen(a)) - ColorGreen(b)) +
           std::abs(int32_t(ColorBlue(a)) - ColorBlue(b));
}

CColorPalette::CColorPalette() {
    Reset();
    SetFromColorTable(DefaultColorTable());
    SetFlagA(0, true);
    SetFlagB(255, true);
}

CColorPalette::CColorPalette(const CColorPalette& other) { Assign(other); }

CColorPalette& CColorPalette::operator=(const CColorPalette& other) {
    if (this != &other) Assign(other);
    return *this;
}

CColorPalette::~CColorPalette() {
    ClearRemapCache();
    Free16BitTable();
}

void CColorPalette::Touch() {
    static uint32_t counter = 0;
    m_generation = ++counter;
}

void CColorPalette::ClearRemapCache() {
    Touch();
    PoolFreeBlock(m_remapCache);
    m_remapCache = nullptr;
}

void CColorPalette::SetRemapCache(uint8_t* table256) {
    ClearRemapCache();
    m_remapCache = table256;
}

int CColorPalette::Reset() {
    ClearRemapCache();
    m_usedCount = kEntries;
    m_searchFirst = 1;
    m_searchLast = 254;
    std::memset(m_flagsA, 0, sizeof m_flagsA);
    std::memset(m_flagsReserved, 0, sizeof m_flagsReserved);
    std::memset(m_flagsB, 0, sizeof m_flagsB);
    return 0;
}

void CColorPalette::Clear() {
    std::memset(m_entries, 0, sizeof m_entries);
    ClearRemapCache();
    Free16BitTable();
    m_usedCount = 0;
}

void CColorPalette::Assign(const CColorPalette& other) {
    Reset();
    Touch();
    std::memcpy(m_entries, other.m_entries, size_t(UsedEntries(other.m_usedCount)) * sizeof(uint32_t));
    if (m_table16) Pack16BitTable();
}

void CColorPalette::SetFromColorTable(const uint8_t* records) {
    Reset();
    for (int i = 0; i < kEntries; ++i)
        m_entries[i] = ColorOfRecord(records + i * 4);
    if (m_table16) Pack16BitTable();
}

void CColorPalette::SetEntry(int index, uint32_t colour) {
    if (index < 0 || index >= kEntries) return;
    if (index >= m_usedCount) m_usedCount = int16_t(index + 1);
    m_entries[index] = colour;
    ClearRemapCache();
    if (m_table16) {
        if (m_table16Format != CurrentLayout()) Pack16BitTable();
        else m_table16[index] = PackColor16(colour, m_table16Format);
    }
}

void CColorPalette::SetEntries(const uint32_t* words) {
    std::memcpy(m_entries, words, sizeof m_entries);
    ClearRemapCache();
    if (m_table16) Pack16BitTable();
}

uint32_t* CColorPalette::GetPaletteEntry(uint32_t* out, int16_t index) const {
    *out = m_entries[uint8_t(index)];
    return out;
}

void CColorPalette::SetFlagA(int index, bool on) { SetFlagBit(m_flagsA, index, on); }

void CColorPalette::SetFlagB(int index, bool on) { SetFlagBit(m_flagsB, index, on); }

bool CColorPalette::GetFlagA(int index) const { return FlagBit(m_flagsA, index); }

bool CColorPalette::GetFlagB(int index) const { return FlagBit(m_flagsB, index); }

bool CColorPalette::LoadFromBytes(const uint8_t* bytes, uint32_t size) {
    if (!bytes || size < kEntries * 4) return false;
    for (int i = 0; i < kEntries; ++i)
        m_entries[i] = ColorWord(bytes[i * 4], bytes[i * 4 + 1], bytes[i * 4 + 2]) | (uint32_t(bytes[i * 4 + 3]) << 24);
    ClearRemapCache();
    m_usedCount = kEntries;
    return true;
}

void CColorPalette::NormaliseRange(int16_t& first, int16_t& last) const {
    if (first == -1) first = m_searchFirst;
    if (last == -1) last = m_searchLast;
    if (first < 0) first = 0;
    if (last >= 255 || last < 0) last = 255;
}

int16_t CColorPalette::FindExact(uint32_t colour, int16_t first, int16_t last, int16_t exclude) const {
    NormaliseRange(first, last);
    for (int i = first; i <= last; ++i)
        if (i != exclude && m_entries[i] == colour) return int16_t(i);
    return -1;
}

int16_t CColorPalette::FindNearest(ColorDistanceFn distance, uint32_t colour, int16_t first, int16_t last,
                                   int16_t exclude) const {
    NormaliseRange(first, last);
    int32_t best = 0x7FFFFFFF;
    int16_t bestIndex = -1;
    for (int i = first; i <= last; ++i) {
        if (i == exclude) continue;
        if (m_entries[i] == colour) return int16_t(i);
        const int32_t d = distance(colour, m_entries[i]);
        if (d < best) {
            best = d;
            bestIndex = int16_t(i);
        }
    }
    return bestIndex;
}

void CColorPalette::Pack16BitTable() {
    m_table16Format = CurrentLayout();
    const int n = UsedEntries(m_usedCount);
    for (int i = 0; i < n; ++i) m_table16[i] = PackColor16(m_entries[i], m_table16Format);
}

bool CColorPalette::Build16BitTable() {
    if (!m_table16) {
        m_table16 = static_cast<uint16_t*>(PoolAllocBlock(PoolForThread(), kEntries * sizeof(uint16_t), BLOCK_ZEROINIT));
        if (!m_table16) return false;
    }
    Pack16BitTable();
    return true;
}

void CColorPalette::Free16BitTable() {
    PoolFreeBlock(m_table16);
    m_table16 = nullptr;
}

const uint16_t* CColorPalette::Get16BitTable() {
    if (m_table16 && m_table16Format != CurrentLayout()) Pack16BitTable();
    return m_table16;
}

bool CColorPalette::BuildRemapTable(const CColorPalette& target, uint8_t* table, ColorDistanceFn distance) const {
    table[0] = 0;
    if (m_usedCount < 2) return false;
    for (int i = 1; i < m_usedCount && i < kEntries; ++i) {
        int16_t index = target.FindExact(m_entries[i]);
        if (index < 0) index = target.FindNearest(distance, m_entries[i]);
        table[i] = uint8_t(index);
    }
    return false;
}
