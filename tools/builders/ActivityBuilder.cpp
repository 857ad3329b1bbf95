#include "tools/builders/ActivityBuilder.h"

namespace vqt::test {

namespace {

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void AppendBe16(Bytes& out, uint16_t v) { PutBe16(out, out.size(), v); }
void AppendBe32(Bytes& out, uint32_t v) { PutBe32(out, out.size(), v); }

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

PropertyBytes& PropertyBytes::Long(uint32_t family, uint32_t id, uint32_t value) {
    Bytes p;
    AppendBe32(p, value);
    return Raw(7, family, id, p, 4);
}

PropertyBytes& PropertyBytes::Text(uint32_t family, uint32_t id, const std::string& text) {
    Bytes p(text.begin(), text.end());
    p.push_back(0);
    return Raw(11, family, id, p, uint32_t(p.size()));
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

Bytes ActivityData(const ActivityPlan& desc) {
    Bytes out;
    AppendBe32(out, desc.classId);
    AppendBe32(out, desc.objectId);
    AppendId(out, desc.backgroundId);
    AppendId(out, desc.paletteId);
    AppendBe32(out, 0);
    AppendBe32(out, desc.storedPropertyBytes >= 0 ? uint32_t(desc.storedPropertyBytes) : desc.properties.size());
    AppendBe32(out, 0);
    Append(out, desc.properties.bytes());
    for (const ObjectPlan& object : desc.objects) {
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
