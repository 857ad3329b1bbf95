#include "tests/support/ActivityBuilder.h"

namespace vqt::test {

namespace {

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void AppendBe16(Bytes& out, uint16_t v) { PutBe16(out, out.size(), v); }
void AppendBe32(Bytes& out, uint32_t v) { PutBe32(out, out.size(), v); }
void AppendLe16(Bytes& out, uint16_t v) { PutLe16(out, out.size(), v); }
void AppendLe32(Bytes& out, uint32_t v) { PutLe32(out, out.size(), v); }

void AppendId(Bytes& out, uint32_t id) { PutChunkId(out, out.size(), id); }

} // namespace

PropertyBytes& PropertyBytes::Raw(uint32_t type, uint32_t family, uint32_t id, const Bytes& payload,
                                  uint32_t storedSize) {
    AppendBe32(bytes_, type);
    AppendBe32(bytes_, family);
    AppendBe32(bytes_, id);
    AppendBe32(bytes_, storedSize);
    Append(bytes_, payload);
    return *this;
}

PropertyBytes& PropertyBytes::Byte(uint32_t family, uint32_t id, uint8_t value) {
    return Raw(1, family, id, Bytes{value}, 1);
}

PropertyBytes& PropertyBytes::Short(uint32_t family, uint32_t id, int16_t value) {
    Bytes p;
    AppendBe16(p, uint16_t(value));
    return Raw(5, family, id, p, 2);
}

PropertyBytes& PropertyBytes::Pair(uint32_t family, uint32_t id, int16_t a, int16_t b) {
    Bytes p;
    AppendBe16(p, uint16_t(a));
    AppendBe16(p, uint16_t(b));
    return Raw(10, family, id, p, 4);
}

PropertyBytes& PropertyBytes::Shorts(uint32_t family, uint32_t id, const std::vector<uint16_t>& values) {
    Bytes p;
    for (uint16_t v : values) AppendBe16(p, v);
    return Raw(13, family, id, p, uint32_t(p.size()));
}

PropertyBytes& PropertyBytes::Records12(uint32_t family, uint32_t id, const std::vector<uint16_t>& firsts) {
    Bytes p;
    for (uint16_t v : firsts) {
        AppendBe16(p, v);
        p.resize(p.size() + 10, 0);
    }
    return Raw(17, family, id, p, uint32_t(p.size()));
}

PropertyBytes TiledActivityProps(int16_t columns, int16_t rows, int16_t tileWidth, int16_t tileHeight,
                                 const std::vector<uint16_t>& tiles) {
    PropertyBytes p;
    p.Byte(53, 2, 1).Short(53, 3, columns).Short(53, 4, rows).Short(53, 6, tileWidth).Short(53, 7, tileHeight);
    // The compact grid: one 4-byte cell per tile, its first 16-bit value the tile number.
    std::vector<uint16_t> cells;
    for (uint16_t t : tiles) {
        cells.push_back(t);
        cells.push_back(0);
    }
    p.Shorts(53, 99, cells);
    return p;
}

Bytes ActivityData(const ActivitySpec& desc) {
    Bytes out;
    AppendBe32(out, desc.classId);
    AppendBe32(out, desc.objectId);
    AppendId(out, desc.backgroundId);
    AppendId(out, desc.paletteId);
    AppendBe32(out, 0);
    AppendBe32(out, desc.storedPropertyBytes >= 0 ? uint32_t(desc.storedPropertyBytes) : desc.properties.size());
    AppendBe32(out, 0);
    Append(out, desc.properties.bytes());
    for (const ObjectSpec& object : desc.objects) {
        AppendBe32(out, object.classId);
        AppendBe32(out, object.objectId);
        out.resize(out.size() + 32, 0xCD); // not read
        AppendId(out, object.partId);
        AppendBe32(out, 0);
        AppendBe32(out, object.storedPropertyBytes >= 0 ? uint32_t(object.storedPropertyBytes)
                                                        : object.properties.size());
        Append(out, object.properties.bytes());
    }
    return out;
}

Bytes BmpFile(const IndexedPicture& picture) {
    const uint32_t stride = (uint32_t(picture.width) + 3) & ~3u;
    const uint32_t offset = 14 + 40 + 256 * 4;
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    AppendLe32(out, offset + stride * uint32_t(picture.height));
    AppendLe32(out, 0);
    AppendLe32(out, offset);
    AppendLe32(out, 40);
    AppendLe32(out, uint32_t(picture.width));
    AppendLe32(out, uint32_t(picture.height));
    AppendLe16(out, 1);
    AppendLe16(out, 8);
    AppendLe32(out, 0);
    AppendLe32(out, stride * uint32_t(picture.height));
    AppendLe32(out, 2835);
    AppendLe32(out, 2835);
    AppendLe32(out, 256);
    AppendLe32(out, 0);
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = i < int(picture.colours.size()) ? picture.colours[size_t(i)] : 0;
        out.push_back(uint8_t(c >> 16)); // blue
        out.push_back(uint8_t(c >> 8));  // green
        out.push_back(uint8_t(c));       // red
        out.push_back(0);
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) out.push_back(picture.pixels[size_t(y * picture.width + x)]);
        for (uint32_t pad = uint32_t(picture.width); pad < stride; ++pad) out.push_back(0);
    }
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

Bytes PaletteData(const std::vector<uint32_t>& colours) {
    Bytes out(1024, 0);
    for (size_t i = 0; i < colours.size() && i < 256; ++i) {
        out[i * 4] = uint8_t(colours[i]);
        out[i * 4 + 1] = uint8_t(colours[i] >> 8);
        out[i * 4 + 2] = uint8_t(colours[i] >> 16);
    }
    return out;
}

Bytes FrameProperty(uint16_t type) { return PropertyRecordBytes().Be16(22, type); }

} // namespace vqt::test
