#pragma once
#include <cstdint>
#include <string_view>

#include "tools/builders/ChunkFileBuilder.h"

namespace vqt::test {

/// A stored player record, the 372 data bytes of a save-file slot, laid out byte by byte from
/// the record's table and independent of the game's encoder: the version and the world words
/// and counters big-endian, the extra words little-endian. Fields not set hold 0.
///
///     b.AddChunk(game, StoredRecord("Ann").WorldWord(0, 9, 5), {.entry = 1}); // slot 0
class StoredRecord {
public:
    explicit StoredRecord(std::string_view name = "", uint32_t version = 19);
    /// Word k of world block w (at 70 + 70 w + 2 k).
    StoredRecord& WorldWord(int w, int k, uint16_t v);
    /// Counter n (at 280 + 4 n).
    StoredRecord& Counter(int n, uint32_t v);
    /// Extra word n (at 348 + 2 n).
    StoredRecord& Extra(int n, uint16_t v);
    /// Bytes from an offset on, as they are (a name without its NUL, say).
    StoredRecord& Raw(size_t offset, const Bytes& raw);
    /// The record cut or grown to `size` bytes.
    StoredRecord& Resize(size_t size);
    const Bytes& bytes() const { return bytes_; }
    operator Bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

} // namespace vqt::test
