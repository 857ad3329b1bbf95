#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/builders/ChunkFileBuilder.h"
#include "tools/builders/ImageWriters.h"

namespace vqt::test {

/// Stored property messages (big-endian header and payload), written from the message layout
/// rather than with the engine's swap.
class PropertyBytes {
public:
    /// Type 1: one byte.
    PropertyBytes& Byte(uint32_t family, uint32_t id, uint8_t value);
    /// Type 5: one 16-bit value.
    PropertyBytes& Short(uint32_t family, uint32_t id, int16_t value);
    /// Type 7: one 32-bit value.
    PropertyBytes& Long(uint32_t family, uint32_t id, uint32_t value);
    /// Type 11: the bytes of a text and its terminator.
    PropertyBytes& Text(uint32_t family, uint32_t id, const std::string& text);
    /// Type 10: two 16-bit values (a position (x, y) or a size (width, height)).
    PropertyBytes& Pair(uint32_t family, uint32_t id, int16_t a, int16_t b);
    /// Type 13: an array of 16-bit values.
    PropertyBytes& Shorts(uint32_t family, uint32_t id, const std::vector<uint16_t>& values);
    /// Type 17: 12-byte records whose first 16-bit value is given (the rest zero).
    PropertyBytes& Records12(uint32_t family, uint32_t id, const std::vector<uint16_t>& firsts);
    /// A message as given: the header fields and raw payload bytes.
    PropertyBytes& Raw(uint32_t type, uint32_t family, uint32_t id, const Bytes& payload,
                       uint32_t storedSize);
    const Bytes& bytes() const { return bytes_; }
    uint32_t size() const { return uint32_t(bytes_.size()); }

private:
    Bytes bytes_;
};

/// The properties of a tiled activity: tiled flag, columns, rows, tile size and the compact
/// grid of tile numbers (row by row).
PropertyBytes TiledActivityProps(int16_t columns, int16_t rows, int16_t tileWidth, int16_t tileHeight,
                                 const std::vector<uint16_t>& tiles);

/// One object record of an activity chunk.
struct ObjectPlan {
    uint32_t classId = 54;
    uint32_t objectId = 0;
    uint32_t partId = 0;
    PropertyBytes properties{};
    /// Replaces the record's property byte count (default: the properties' size).
    int64_t storedPropertyBytes = -1;
};

/// An activity chunk: the 28-byte header, the activity's properties and the object records.
struct ActivityPlan {
    uint32_t classId = 53;
    uint32_t objectId = 0;
    uint32_t backgroundId = 0;
    uint32_t paletteId = 0;
    PropertyBytes properties{};
    std::vector<ObjectPlan> objects{};
    /// Replaces the header's property byte count (default: the properties' size).
    int64_t storedPropertyBytes = -1;
};
Bytes ActivityData(const ActivityPlan& desc);

/// A palette chunk: 256 colour words (red, green, blue, 0) from the given colours.
Bytes PaletteData(const std::vector<uint32_t>& colours);
/// The property area of a frame chunk naming its image type.
Bytes FrameProperty(uint16_t type);

} // namespace vqt::test
