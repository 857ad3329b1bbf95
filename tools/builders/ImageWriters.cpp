#include "tools/builders/ImageWriters.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace vqt::test {

namespace {

void Le16(Bytes& b, uint32_t v) { PutLe16(b, b.size(), uint16_t(v)); }
void Le32(Bytes& b, uint32_t v) { PutLe32(b, b.size(), v); }
void Text(Bytes& b, std::string_view t) { b.insert(b.end(), t.begin(), t.end()); }

/// The colours as RGB triples, 256 of them (black past the given ones).
Bytes Rgb256(const std::vector<uint32_t>& colours) {
    Bytes out;
    for (size_t i = 0; i < 256; ++i) {
        const uint32_t c = i < colours.size() ? colours[i] : 0;
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c >> 16));
    }
    return out;
}

// ---- BMP

/// The file and information headers.
Bytes BmpHeaders(int width, int height, int bits, uint32_t compression, uint32_t offset, uint32_t imageBytes) {
    Bytes out;
    Text(out, "BM");
    Le32(out, offset + imageBytes);
    Le32(out, 0);
    Le32(out, offset);
    Le32(out, 40);
    Le32(out, uint32_t(width));
    Le32(out, uint32_t(height));
    Le16(out, 1);
    Le16(out, uint32_t(bits));
    Le32(out, compression);
    Le32(out, imageBytes);
    Le32(out, 2835);
    Le32(out, 2835);
    Le32(out, bits == 8 ? 256 : 0);
    Le32(out, 0);
    return out;
}

/// One row of indices in BI_RLE8 codes, without its end: runs of two or more, literals of
/// three or more (padded to an even length), single pixels as runs of one.
void Rle8Row(const uint8_t* row, int width, Bytes& out) {
    for (int x = 0; x < width;) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
        if (run >= 2) {
            out.insert(out.end(), {uint8_t(run), row[x]});
            x += run;
            continue;
        }
        int n = 0;
        while (x + n < width && n < 255 && !(x + n + 1 < width && row[x + n] == row[x + n + 1])) ++n;
        if (n >= 3) {
            out.insert(out.end(), {0, uint8_t(n)});
            out.insert(out.end(), row + x, row + x + n);
            if (n & 1) out.push_back(0);
        } else {
            for (int k = 0; k < n; ++k) out.insert(out.end(), {1, row[x + k]});
        }
        x += n;
    }
}

// ---- GIF

/// Codes packed least significant bit first.
class LsbCodes {
public:
    void Put(uint32_t code, int width) {
        m_bits |= code << m_count;
        m_count += width;
        while (m_count >= 8) {
            m_data.push_back(uint8_t(m_bits));
            m_bits >>= 8;
            m_count -= 8;
        }
    }
    Bytes Finish() {
        if (m_count > 0) m_data.push_back(uint8_t(m_bits));
        return m_data;
    }

private:
    Bytes m_data;
    uint32_t m_bits = 0;
    int m_count = 0;
};

/// The GIF LZW coder: codes widen when the next free code no longer fits their width, up to
/// 12 bits; a full table is cleared after `codesWhileFull` more codes.
Bytes GifLzw(const std::vector<uint8_t>& pixels, const GifForm& form) {
    const int clear = 1 << form.minimumCodeSize;
    LsbCodes out;
    std::map<uint32_t, int> table;
    int width = 0;
    int next = 0;
    auto reset = [&] {
        table.clear();
        width = form.minimumCodeSize + 1;
        next = clear + 2;
    };
    auto emit = [&](int code) {
        out.Put(uint32_t(code), width);
        if (next >= (1 << width) && width < 12) ++width;
    };
    reset();
    for (int i = 0; i < form.leadingClears; ++i) out.Put(uint32_t(clear), width);
    int fullCodes = 0;
    int string = pixels.empty() ? -1 : pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint32_t key = uint32_t(string) << 8 | pixels[i];
        if (auto found = table.find(key); found != table.end()) {
            string = found->second;
            continue;
        }
        emit(string);
        if (next < 4096) {
            table[key] = next++;
        } else if (++fullCodes > form.codesWhileFull) {
            out.Put(uint32_t(clear), width);
            reset();
            fullCodes = 0;
        }
        string = pixels[i];
    }
    if (string >= 0) emit(string);
    emit(clear + 1);
    return out.Finish();
}

/// Data in sub-blocks of at most `size` bytes, then the empty block that ends them.
void SubBlocks(const Bytes& data, int size, Bytes& out) {
    for (size_t at = 0; at < data.size(); at += size_t(size)) {
        const size_t n = std::min(data.size() - at, size_t(size));
        out.push_back(uint8_t(n));
        out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + n));
    }
    out.push_back(0);
}

/// The picture's rows in the order they are stored: interlaced ones in four passes.
std::vector<uint8_t> GifRows(const IndexedPicture& p, bool interlaced) {
    std::vector<int> order;
    if (!interlaced) {
        for (int y = 0; y < p.height; ++y) order.push_back(y);
    } else {
        constexpr int kPasses[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
        for (const auto& [first, step] : kPasses)
            for (int y = first; y < p.height; y += step) order.push_back(y);
    }
    std::vector<uint8_t> out;
    for (int y : order) out.insert(out.end(), p.pixels.begin() + long(y) * p.width, p.pixels.begin() + long(y + 1) * p.width);
    return out;
}

// ---- PCX

/// PCX run-length codes: runs of up to 63, and single bytes of 192 or more, as a count and
/// the value; other single bytes as themselves.
void PcxRuns(const Bytes& data, Bytes& out) {
    for (size_t x = 0; x < data.size();) {
        size_t run = 1;
        while (x + run < data.size() && run < 63 && data[x + run] == data[x]) ++run;
        if (run > 1 || data[x] >= 0xC0) out.push_back(uint8_t(0xC0 | run));
        out.push_back(data[x]);
        x += run;
    }
}

Bytes PcxHeader(const PcxForm& f, int width, int height, int bytesPerLine, const std::vector<uint32_t>& colours) {
    Bytes h(128, 0);
    h[0] = 10;
    h[1] = f.version;
    h[2] = 1;
    h[3] = uint8_t(f.bitsPerPlane);
    PutLe16(h, 4, uint16_t(f.left));
    PutLe16(h, 6, uint16_t(f.top));
    PutLe16(h, 8, uint16_t(f.left + width - 1));
    PutLe16(h, 10, uint16_t(f.top + height - 1));
    PutLe16(h, 12, 72);
    PutLe16(h, 14, 72);
    const Bytes rgb = Rgb256(colours);
    std::copy(rgb.begin(), rgb.begin() + 48, h.begin() + 16);
    h[65] = uint8_t(f.planes);
    PutLe16(h, 66, uint16_t(bytesPerLine));
    PutLe16(h, 68, 1);
    return h;
}

/// The coded lines of the planes that `plane(y, p)` gives, each bytesPerLine long.
template <typename Plane>
void PcxLines(int height, int planes, bool acrossLines, Plane plane, Bytes& out) {
    Bytes all;
    for (int y = 0; y < height; ++y) {
        Bytes line;
        for (int p = 0; p < planes; ++p) {
            const Bytes bytes = plane(y, p);
            line.insert(line.end(), bytes.begin(), bytes.end());
        }
        if (acrossLines) all.insert(all.end(), line.begin(), line.end());
        else PcxRuns(line, out);
    }
    if (acrossLines) PcxRuns(all, out);
}

/// Bytes of a plane line: the bits rounded up to bytes, and to an even count.
int PcxBytesPerLine(int width, int bits) { return ((width * bits + 7) / 8 + 1) & ~1; }

} // namespace

Bytes GifSubBlocks(const std::vector<LzwCode>& codes, int size) {
    LsbCodes packed;
    for (const LzwCode& c : codes) packed.Put(c.code, c.bits);
    Bytes out;
    SubBlocks(packed.Finish(), size, out);
    return out;
}

IndexedPicture TileSheet(int tileWidth, int tileHeight, int perRow, int rows, const std::vector<uint32_t>& colours) {
    IndexedPicture p;
    p.width = tileWidth * perRow;
    p.height = tileHeight * rows;
    p.colours = colours;
    p.pixels.assign(size_t(p.width) * size_t(p.height), 0);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.pixels[size_t(y * p.width + x)] = uint8_t((y / tileHeight) * perRow + x / tileWidth + 1);
    return p;
}

Bytes BmpFile(const IndexedPicture& picture, BmpForm form) {
    const uint32_t stride = (uint32_t(picture.width) + 3) & ~3u;
    Bytes rows;
    for (int i = 0; i < picture.height; ++i) {
        const int y = form.topDown ? i : picture.height - 1 - i;
        const uint8_t* row = picture.pixels.data() + size_t(y) * size_t(picture.width);
        if (form.runLength) {
            Rle8Row(row, picture.width, rows);
            rows.insert(rows.end(), {0, uint8_t(i + 1 == picture.height ? 1 : 0)}); // end of line or bitmap
        } else {
            rows.insert(rows.end(), row, row + picture.width);
            rows.resize(rows.size() + stride - uint32_t(picture.width), 0);
        }
    }
    const uint32_t offset = 14 + 40 + 256 * 4;
    Bytes out = BmpHeaders(picture.width, form.topDown ? -picture.height : picture.height, 8, form.runLength ? 1 : 0,
                           offset, uint32_t(rows.size()));
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = i < int(picture.colours.size()) ? picture.colours[size_t(i)] : 0;
        out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0}); // blue, green, red, 0
    }
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

Bytes BmpFile(const DirectPicture& picture, bool topDown) {
    const uint32_t rowBytes = uint32_t(picture.width * picture.bits / 8);
    const uint32_t stride = (rowBytes + 3) & ~3u;
    Bytes out = BmpHeaders(picture.width, topDown ? -picture.height : picture.height, picture.bits, 0, 54,
                           stride * uint32_t(picture.height));
    for (int i = 0; i < picture.height; ++i) {
        const int y = topDown ? i : picture.height - 1 - i;
        const auto row = picture.pixels.begin() + long(y) * long(rowBytes);
        out.insert(out.end(), row, row + long(rowBytes));
        out.resize(out.size() + stride - rowBytes, 0);
    }
    return out;
}

Bytes GifFile(const IndexedPicture& picture, GifForm form) {
    Bytes out;
    Text(out, form.version87 ? "GIF87a" : "GIF89a");
    Le16(out, uint32_t(picture.width));
    Le16(out, uint32_t(picture.height));
    out.insert(out.end(), {uint8_t(form.globalTable ? 0xF7 : 0x70), 0, 0});
    const Bytes colours = Rgb256(picture.colours);
    if (form.globalTable) out.insert(out.end(), colours.begin(), colours.end());
    if (form.extensions) {
        out.insert(out.end(), {0x21, 0xF9, 4, 0, 10, 0, 0, 0});
        out.insert(out.end(), {0x21, 0xFE, 5});
        Text(out, "hello");
        out.push_back(0);
        out.insert(out.end(), {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 3});
        Text(out, "abc");
        out.push_back(0);
        out.insert(out.end(), {0x21, 0xFF, 11});
        Text(out, "NETSCAPE2.0");
        out.insert(out.end(), {3, 1, 0, 0, 0});
    }
    out.insert(out.end(), {0x2C, 0, 0, 0, 0});
    Le16(out, uint32_t(picture.width));
    Le16(out, uint32_t(picture.height));
    out.push_back(uint8_t((form.interlaced ? 0x40 : 0) | (form.localTable ? 0x87 : 0)));
    if (form.localTable) out.insert(out.end(), colours.begin(), colours.end());
    out.push_back(uint8_t(form.minimumCodeSize));
    SubBlocks(GifLzw(GifRows(picture, form.interlaced), form), form.subBlock, out);
    out.push_back(0x3B);
    return out;
}

Bytes PcxFile(const IndexedPicture& picture, PcxForm form) {
    const int bits = form.bitsPerPlane;
    const int bytesPerLine = PcxBytesPerLine(picture.width, bits);
    Bytes out = PcxHeader(form, picture.width, picture.height, bytesPerLine, picture.colours);
    PcxLines(picture.height, form.planes, form.runsAcrossLines,
             [&](int y, int p) {
                 // Plane p holds bits p * bits up of each value, the leftmost pixel in the high bits.
                 Bytes line(size_t(bytesPerLine), 0);
                 for (int x = 0; x < picture.width; ++x) {
                     const int value = (picture.pixels[size_t(y * picture.width + x)] >> (p * bits)) & ((1 << bits) - 1);
                     const int bit = x * bits;
                     line[size_t(bit / 8)] |= uint8_t(value << (8 - bits - bit % 8));
                 }
                 return line;
             },
             out);
    if (bits == 8 && form.planes == 1) {
        out.push_back(form.tailMarker ? 12 : 0);
        const Bytes rgb = Rgb256(picture.colours);
        out.insert(out.end(), rgb.begin(), rgb.end());
    }
    return out;
}

Bytes PcxFile(const DirectPicture& picture, bool runsAcrossLines) {
    const int planes = picture.bits / 8;
    PcxForm form{.planes = planes, .runsAcrossLines = runsAcrossLines};
    const int bytesPerLine = PcxBytesPerLine(picture.width, 8);
    Bytes out = PcxHeader(form, picture.width, picture.height, bytesPerLine, {});
    PcxLines(picture.height, planes, runsAcrossLines,
             [&](int y, int p) {
                 Bytes line(size_t(bytesPerLine), 0);
                 for (int x = 0; x < picture.width; ++x)
                     line[size_t(x)] = picture.pixels[size_t((y * picture.width + x) * planes + planes - 1 - p)];
                 return line;
             },
             out);
    return out;
}

} // namespace vqt::test
