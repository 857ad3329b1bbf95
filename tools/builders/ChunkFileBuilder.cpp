#include "tools/builders/ChunkFileBuilder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace vqt::test {

namespace {

constexpr uint32_t kChunkHeaderLength = 1352;
constexpr uint32_t kEntryLength = 14;
constexpr uint32_t kBlockHead = 26; // tag, kind, size field, used, capacity, format, tag, type

void Grow(Bytes& b, size_t end) {
    if (b.size() < end) b.resize(end, 0);
}

/// A four-character code from a text: its first four characters, padded with blanks.
void PutTag(Bytes& b, size_t offset, const std::string& tag) {
    std::string four = tag.substr(0, 4);
    four.resize(4, ' ');
    PutText(b, offset, four);
}

/// Writes a text cut to `room - 1` characters followed by NULs up to `room`.
void PutFixedText(Bytes& b, size_t offset, const std::string& text, size_t room) {
    Grow(b, offset + room);
    const size_t n = std::min(text.size(), room - 1);
    std::copy_n(text.begin(), n, b.begin() + static_cast<ptrdiff_t>(offset));
    std::fill(b.begin() + static_cast<ptrdiff_t>(offset + n),
              b.begin() + static_cast<ptrdiff_t>(offset + room), 0);
}

uint32_t BlockLength(uint16_t capacity) { return kBlockHead + kEntryLength * capacity; }

} // namespace

void PutBe16(Bytes& b, size_t offset, uint16_t v) {
    Grow(b, offset + 2);
    b[offset] = static_cast<uint8_t>(v >> 8);
    b[offset + 1] = static_cast<uint8_t>(v);
}

void PutBe32(Bytes& b, size_t offset, uint32_t v) {
    Grow(b, offset + 4);
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

void PutLe16(Bytes& b, size_t offset, uint16_t v) {
    Grow(b, offset + 2);
    b[offset] = static_cast<uint8_t>(v);
    b[offset + 1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(Bytes& b, size_t offset, uint32_t v) {
    Grow(b, offset + 4);
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutText(Bytes& b, size_t offset, std::string_view text) {
    Grow(b, offset + text.size());
    std::copy(text.begin(), text.end(), b.begin() + static_cast<ptrdiff_t>(offset));
}

void PutChunkId(Bytes& b, size_t offset, uint32_t id) {
    Grow(b, offset + 4);
    b[offset] = static_cast<uint8_t>(id & 0xFF);
    b[offset + 1] = static_cast<uint8_t>((id >> 8) & 0xFF);
    PutBe16(b, offset + 2, static_cast<uint16_t>(id >> 16));
}

uint16_t GetBe16(const Bytes& b, size_t offset) {
    if (offset + 2 > b.size()) throw std::out_of_range("GetBe16 past the end");
    return static_cast<uint16_t>((b[offset] << 8) | b[offset + 1]);
}

uint32_t GetBe32(const Bytes& b, size_t offset) {
    if (offset + 4 > b.size()) throw std::out_of_range("GetBe32 past the end");
    return (uint32_t{b[offset]} << 24) | (uint32_t{b[offset + 1]} << 16) |
           (uint32_t{b[offset + 2]} << 8) | uint32_t{b[offset + 3]};
}

uint32_t GetLe32(const Bytes& b, size_t offset) {
    if (offset + 4 > b.size()) throw std::out_of_range("GetLe32 past the end");
    return uint32_t{b[offset]} | (uint32_t{b[offset + 1]} << 8) | (uint32_t{b[offset + 2]} << 16) |
           (uint32_t{b[offset + 3]} << 24);
}

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string ToString(const Bytes& b) { return std::string(b.begin(), b.end()); }

uint32_t HeaderLengthOfFormat(uint16_t format) {
    switch (format) {
    case 1:
    case 2:
    case 4:
        return 4;
    case 3:
        return 8;
    case 7:
        return 12;
    case 8:
        return kChunkHeaderLength;
    default:
        return 0;
    }
}

// ---- ChunkFileBuilder -------------------------------------------------------------------------

uint8_t ChunkFileBuilder::AddIndex(const IndexPlan& desc) {
    if (indexes_.size() >= 255) throw std::length_error("a chunk file holds at most 255 indexes");
    indexes_.push_back(Index{desc, {}, 0});
    return static_cast<uint8_t>(indexes_.size());
}

uint8_t ChunkFileBuilder::AddIndex(std::string type, uint16_t format, uint16_t capacity,
                                   std::string tag) {
    IndexPlan desc;
    desc.type = std::move(type);
    desc.format = format;
    desc.capacity = capacity;
    desc.tag = std::move(tag);
    return AddIndex(desc);
}

bool ChunkFileBuilder::HasChunk(uint8_t index, uint16_t entry) const {
    if (index == 0 || index > indexes_.size()) return false;
    for (const Chunk& c : indexes_[index - 1].chunks)
        if (c.entry == entry) return true;
    return false;
}

uint32_t ChunkFileBuilder::AddChunk(uint8_t index, Bytes data, const ChunkPlan& desc) {
    if (index == 0 || index > indexes_.size()) throw std::out_of_range("AddChunk: no such index");
    Index& target = indexes_[index - 1];
    const uint16_t entry = desc.entry != 0 ? desc.entry : static_cast<uint16_t>(target.highest + 1);
    for (const Chunk& c : target.chunks) {
        if (c.entry == entry) throw std::invalid_argument("AddChunk: entry already used");
    }
    target.chunks.push_back(Chunk{entry, std::move(data), desc});
    target.highest = std::max(target.highest, entry);
    order_.push_back(Placed{index, target.chunks.size() - 1});
    return ChunkIdOf(index, entry);
}

uint32_t ChunkFileBuilder::AddChunk(uint8_t index, std::string_view data, const ChunkPlan& desc) {
    return AddChunk(index, ToBytes(data), desc);
}

void ChunkFileBuilder::SetMasterTags(std::string tag, std::string type) {
    masterTag_ = std::move(tag);
    masterType_ = std::move(type);
}

Bytes ChunkFileBuilder::Build(ChunkFileLayout* layoutOut) const {
    ChunkFileLayout layout;
    const uint16_t masterCapacity =
        masterCapacity_.value_or(static_cast<uint16_t>(indexes_.size()));
    const uint32_t masterLength = BlockLength(masterCapacity);

    // Where everything goes.
    uint32_t at = 0;
    if (redirectRoom_) {
        at = 12 + *redirectRoom_; // the start record and the room of the old master
    } else {
        layout.masterOffset = 0;
        at = masterLength;
    }
    std::vector<uint16_t> capacities;
    for (const Index& index : indexes_) {
        const uint16_t cap =
            index.desc.capacity != 0 ? index.desc.capacity : std::max<uint16_t>(index.highest, 1);
        capacities.push_back(cap);
        layout.indexOffsets.push_back(at);
        at += BlockLength(cap);
    }
    for (const Placed& p : order_) {
        const Index& index = indexes_[p.index - 1];
        const Chunk& chunk = index.chunks[p.chunk];
        layout.chunkOffsets[ChunkIdOf(p.index, chunk.entry)] = at;
        at += HeaderLengthOfFormat(index.desc.format) + static_cast<uint32_t>(chunk.data.size());
    }
    if (redirectRoom_) {
        layout.masterOffset = at;
        at += masterLength;
    }
    layout.fileSize = at;

    Bytes out(at, 0);

    // Master index.
    const uint32_t m = layout.masterOffset;
    PutText(out, m, "INDX");
    PutText(out, m + 4, "meta");
    PutBe32(out, m + 8, kEntryLength * masterCapacity + kEntryLength);
    PutBe16(out, m + 12, masterUsed_.value_or(static_cast<uint16_t>(indexes_.size())));
    PutBe16(out, m + 14, masterCapacity);
    PutBe16(out, m + 16, masterFormat_);
    PutTag(out, m + 18, masterTag_);
    PutTag(out, m + 22, masterType_);
    for (size_t i = 0; i < indexes_.size() && i < masterCapacity; ++i) {
        const uint32_t e = m + 12 + kEntryLength * static_cast<uint32_t>(i + 1);
        PutBe32(out, e + 2, BlockLength(capacities[i]));
        PutBe32(out, e + 6, layout.indexOffsets[i]);
    }
    if (redirectRoom_) {
        PutLe32(out, 0, layout.masterOffset);
        PutText(out, 4, "rmta");
        PutBe32(out, 8, *redirectRoom_);
    }

    // Index blocks.
    for (size_t i = 0; i < indexes_.size(); ++i) {
        const Index& index = indexes_[i];
        const uint32_t b = layout.indexOffsets[i];
        const uint16_t cap = capacities[i];
        PutText(out, b, "INDX");
        PutText(out, b + 4, "vari");
        PutBe32(out, b + 8, index.desc.sizeField.value_or(kEntryLength * cap + kEntryLength));
        PutBe16(out, b + 12, index.desc.used.value_or(static_cast<uint16_t>(index.chunks.size())));
        PutBe16(out, b + 14, cap);
        PutBe16(out, b + 16, index.desc.format);
        PutTag(out, b + 18, index.desc.tag);
        PutTag(out, b + 22, index.desc.type);
        const uint32_t headerLength = HeaderLengthOfFormat(index.desc.format);
        for (const Chunk& chunk : index.chunks) {
            if (chunk.entry > cap) {
                continue; // an entry beyond the capacity has no slot in the block
            }
            const uint32_t e = b + 12 + kEntryLength * chunk.entry;
            const uint32_t offset = layout.chunkOffsets.at(ChunkIdOf(static_cast<uint8_t>(i + 1), chunk.entry));
            PutLe16(out, e, chunk.desc.flags);
            PutBe32(out, e + 2, chunk.desc.storedSize.value_or(
                                    headerLength + static_cast<uint32_t>(chunk.data.size())));
            PutBe32(out, e + 6, chunk.desc.storedOffset.value_or(offset));
        }
    }

    // Chunks: header by the index's format, then the data.
    for (const Placed& p : order_) {
        const Index& index = indexes_[p.index - 1];
        const Chunk& chunk = index.chunks[p.chunk];
        uint32_t c = layout.chunkOffsets.at(ChunkIdOf(p.index, chunk.entry));
        if (index.desc.format == 8) {
            PutFixedText(out, c, chunk.desc.name, 64);
            PutFixedText(out, c + 64, chunk.desc.description, 256);
            PutLe32(out, c + 320, chunk.desc.created);
            PutLe32(out, c + 324, chunk.desc.modified);
            const size_t n = std::min<size_t>(chunk.desc.property.size(), 1024);
            std::copy_n(chunk.desc.property.begin(), n, out.begin() + c + 328);
        } else if (index.desc.format == 7) {
            PutTag(out, c, chunk.desc.chunkTag);
            PutTag(out, c + 4, index.desc.type);
            PutBe32(out, c + 8, static_cast<uint32_t>(chunk.data.size()));
        }
        c += HeaderLengthOfFormat(index.desc.format);
        std::copy(chunk.data.begin(), chunk.data.end(), out.begin() + c);
    }

    if (layoutOut != nullptr) *layoutOut = layout;
    return out;
}

bool ChunkFileBuilder::WriteFile(const std::string& path, ChunkFileLayout* layout) const {
    const Bytes image = Build(layout);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return static_cast<bool>(out);
}

// ---- Payloads ---------------------------------------------------------------------------------

Bytes TextRecords(const std::vector<TextRecord>& records) {
    Bytes out;
    for (const TextRecord& r : records) {
        Bytes text;
        if (r.rawText) {
            text = *r.rawText;
        } else {
            for (char16_t ch : r.text) {
                text.push_back(static_cast<uint8_t>(ch >> 8));
                text.push_back(static_cast<uint8_t>(ch & 0xFF));
            }
        }
        const size_t at = out.size();
        PutBe32(out, at, r.id);
        PutBe32(out, at + 4, r.length.value_or(static_cast<uint32_t>(text.size())));
        PutBe32(out, at + 8, r.carried1);
        PutBe32(out, at + 12, r.carried2);
        out.insert(out.end(), text.begin(), text.end());
    }
    return out;
}

Bytes ChunkListData(const std::vector<uint32_t>& ids, std::optional<int16_t> count) {
    Bytes out;
    PutBe16(out, 0, static_cast<uint16_t>(count.value_or(static_cast<int16_t>(ids.size()))));
    for (uint32_t id : ids) PutChunkId(out, out.size(), id);
    return out;
}

Bytes PathData(const PathPlan& path) {
    Bytes out(50, 0);
    PutBe16(out, 0, static_cast<uint16_t>(path.count.value_or(static_cast<int16_t>(path.records.size()))));
    out[2] = path.carried2;
    out[3] = path.attachment1;
    out[4] = path.attachment2;
    out[5] = path.carried5;
    for (int i = 0; i < 5; ++i) PutBe32(out, 6 + 4 * i, path.values[i]);
    for (int i = 0; i < 4; ++i) PutBe32(out, 30 + 4 * i, path.runtime[i]);
    for (const PathRecordPlan& r : path.records) {
        const size_t at = out.size();
        out.resize(at + 46, 0);
        for (int i = 0; i < 5; ++i) PutBe32(out, at + 4 * i, r.words[i]);
        PutBe16(out, at + 20, r.half20);
        PutBe16(out, at + 22, r.half22);
        out[at + 24] = r.carried24[0];
        out[at + 25] = r.carried24[1];
        for (int i = 0; i < 10; ++i) PutBe16(out, at + 26 + 2 * i, r.halves[i]);
    }
    return out;
}

PropertyRecordBytes::PropertyRecordBytes() : bytes_(180, 0) { PutText(bytes_, 0, "PROPERTY"); }

PropertyRecordBytes& PropertyRecordBytes::Be16(size_t offset, uint16_t v) {
    PutBe16(bytes_, offset, v);
    return *this;
}

PropertyRecordBytes& PropertyRecordBytes::Be32(size_t offset, uint32_t v) {
    PutBe32(bytes_, offset, v);
    return *this;
}

PropertyRecordBytes& PropertyRecordBytes::Le32(size_t offset, uint32_t v) {
    PutLe32(bytes_, offset, v);
    return *this;
}

PropertyRecordBytes& PropertyRecordBytes::Raw(size_t offset, const Bytes& raw) {
    Grow(bytes_, offset + raw.size());
    std::copy(raw.begin(), raw.end(), bytes_.begin() + static_cast<ptrdiff_t>(offset));
    return *this;
}

PropertyRecordBytes& PropertyRecordBytes::SoundDefaults() {
    return Be16(22, 0).Be16(24, 8).Be16(26, 22050).Be16(28, 0).Be16(30, 1);
}

} // namespace vqt::test
