#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

/// The 16-bit lines of an 8-bit surface as last drawn through a palette's 16-bit table, with
/// the bytes and the table they came from. Drawing the same bytes through the same table again
/// copies the kept pixels instead of converting them: a background that stands still or
/// scrolls is converted once, not every frame. A change to the bytes or the table is found by
/// comparing them, so whoever writes the surface need not say what changed, and the pixels
/// drawn are always those a fresh conversion gives. Compare, copy and conversion run in one
/// pass along the drawn part, only the columns found changed are converted, and a line is kept
/// only in the blocks of 64 columns that have been drawn. A block more than half of which
/// changed since its last draw is converted plainly for a while (1, 2, 4 ... up to 32 draws
/// while it goes on changing) before it is kept again: a moving picture costs what a fresh
/// conversion costs.
class CConvertedLines {
public:
    /// Starts a draw from a surface of the size through the table (256 entries); a new size
    /// or table forgets every kept line, and a new size gives back the buffers of the old one.
    void Begin(int width, int height, const uint16_t* table);
    /// Writes `count` pixels from column x of line y to dst (16-bit pixels), `line` being the
    /// whole source line. The caller keeps x, count and y inside the size Begin was given.
    void DrawLine(const uint8_t* line, int y, int x, int count, uint8_t* dst);
    /// Forgets every kept line and gives back their memory.
    void Release();
    /// The bytes of memory the kept lines hold.
    size_t HeldBytes() const;

private:
    // Columns kept together: a draw that reaches into a block not yet kept converts all of it.
    static constexpr int kBlock = 64;
    struct Block {
        uint8_t kept = 0;    // 1 while bytes_ and pixels_ hold the block
        uint8_t plain = 0;   // draws left to convert plainly, the block not kept
        uint8_t backoff = 0; // the next plain wait is 2^backoff draws; 0 again once found unchanged
    };
    // The draw of a line some of whose blocks are not kept or have changed, block by block.
    void DrawChangedLine(const uint8_t* line, int y, int x, int count, uint8_t* dst);
    // Converts and keeps the whole block, drawing its columns x..end.
    void KeepBlock(const uint8_t* line, int y, int block, int x, int end, uint8_t* dst);
    // Compares columns x..end of a kept block, converting the changed ones into pixels and dst
    // and copying the rest; answers how many were converted.
    int RefreshBlock(const uint8_t* line, int y, int x, int end, uint8_t* dst);

    int width_ = 0;
    int height_ = 0;
    int blocksPerLine_ = 0;
    std::array<uint16_t, 256> table_{};
    std::vector<uint8_t> bytes_;    // the source bytes each kept block was converted from
    std::vector<uint16_t> pixels_;  // their 16-bit pixels
    std::vector<Block> blocks_;     // per line, per block of columns
};
