#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/builders/ChunkFileBuilder.h"
#include "tools/builders/SnippetBuilder.h"
#include "tools/builders/TempFolder.h"

class CPartFile;

namespace vqt::test {

/// An 8-bit picture, rows top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    Picture() = default;
    Picture(int w, int h, uint8_t fill = 0) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
    uint8_t& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    uint8_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool operator==(const Picture&) const = default;
};

/// A frame chunk of a raw 8-bit picture (one without a property record): width and height
/// (16 bits, big-endian), then the rows top first.
Bytes RawFrameData(const Picture& picture);

/// One frame of a state: its picture, hot spot, offset and duration (60ths of a second).
struct FramePlan {
    Picture picture;
    int16_t hotX = 0;
    int16_t hotY = 0;
    int16_t offsetX = 0;
    int16_t offsetY = 0;
    uint16_t duration = 6;
    /// Compressed lines given as they stand (e.g. with common-block references), by row.
    std::map<int, Bytes> rawLines{};
    /// Share the compressed data of an earlier frame of the state (its index).
    std::optional<int> sameAs{};
    /// Leave the frame out of the image (frame offset 0).
    bool missing = false;
};

struct StatePlan {
    std::vector<FramePlan> frames;
    uint32_t soundId = 0;          ///< the part's sound entry of this state (a chunk id)
    bool accumulate = false;       ///< property byte 28
    uint16_t propertyValue = 0;    ///< property u16 at 26
    uint32_t propertyId = 0;       ///< the chunk id at property 22-25
    bool withProperty = true;
};

struct PartPlan {
    uint8_t recolorA = 0;
    uint8_t recolorB = 0;
    uint8_t bytes[2] = {};
    uint16_t words[3] = {};
    uint32_t longs[2] = {};
    std::vector<StatePlan> states;
    /// Common blocks (each a compressed stream of its own); none: no "cblk" chunk.
    std::vector<Bytes> commonBlocks;
    uint8_t packedLiterals = 0;
    /// 256 colours red, green, blue for the part's own palette.
    std::optional<std::vector<uint8_t>> palette{};
};

/// The index numbers a PartBuilder writes into, when the caller lays the indexes out itself.
struct PartIndexes {
    uint8_t part = 0;
    uint8_t state = 0;
    uint8_t comp = 0;         ///< format 0
    uint8_t commonBlocks = 0; ///< format 0
    uint8_t snippets = 0;
    /// The entry the automatically numbered parts start at.
    uint16_t firstPart = 1;
};

/// The ids of a part added to a file.
struct BuiltPart {
    uint32_t part = 0;
    std::vector<uint32_t> states;
};

/// Part, state, compressed-image ("comp") and common-block ("cblk") chunks made from pictures,
/// laid out by this builder's own encoder into a chunk-file image of ChunkFileBuilder. Numbers
/// are big-endian as the file format stores them.
class PartBuilder {
public:
    /// Adds the indexes "part", "stat", "comp", "cblk" and "snip" to the file builder.
    explicit PartBuilder(ChunkFileBuilder& file);
    /// Writes into indexes the caller has added (where a file's ids fix the index numbers).
    PartBuilder(ChunkFileBuilder& file, const PartIndexes& indexes);
    /// Writes into `file`, a copy of the one `other` writes into, numbering on from where
    /// `other` stands.
    PartBuilder(ChunkFileBuilder& file, const PartBuilder& other);
    PartBuilder(const PartBuilder&) = delete;

    /// Adds the part at the entry (0: the next automatic one) with its states.
    BuiltPart AddPart(const PartPlan& desc, uint16_t entry = 0);
    /// A snippet chunk of a tenth of a second of raw 8-bit tone and its id.
    uint32_t AddSnippet();
    /// A snippet chunk of that sound and its id (in the "snip" index).
    uint32_t AddSnippet(const SnipPlan& plan, const std::string& description = "chunk of unknown origin");
    uint8_t SnippetIndex() const { return snipIndex_; }

    uint8_t PartIndex() const { return partIndex_; }
    uint8_t StateIndex() const { return stateIndex_; }
    uint8_t CompIndex() const { return compIndex_; }
    uint8_t CommonBlockIndex() const { return cblkIndex_; }

    // Chunk payloads.
    static Bytes PartData(const PartPlan& desc, const std::vector<uint32_t>& stateIds);
    static Bytes StateData(const StatePlan& state);
    static Bytes CompData(const StatePlan& state);
    static Bytes CommonBlockData(const std::vector<Bytes>& blocks, uint8_t packedLiterals = 0);

    /// One line in the compressed format: skips for colour 0, runs of three or more, literals;
    /// empty when the line has no drawn pixel.
    static Bytes EncodeLine(const uint8_t* pixels, int width);
    /// Decodes a line into `width` pixels (0 where nothing is drawn), following references into
    /// a big-endian common-block chunk; false for a malformed line.
    static bool DecodeLine(const uint8_t* line, size_t size, int width, uint8_t* out, const Bytes& blocks = {});

private:
    ChunkFileBuilder& file_;
    uint8_t partIndex_;
    uint8_t stateIndex_;
    uint8_t compIndex_;
    uint8_t cblkIndex_;
    uint8_t snipIndex_;
    uint16_t nextPart_ = 1;
    uint16_t nextState_ = 1;
    uint16_t nextSnip_ = 1;
};

/// A chunk-file image written into a temporary folder and opened read-only as a part file,
/// with its chunk cache on or off.
class OpenedPartFile {
public:
    explicit OpenedPartFile(const ChunkFileBuilder& image, bool cache = true);
    ~OpenedPartFile();
    OpenedPartFile(const OpenedPartFile&) = delete;
    OpenedPartFile& operator=(const OpenedPartFile&) = delete;
    CPartFile* get() const { return file_; }
    CPartFile* operator->() const { return file_; }
    bool IsOpen() const;

private:
    TempFolder folder_;
    CPartFile* file_;
};

/// A part with its own palette and one frame per picture in each state, each frame's hot spot at
/// its picture's centre.
PartPlan CentredPart(const std::vector<std::vector<Picture>>& states, std::vector<uint8_t> palette);

/// A picture of random colours with runs and holes of colour 0.
Picture RandomPicture(int width, int height, uint32_t seed, int zeroPercent = 30);

} // namespace vqt::test
