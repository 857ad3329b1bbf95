#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vqt::test {

/// Chunk-file images for tests, laid out byte by byte from the file format's tables: a start
/// record and master index, the typed index blocks, and the chunks with their headers. The
/// builder shares no code with the engine's reader and writer, so each is checked against the
/// format rather than against the other.
///
///     ChunkFileBuilder b;
///     uint8_t game = b.AddIndex("game", 8, 25);             // "DATA"/"game", format 8
///     uint32_t id = b.AddChunk(game, record, {.entry = 3, .name = "slot 2"});
///     b.WriteFile(folder / "save.vqk");
///
/// Layout (unless changed): the master index at offset 0 (its first 12 bytes are the start
/// record), then every index block in index order, then the chunks in the order they were added.
using Bytes = std::vector<uint8_t>;

/// Host form of a chunk id: index in the low byte, second byte, entry number in the high 16 bits.
constexpr uint32_t ChunkIdOf(uint8_t index, uint16_t entry, uint8_t second = 0) {
    return static_cast<uint32_t>(index) | (static_cast<uint32_t>(second) << 8) |
           (static_cast<uint32_t>(entry) << 16);
}

// Byte helpers for building and corrupting images; a write past the end grows the buffer.
void PutBe16(Bytes& b, size_t offset, uint16_t v);
void PutBe32(Bytes& b, size_t offset, uint32_t v);
void PutLe16(Bytes& b, size_t offset, uint16_t v);
void PutLe32(Bytes& b, size_t offset, uint32_t v);
void PutText(Bytes& b, size_t offset, std::string_view text); ///< the characters, no NUL
/// A chunk id as files store it: index, second byte, entry number BE (4 bytes).
void PutChunkId(Bytes& b, size_t offset, uint32_t id);
uint16_t GetBe16(const Bytes& b, size_t offset);
uint32_t GetBe32(const Bytes& b, size_t offset);
uint32_t GetLe32(const Bytes& b, size_t offset);
Bytes ToBytes(std::string_view text);
std::string ToString(const Bytes& b);

/// Header length of a chunk for an index format: 0 -> 0; 1, 2, 4 -> 4; 3 -> 8; 7 -> 12;
/// 8 -> 1352; any other -> 0.
uint32_t HeaderLengthOfFormat(uint16_t format);

/// One chunk to add.
struct ChunkPlan {
    uint16_t entry = 0;                               ///< 0: one past the highest entry used so far
    std::string name = "Unnamed Chunk";               ///< format 8: at most 63 characters kept
    std::string description = "chunk of unknown origin"; ///< format 8: at most 255 kept
    uint32_t created = 0;                             ///< format 8: seconds since 1970, stored LE
    uint32_t modified = 0;                            ///< format 8: seconds since 1970, stored LE
    Bytes property{};                                   ///< format 8: property area (<= 1024 bytes)
    std::string chunkTag = "DATA";                    ///< format 7: the chunk tag
    uint16_t flags = 0;                               ///< the entry's flag word, stored as is (LE)
    std::optional<uint32_t> storedSize{};               ///< replaces the entry's size field
    std::optional<uint32_t> storedOffset{};             ///< replaces the entry's offset field
};

/// One typed index to add.
struct IndexPlan {
    std::string type{};                  ///< the index type, e.g. "part", "utxt", "game"
    uint16_t format = 8;                 ///< chunk-header format of its chunks
    uint16_t capacity = 0;               ///< 0: the highest entry used (at least 1)
    std::string tag = "DATA";            ///< the index tag
    std::optional<uint16_t> used{};      ///< replaces the used count (default: chunks added)
    std::optional<uint32_t> sizeField{};   ///< replaces the size field (default 14 x cap + 14)
};

/// Where everything landed in the last image built.
struct ChunkFileLayout {
    uint32_t masterOffset = 0;
    std::vector<uint32_t> indexOffsets;        ///< [i - 1]: file offset of index block i
    std::map<uint32_t, uint32_t> chunkOffsets; ///< chunk id -> file offset of its header
    uint32_t fileSize = 0;
};

class ChunkFileBuilder {
public:
    /// Adds an index block and answers its number (1 upward, in the order added).
    uint8_t AddIndex(const IndexPlan& desc);
    uint8_t AddIndex(std::string type, uint16_t format = 8, uint16_t capacity = 0,
                     std::string tag = "DATA");

    /// Adds a chunk to an index and answers its id. The stored size is the header length of
    /// the index's format plus the data length; empty data makes a header-only chunk (a patch's
    /// deletion entry).
    uint32_t AddChunk(uint8_t index, Bytes data, const ChunkPlan& desc = {});
    uint32_t AddChunk(uint8_t index, std::string_view data, const ChunkPlan& desc = {});

    /// The master index's capacity (default: the number of indexes), format (7), tag ("INDX")
    /// and type ("????").
    void SetMasterCapacity(uint16_t capacity) { masterCapacity_ = capacity; }
    void SetMasterFormat(uint16_t format) { masterFormat_ = format; }
    void SetMasterTags(std::string tag, std::string type);
    /// Replaces the master's used count (default: the number of indexes).
    void SetMasterUsed(uint16_t used) { masterUsed_ = used; }

    /// Puts the master index after everything else and writes the redirect start record at
    /// offset 0: {offset LE, "rmta", room BE}; the room is the size field of the master that
    /// once fitted at offset 0, and its bytes after the record are left zero.
    void RedirectMaster(uint32_t roomSizeField) { redirectRoom_ = roomSizeField; }

    /// Whether the index already holds a chunk at the entry.
    bool HasChunk(uint8_t index, uint16_t entry) const;

    Bytes Build(ChunkFileLayout* layout = nullptr) const;
    /// Writes the image to a file; false when it cannot be written.
    bool WriteFile(const std::string& path, ChunkFileLayout* layout = nullptr) const;

private:
    struct Chunk {
        uint16_t entry;
        Bytes data;
        ChunkPlan desc;
    };
    struct Index {
        IndexPlan desc;
        std::vector<Chunk> chunks;
        uint16_t highest = 0;
    };
    struct Placed {
        uint8_t index;
        size_t chunk;
    };

    std::vector<Index> indexes_;
    std::vector<Placed> order_;
    std::optional<uint16_t> masterCapacity_;
    std::optional<uint16_t> masterUsed_;
    uint16_t masterFormat_ = 7;
    std::string masterTag_ = "INDX";
    std::string masterType_ = "????";
    std::optional<uint32_t> redirectRoom_;
};

// ---- Chunk payloads -------------------------------------------------------------------------

/// One record of a text chunk ("utxt"): {id BE, length BE, two carried words BE, UTF-16BE text}.
struct TextRecord {
    uint32_t id = 10;                 ///< for message texts: the language number
    std::u16string text{};
    uint32_t carried1 = 0;
    uint32_t carried2 = 0;
    std::optional<uint32_t> length{};   ///< replaces the length field (default 2 x characters)
    std::optional<Bytes> rawText{};     ///< replaces the text bytes (e.g. an odd byte count)
};
Bytes TextRecords(const std::vector<TextRecord>& records);

/// A chunk list ("clst"): i16 BE count, then each id as stored (PutChunkId).
Bytes ChunkListData(const std::vector<uint32_t>& ids, std::optional<int16_t> count = {});

/// One 46-byte path record: five u32 BE (0-19), u16 BE at 20 and 22, two carried bytes at 24,
/// ten u16 BE at 26-44.
struct PathRecordPlan {
    uint32_t words[5] = {};
    uint16_t half20 = 0;
    uint16_t half22 = 0;
    uint8_t carried24[2] = {};
    uint16_t halves[10] = {};
};

/// A path chunk ("path"): the 50-byte head then the records.
struct PathPlan {
    std::optional<int16_t> count{};   ///< replaces the record count (default: records)
    uint8_t carried2 = 0;
    uint8_t attachment1 = 0;          ///< run-time flag bytes at 3 and 4 (readers clear them)
    uint8_t attachment2 = 0;
    uint8_t carried5 = 0;
    uint32_t values[5] = {};          ///< u32 BE at 6, 10, 14, 18, 22
    uint32_t runtime[4] = {};         ///< run-time words at 30, 34, 38, 42 (readers clear them)
    std::vector<PathRecordPlan> records{};
};
Bytes PathData(const PathPlan& path);

/// A property record for the property area of a format-8 chunk header: the tag "PROPERTY" and
/// its NUL, then fields set by offset within the record. Its length is 180 bytes, or more when a
/// field lies further (at most 1024).
class PropertyRecordBytes {
public:
    PropertyRecordBytes();
    PropertyRecordBytes& Be16(size_t offset, uint16_t v);
    PropertyRecordBytes& Be32(size_t offset, uint32_t v);
    PropertyRecordBytes& Le32(size_t offset, uint32_t v);
    PropertyRecordBytes& Raw(size_t offset, const Bytes& raw);
    /// The sound defaults of a record: 0, 8, 22050, 0, 1 at offsets 22 to 30.
    PropertyRecordBytes& SoundDefaults();
    const Bytes& bytes() const { return bytes_; }
    operator Bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

} // namespace vqt::test
