// The PCX reader: a 128-byte little-endian header (manufacturer 10, version, encoding, bits per
// plane, window xmin, ymin, xmax, ymax, resolutions, a 16-entry colour map of RGB triples at
// 16, the number of planes at 65, bytes per line of a plane at 66), run-length coded lines,
// and for 256 colours a marker byte 12 and 256 RGB triples at the end of the file.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "engine/base/Trace.h"
#include "engine/base/ByteOrder.h"
#include "engine/data/Driver.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/ImageReaders.h"
#include "engine/graphics/ImageRows.h"
#include "engine/graphics/ImageStream.h"

namespace {

constexpr uint32_t kHeaderSize = 128;
constexpr uint32_t kTailPalette = 769; ///< the marker byte 12 and 256 RGB triples
constexpr uint8_t kTailMarker = 12;

struct PcxHeader {
    uint8_t version = 0;
    int32_t bits = 0;   ///< per pixel of a plane: 1, 2, 4 or 8
    int32_t planes = 0;
    int32_t bytesPerLine = 0; ///< of one plane
    int32_t width = 0;
    int32_t height = 0;
    int16_t depth = 0; ///< of the surface: 8, or 8 times the planes for planes of 8 bits
    uint8_t map[48] = {};
};

/// Reads and checks the header. Taken: planes of 1, 2 or 4 bits holding up to 8 bits a pixel
/// (read into 8 bits), or one, three or four planes of 8 bits; a size that fits a surface;
/// lines that hold the width. False with the reader's trace.
bool ReadPcxHeader(ODriver* stream, PcxHeader& h) {
    uint8_t raw[kHeaderSize];
    if (!stream->ReadExactly(raw, sizeof raw)) {
        xTrace("PCX Read : Error reading PCX header\n");
        return false;
    }
    if (raw[0] != 10) {
        xTrace("PCX Read : File is not a PCX file\n");
        return false;
    }
    const bytes::Span s(raw);
    h.version = raw[1];
    h.bits = raw[3] ? raw[3] : 1;
    h.planes = raw[65] ? raw[65] : 1;
    h.bytesPerLine = bytes::le16(s, 66);
    h.width = int32_t(bytes::le16(s, 8)) - int32_t(bytes::le16(s, 4)) + 1;
    h.height = int32_t(bytes::le16(s, 10)) - int32_t(bytes::le16(s, 6)) + 1;
    std::memcpy(h.map, raw + 16, sizeof h.map);
    const bool packed = (h.bits == 1 || h.bits == 2 || h.bits == 4) && h.bits * h.planes <= 8;
    const bool bytewise = h.bits == 8 && (h.planes == 1 || h.planes == 3 || h.planes == 4);
    const int64_t lineBits = int64_t(h.bytesPerLine) * 8;
    if ((!packed && !bytewise) || h.width < 1 || h.height < 1 || h.width > INT16_MAX || h.height > INT16_MAX ||
        lineBits < int64_t(h.width) * h.bits) {
        xTracef("PCX Read : Unsupported image (%d x %d, %d bits x %d planes, %d bytes a line)\n", int(h.width),
                int(h.height), int(h.bits), int(h.planes), int(h.bytesPerLine));
        return false;
    }
    h.depth = int16_t(bytewise ? 8 * h.planes : 8);
    return true;
}

/// Decodes PCX lines. A byte with both top bits set is a count (its low 6 bits) of the value
/// byte that follows; any other byte is one value. A line is the planes one after the other,
/// each bytes-per-line long; a run may go on into the next line, so the state carries over.
class CPcxLineReader : public CImageStream {
public:
    CPcxLineReader(ODriver* stream, const PcxHeader& h)
        : m_stream(stream), m_input(stream), m_header(h), m_scan(size_t(h.planes) * size_t(h.bytesPerLine)) {}

    /// Goes to the first line.
    int32_t Start() override {
        m_input.Sync();
        m_runLeft = 0;
        m_ended = m_stream->Control(DRV_SEEK, 0, intptr_t(kHeaderSize)) != DRV_OK;
        return GetStatus();
    }
    /// Decodes one line into dest: `n` bytes, the width in pixels of the surface's depth; 8-bit
    /// planes are interleaved, the last plane first (three give blue, green, red), smaller
    /// planes are put together, one byte a pixel. Answers n, or -1 when the data ends first.
    int32_t Read(uint8_t* dest, int32_t n) override {
        if (!Scan()) return -1;
        const int32_t planes = m_header.planes;
        const int32_t stride = m_header.bytesPerLine;
        const int32_t width = std::min(m_header.width, n / (m_header.depth / 8));
        if (m_header.bits == 8) {
            if (planes == 1) {
                std::memcpy(dest, m_scan.data(), size_t(width));
            } else {
                for (int32_t p = 0; p < planes; ++p)
                    for (int32_t x = 0; x < width; ++x) dest[x * planes + (planes - 1 - p)] = m_scan[size_t(p * stride + x)];
            }
            return n;
        }
        const int32_t bits = m_header.bits;
        const uint8_t mask = uint8_t((1u << bits) - 1);
        std::memset(dest, 0, size_t(width));
        for (int32_t p = 0; p < planes; ++p) {
            const uint8_t* plane = m_scan.data() + size_t(p * stride);
            for (int32_t x = 0; x < width; ++x) {
                const int32_t bit = x * bits; // the leftmost pixel in the high bits
                const uint8_t pixel = uint8_t(plane[bit >> 3] >> (8 - bits - (bit & 7))) & mask;
                dest[x] |= uint8_t(pixel << (p * bits));
            }
        }
        return n;
    }
    /// 1 once the data ended inside a line, else 0.
    int32_t GetStatus() override { return m_ended ? 1 : 0; }
    int32_t Finish() override {
        m_input.Sync();
        return GetStatus();
    }

private:
    /// Decodes the coded bytes of one line into the scan buffer.
    bool Scan() {
        const size_t size = m_scan.size();
        for (size_t at = 0; at < size;) {
            if (m_runLeft == 0) {
                uint8_t code = 0;
                if (m_ended || !m_input.Byte(code)) break;
                if ((code & 0xC0) != 0xC0) { // one value
                    m_scan[at++] = code;
                    if (at == size) return true;
                    continue;
                }
                m_runLeft = code & 0x3F;
                if (!m_input.Byte(m_value)) break;
                continue;
            }
            const size_t take = std::min<size_t>(m_runLeft, size - at);
            std::memset(m_scan.data() + at, m_value, take);
            at += take;
            m_runLeft -= uint32_t(take);
            if (at == size) return true;
        }
        m_ended = true;
        return false;
    }

    ODriver* m_stream;
    CImageInput m_input;
    PcxHeader m_header;
    std::vector<uint8_t> m_scan;
    uint32_t m_runLeft = 0;
    uint8_t m_value = 0;
    bool m_ended = false;
};

/// The palette of the file: whether it applies, its entry count and its colours.
struct PcxPalette {
    bool applies = false;
    int32_t count = 0;
    CColorPalette colours;
};

/// Finds the palette: for one plane of 8 bits the 256 colours at the end of the file, taken
/// only after the marker 12; for fewer bits black and white for two colours, else the header's
/// map (entries past its 16 black), taken unless the version is 3. Several planes of 8 bits
/// have none.
void FindPalette(ODriver* stream, const PcxHeader& h, PcxPalette& palette) {
    uint32_t words[256] = {};
    if (h.bits == 8) {
        if (h.planes != 1) return;
        palette.count = 256;
        const intptr_t size = stream->Control(DRV_SIZE);
        uint8_t tail[kTailPalette];
        if (size < intptr_t(kHeaderSize + kTailPalette) || stream->Control(DRV_SEEK, 0, size - intptr_t(kTailPalette)) != DRV_OK ||
            !stream->ReadExactly(tail, sizeof tail) || tail[0] != kTailMarker)
            return;
        for (int i = 0; i < 256; ++i) words[i] = ColorWord(tail[1 + 3 * i], tail[2 + 3 * i], tail[3 + 3 * i]);
    } else {
        palette.count = 1 << (h.bits * h.planes);
        if (h.version == 3) return;
        if (palette.count == 2) {
            words[1] = ColorWord(255, 255, 255);
        } else {
            for (int i = 0; i < 16; ++i) words[i] = ColorWord(h.map[3 * i], h.map[3 * i + 1], h.map[3 * i + 2]);
        }
    }
    palette.colours.Reset();
    palette.colours.SetEntries(words);
    palette.applies = true;
}

} // namespace

bool ReadPcxInfo(ODriver* stream, FrameInfo* info) {
    PcxHeader h;
    if (!stream || !info || !ReadPcxHeader(stream, h)) return false;
    info->width = int16_t(h.width);
    info->height = int16_t(h.height);
    info->bitsPerPixel = h.depth;
    return true;
}

bool LoadPCX(CDrawSurface* surface, ODriver* stream) {
    if (!stream) {
        xTrace("PCX Read : File not found\n");
        return false;
    }
    PcxHeader h;
    if (!surface || !ReadPcxHeader(stream, h)) return false;
    if (!surface->Create(int16_t(h.width), int16_t(h.height), h.depth)) {
        xTrace("PCX Read : the surface cannot be made\n");
        return false;
    }
    const std::unique_ptr<PcxPalette> palette(new (std::nothrow) PcxPalette);
    if (!palette) {
        xTrace("PCX Read : Error allocating PCX palette\n");
        return false;
    }
    FindPalette(stream, h, *palette);
    if (palette->applies) surface->SetPalette(&palette->colours, 0);

    CImageRows rows(surface, h.depth, h.width, palette->applies ? &palette->colours : nullptr);
    if (!rows.Ready()) {
        xTracef("PCX Read : no conversion into %d bits\n", int(surface->GetBitsPerPixel()));
        return false;
    }
    CPcxLineReader lines(stream, h);
    lines.Start(); // a failed seek ends the first line
    const int32_t lineBytes = h.width * (h.depth / 8);
    for (int32_t y = 0; y < h.height; ++y) {
        if (!rows.Fill(y, [&](uint8_t* line) { return lines.Read(line, lineBytes) >= 0; })) {
            xTracef("Load PCX : Error decoding line %d of %d\n", int(y + 1), int(h.height));
            return false;
        }
    }
    return true;
}
