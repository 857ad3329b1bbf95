// The GIF reader: the 6-byte header, the 7-byte logical screen descriptor, the global colour
// table, then blocks introduced by 0x21 (extension), 0x2C (image) and 0x3B (trailer), as the
// GIF standard defines them. Only the first image is read; extensions are skipped.
#include <span>
#include <string_view>

#include "engine/base/Trace.h"
#include "engine/base/ByteOrder.h"
#include "engine/data/Driver.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/graphics/ImageReaders.h"
#include "engine/graphics/ImageRows.h"
#include "engine/graphics/LzwDecodeStream.h"

namespace {

constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kColourTableFlag = 0x80;
constexpr uint8_t kInterlaceFlag = 0x40;

/// What the blocks before the first image give: the global colours and the image's
/// descriptor.
struct GifImage {
    CColorPalette palette;
    int32_t width = 0;
    int32_t height = 0;
    bool interlaced = false;
};

/// A colour table of 2^(bits + 1) RGB triples; false when the data ends inside it.
bool ReadColourTable(ODriver* stream, uint8_t packed, uint32_t* words) {
    const uint32_t count = 2u << (packed & 7);
    uint8_t rgb[256 * 3];
    if (!stream->ReadExactly(rgb, count * 3)) return false;
    for (uint32_t i = 0; i < count; ++i) words[i] = ColorWord(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    return true;
}

/// Skips data sub-blocks up to and including the empty one that ends them.
bool SkipSubBlocks(ODriver* stream) {
    uint8_t length = 0;
    while (stream->ReadExactly(&length, 1)) {
        if (length == 0) return true;
        if (stream->Control(DRV_SEEK, 1, length) != DRV_OK) return false;
    }
    return false;
}

/// Reads an extension after its introducer: the label, the fixed header of the known ones and
/// their data sub-blocks. False (traced) when the data ends inside it.
bool ReadExtension(ODriver* stream) {
    uint8_t label = 0;
    if (!stream->ReadExactly(&label, 1)) {
        xTrace("Error reading extension\n");
        return false;
    }
    uint32_t header = 0;
    const char* failure = nullptr;
    switch (label) {
    case 0xF9: header = 5, failure = "Error reading GIF control extension"; break;
    case 0xFE: header = 0, failure = "Error reading GIF comment extension"; break;
    case 0x01: header = 13, failure = "Error reading GIF text extension"; break;
    case 0xFF: header = 12, failure = "Error reading GIF application extension"; break;
    default:
        xTracef("Unknown or invalid extension %02Xh\n", unsigned(label));
        return true;
    }
    uint8_t fixed[13];
    if (!stream->ReadExactly(fixed, header) || !SkipSubBlocks(stream)) {
        xTrace(failure);
        return false;
    }
    return true;
}

/// Reads everything up to the first image's data: the header, the screen, the global colour
/// table, the extensions, the image descriptor and its local colour table (which is not
/// used). False with the reader's trace.
bool ReadToImage(ODriver* stream, GifImage& image) {
    uint8_t header[6];
    if (!stream->ReadExactly(header, sizeof header)) {
        xTrace("Error reading GIF header");
        return false;
    }
    const std::string_view signature(reinterpret_cast<const char*>(header), sizeof header);
    if (signature != "GIF87a" && signature != "GIF89a") {
        xTrace("File is not a valid GIF file");
        return false;
    }
    uint8_t screen[7];
    if (!stream->ReadExactly(screen, sizeof screen)) {
        xTrace("Error reading GIF screen descriptor");
        return false;
    }
    uint32_t colours[256] = {}; // a file without a global table gives a palette of zeros
    if ((screen[4] & kColourTableFlag) && !ReadColourTable(stream, screen[4], colours)) {
        xTrace("Error reading global color table");
        return false;
    }
    image.palette.Reset();
    image.palette.SetEntries(colours);

    uint8_t introducer = 0;
    while (stream->ReadExactly(&introducer, 1)) {
        if (introducer == kExtension) {
            if (!ReadExtension(stream)) return false;
            continue;
        }
        if (introducer == kTrailer) {
            xTrace("Unexpected GIF trailer");
            return false;
        }
        if (introducer != kImage) {
            xTrace("Unknown or invalid construct");
            return false;
        }
        uint8_t descriptor[9];
        if (!stream->ReadExactly(descriptor, sizeof descriptor)) {
            xTrace("Error reading GIF image descriptor");
            return false;
        }
        if (descriptor[8] & kColourTableFlag) {
            uint32_t local[256];
            if (!ReadColourTable(stream, descriptor[8], local)) {
                xTrace("*** Error : GIF - reading global color table\n");
                return false;
            }
            xTrace("*** Warning : GIF - local color table not supported!!\n");
        }
        const bytes::Span d(descriptor);
        image.width = bytes::le16(d, 4);
        image.height = bytes::le16(d, 6);
        image.interlaced = (descriptor[8] & kInterlaceFlag) != 0;
        return true;
    }
    xTrace("*** Error : GIF - the file holds no image\n");
    return false;
}

} // namespace

bool ReadGifInfo(ODriver* stream, FrameInfo* info) {
    GifImage image;
    if (!stream || !info || !ReadToImage(stream, image)) return false;
    info->width = int16_t(image.width);
    info->height = int16_t(image.height);
    info->bitsPerPixel = 8;
    return true;
}

bool LoadGIF(CDrawSurface* surface, ODriver* stream) {
    GifImage image;
    if (!surface || !stream || !ReadToImage(stream, image)) return false;
    // The image's place on the logical screen is not used.
    if (image.width > INT16_MAX || image.height > INT16_MAX ||
        !surface->Create(int16_t(image.width), int16_t(image.height), 8) || surface->IsSurfaceLost()) {
        xTrace("*** Error : GIF - insufficient memory to load image\n");
        return false;
    }
    uint8_t minimumCodeSize = 0;
    bool ok = stream->ReadExactly(&minimumCodeSize, 1);
    CLZWDecodeStream decoder(stream, minimumCodeSize);
    CImageRows rows(surface, 8, image.width, &image.palette);
    if (!rows.Ready()) {
        xTracef("*** Error : GIF - no conversion into %d bits\n", int(surface->GetBitsPerPixel()));
        return false;
    }
    // Interlaced rows come in four passes: every 8th from 0, every 8th from 4, every 4th from
    // 2, every 2nd from 1.
    struct Pass {
        int32_t first, step;
    };
    static constexpr Pass kInterlaced[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    static constexpr Pass kPlain[] = {{0, 1}};
    auto decode = [&](uint8_t* row) { return decoder.Read(row, image.width) == image.width; };
    for (const Pass& pass : image.interlaced ? std::span<const Pass>(kInterlaced) : std::span<const Pass>(kPlain)) {
        for (int32_t y = pass.first; ok && y < image.height; y += pass.step) ok = rows.Fill(y, decode);
    }
    if (!ok) {
        xTrace("*** Error : GIF - image data damaged or cut short\n");
        return false;
    }
    surface->SetPalette(&image.palette, 0);
    return true;
}
